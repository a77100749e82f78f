// The whole input is the file's text. The section, key and value to use are
// the bytes after its last ';' (so a corpus file ends in a comment line such as
// ";Options|Delay|700"), split at the first two '|'.
#include "platform/profile/ProfileFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using platform::profile::MaxValueBytes;
using platform::profile::ReadValue;
using platform::profile::WriteValue;

void Check(bool Ok) {
  if (!Ok) __builtin_trap();
}

bool IsLead(unsigned char C) {
  return (C >= 0x81 && C <= 0x9F) || (C >= 0xE0 && C <= 0xFC);
}
bool IsTrail(unsigned char C) {
  return C >= 0x40 && C <= 0xFC;
}

// Where the Shift-JIS characters of S start; a lone lead byte is a character.
std::vector<bool> CharStarts(std::string_view S) {
  std::vector<bool> Starts(S.size(), false);
  for (std::size_t I = 0; I < S.size();) {
    Starts[I] = true;
    const bool Pair = IsLead(static_cast<unsigned char>(S[I])) && I + 1 < S.size() &&
                      IsTrail(static_cast<unsigned char>(S[I + 1]));
    I += Pair ? 2 : 1;
  }
  return Starts;
}

// In "[S]" such a byte would take the ']' as its trail byte.
bool EndsInLoneLead(std::string_view S) {
  if (S.empty()) return false;
  return CharStarts(S).back() && IsLead(static_cast<unsigned char>(S.back()));
}

// Flips the ASCII case of single-byte characters only, which must not change
// which names match.
std::string ToggleCase(std::string_view S) {
  const std::vector<bool> Starts = CharStarts(S);
  std::string R(S);
  for (std::size_t I = 0; I < R.size(); ++I) {
    const bool Single = Starts[I] && (I + 1 == R.size() || Starts[I + 1]);
    if (!Single) continue;
    if (R[I] >= 'a' && R[I] <= 'z')
      R[I] = static_cast<char>(R[I] - 'a' + 'A');
    else if (R[I] >= 'A' && R[I] <= 'Z')
      R[I] = static_cast<char>(R[I] - 'A' + 'a');
  }
  return R;
}

bool Has(std::string_view S, std::string_view Chars) {
  return S.find_first_of(Chars) != std::string_view::npos;
}

bool Padded(std::string_view S) {
  return !S.empty() &&
         (S.front() == ' ' || S.front() == '\t' || S.back() == ' ' || S.back() == '\t');
}

bool Quoted(std::string_view S) {
  return S.size() >= 2 && S.front() == S.back() && (S.front() == '"' || S.front() == '\'');
}

std::vector<std::string_view> Lines(std::string_view S) {
  std::vector<std::string_view> R;
  while (!S.empty()) {
    const std::size_t Lf = S.find('\n');
    const std::size_t N = Lf == std::string_view::npos ? S.size() : Lf + 1;
    R.push_back(S.substr(0, N));
    S.remove_prefix(N);
  }
  return R;
}

std::size_t CommonPrefix(std::string_view A, std::string_view B) {
  std::size_t N = 0;
  while (N < A.size() && N < B.size() && A[N] == B[N])
    ++N;
  return N;
}

std::size_t CommonSuffix(std::string_view A, std::string_view B) {
  std::size_t N = 0;
  while (N < A.size() && N < B.size() && A[A.size() - 1 - N] == B[B.size() - 1 - N])
    ++N;
  return N;
}

// A replaced value changes the bytes of one line only; a new key or section
// is one run of bytes inserted into the old text.
void CheckShape(std::string_view Before, std::string_view After, bool KeyExisted) {
  if (KeyExisted) {
    const auto Old = Lines(Before), New = Lines(After);
    Check(Old.size() == New.size());
    std::size_t Changed = 0;
    for (std::size_t I = 0; I < Old.size(); ++I)
      Changed += Old[I] != New[I];
    Check(Changed <= 1);
  } else {
    Check(After.size() > Before.size());
    Check(CommonPrefix(Before, After) + CommonSuffix(Before, After) >= Before.size());
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
  const std::size_t Semi = Text.rfind(';');
  std::string_view Rest = Semi == std::string_view::npos ? Text : Text.substr(Semi + 1);
  const auto Take = [&Rest]() {
    const std::size_t Bar = Rest.find('|');
    const std::string_view Part = Rest.substr(0, Bar);
    Rest = Bar == std::string_view::npos ? std::string_view() : Rest.substr(Bar + 1);
    return Part;
  };
  const std::string_view Section = Take();
  const std::string_view Key = Take();
  const std::string_view Value = Rest;

  const std::optional<std::string> Before = ReadValue(Text, Section, Key);
  Check(ReadValue(Text, ToggleCase(Section), ToggleCase(Key)) == Before);
  if (Before) Check(Before->size() <= MaxValueBytes);

  const std::string After = WriteValue(Text, Section, Key, Value);
  if (!Has(Key, "\n") && !Has(Value, "\n")) CheckShape(Text, After, Before.has_value());

  // Names and a value that survive being written as "[S]" and "K=V" lines.
  const bool SectionOk = !Has(Section, "]\r\n") && !Padded(Section) && !EndsInLoneLead(Section);
  const bool KeyOk = !Has(Key, "=\r\n") && !Padded(Key) &&
                     (Key.empty() || (Key.front() != ';' && Key.front() != '['));
  const bool ValueOk = !Has(Value, "\r\n") && !Padded(Value) && !Quoted(Value);
  if (!SectionOk || !KeyOk || !ValueOk) return 0;

  const std::optional<std::string> Got = ReadValue(After, Section, Key);
  Check(Got.has_value());
  // Cut at a character boundary: one byte short when a double-byte character
  // straddles the limit.
  std::size_t Expected = Value.size();
  if (Expected > MaxValueBytes)
    Expected = CharStarts(Value)[MaxValueBytes] ? MaxValueBytes : MaxValueBytes - 1;
  Check(*Got == Value.substr(0, Expected));
  Check(ReadValue(After, ToggleCase(Section), ToggleCase(Key)) == Got);
  // Writing the same again finds the line just written and changes nothing.
  Check(WriteValue(After, Section, Key, Value) == After);
  return 0;
}
