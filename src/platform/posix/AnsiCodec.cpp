#include "platform/posix/AnsiCodec.h"

#include <cerrno>
#include <cstddef>
#include <iconv.h>

namespace platform::posix {

namespace {

constexpr const char* Replacement = "\xEF\xBF\xBD"; // U+FFFD

bool IsLeadByte(unsigned char C) {
  return (C >= 0x81 && C <= 0x9F) || (C >= 0xE0 && C <= 0xFC);
}
bool IsTrailByte(unsigned char C) {
  return C >= 0x40 && C <= 0xFC;
}

// Bytes to skip over a UTF-8 sequence iconv refused: the whole character (it
// has no CP932 mapping), or as much of a broken one as looks like a start, so
// that one character gives one "?".
std::size_t Utf8SkipBytes(const char* P, std::size_t Left) {
  const auto C = static_cast<unsigned char>(P[0]);
  std::size_t N = 1;
  if (C >= 0xC2 && C <= 0xDF)
    N = 2;
  else if (C >= 0xE0 && C <= 0xEF)
    N = 3;
  else if (C >= 0xF0 && C <= 0xF4)
    N = 4;
  std::size_t I = 1;
  while (I < N && I < Left && (static_cast<unsigned char>(P[I]) & 0xC0) == 0x80)
    ++I;
  return I;
}

// A refused lead byte takes its trail byte along, so that one unassigned
// double-byte code gives one replacement and the next character survives.
std::size_t AnsiSkipBytes(const char* P, std::size_t Left) {
  if (Left >= 2 && IsLeadByte(static_cast<unsigned char>(P[0])) &&
      IsTrailByte(static_cast<unsigned char>(P[1])))
    return 2;
  return 1;
}

// glibc knows the code page as CP932, some other C libraries only as
// WINDOWS-31J.
struct TConverter {
  static constexpr const char* Names[] = {"CP932", "WINDOWS-31J"};
  iconv_t Cd = reinterpret_cast<iconv_t>(-1);
  explicit TConverter(bool ToAnsi) {
    for (const char* Name : Names) {
      Cd = ToAnsi ? ::iconv_open(Name, "UTF-8") : ::iconv_open("UTF-8", Name);
      if (Valid()) break;
    }
  }
  ~TConverter() {
    if (Valid()) ::iconv_close(Cd);
  }
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;
  bool Valid() const { return Cd != reinterpret_cast<iconv_t>(-1); }
};

// Converts In, putting Bad in place of each sequence that Skip measures.
template <typename FSkip>
std::string Convert(iconv_t Cd, const std::string& In, const char* Bad, FSkip Skip) {
  std::string Out;
  Out.reserve(In.size() * 3 / 2 + 4);
  char* InPtr = const_cast<char*>(In.data());
  std::size_t InLeft = In.size();
  char Buf[4096];
  while (InLeft > 0) {
    char* OutPtr = Buf;
    std::size_t OutLeft = sizeof Buf;
    const std::size_t R = ::iconv(Cd, &InPtr, &InLeft, &OutPtr, &OutLeft);
    Out.append(Buf, static_cast<std::size_t>(OutPtr - Buf));
    if (R != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ, or EINVAL for a sequence cut off at the end of the input.
    Out.append(Bad);
    const std::size_t N = Skip(InPtr, InLeft);
    InPtr += N;
    InLeft -= N;
    ::iconv(Cd, nullptr, nullptr, nullptr, nullptr);
  }
  return Out;
}

bool IsAscii(const std::string& S) {
  for (char C : S)
    if (static_cast<unsigned char>(C) >= 0x80) return false;
  return true;
}

// Without a converter in the C library, ASCII still goes through.
std::string AsciiOnly(const std::string& In, const char* Bad, bool Utf8) {
  std::string Out;
  for (std::size_t I = 0; I < In.size();) {
    if (static_cast<unsigned char>(In[I]) < 0x80) {
      Out += In[I++];
      continue;
    }
    Out.append(Bad);
    I += Utf8 ? Utf8SkipBytes(In.data() + I, In.size() - I)
              : AnsiSkipBytes(In.data() + I, In.size() - I);
  }
  return Out;
}

} // namespace

std::string Utf8ToAnsi(const std::string& Utf8) {
  if (IsAscii(Utf8)) return Utf8;
  const TConverter C(true);
  if (!C.Valid()) return AsciiOnly(Utf8, "?", true);
  return Convert(C.Cd, Utf8, "?", Utf8SkipBytes);
}

std::string AnsiToUtf8(const std::string& Ansi) {
  if (IsAscii(Ansi)) return Ansi;
  const TConverter C(false);
  if (!C.Valid()) return AsciiOnly(Ansi, Replacement, false);
  return Convert(C.Cd, Ansi, Replacement, AnsiSkipBytes);
}

} // namespace platform::posix
