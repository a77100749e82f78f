#include "platform/profile/ProfileFile.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform::profile {

namespace {

// Shift-JIS (code page 932): a lead byte and the trail byte after it form one
// character, and the trail byte may look like an ASCII letter or ']'.
bool IsLeadByte(unsigned char C) {
  return (C >= 0x81 && C <= 0x9F) || (C >= 0xE0 && C <= 0xFC);
}
bool IsTrailByte(unsigned char C) {
  return C >= 0x40 && C <= 0xFC;
}

// Bytes of the character starting at I: 2 for a lead byte with its trail
// byte, else 1 (a lone lead byte stands for itself, as garbage).
std::size_t CharBytes(std::string_view S, std::size_t I) {
  if (IsLeadByte(static_cast<unsigned char>(S[I])) && I + 1 < S.size() &&
      IsTrailByte(static_cast<unsigned char>(S[I + 1])))
    return 2;
  return 1;
}

unsigned char FoldAscii(char C) {
  auto U = static_cast<unsigned char>(C);
  return (U >= 'A' && U <= 'Z') ? static_cast<unsigned char>(U + ('a' - 'A')) : U;
}

bool NamesEqual(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  std::size_t I = 0;
  while (I < A.size()) {
    const std::size_t N = CharBytes(A, I);
    if (N == 2) {
      // A lead byte is no letter, so it and the trail byte must be identical.
      if (A[I] != B[I] || A[I + 1] != B[I + 1]) return false;
    } else if (FoldAscii(A[I]) != FoldAscii(B[I])) {
      return false;
    }
    I += N;
  }
  return true;
}

bool IsBlankChar(char C) {
  return C == ' ' || C == '\t';
}

std::string_view Trim(std::string_view S) {
  while (!S.empty() && IsBlankChar(S.front()))
    S.remove_prefix(1);
  while (!S.empty() && IsBlankChar(S.back()))
    S.remove_suffix(1);
  return S;
}

enum class TKind { Blank, Comment, Section, Key, Other };

struct TLine {
  std::size_t Begin = 0;
  std::size_t ContentEnd = 0; // before the CR LF or LF
  std::size_t End = 0;        // after the line break, if any
  TKind Kind = TKind::Other;
  std::string_view Name;  // section or key name
  std::string_view Value; // for keys
};

TLine ParseLine(std::string_view Text, std::size_t Begin) {
  TLine L;
  L.Begin = Begin;
  const std::size_t Lf = Text.find('\n', Begin);
  if (Lf == std::string_view::npos) {
    L.ContentEnd = L.End = Text.size();
  } else {
    L.End = Lf + 1;
    L.ContentEnd = (Lf > Begin && Text[Lf - 1] == '\r') ? Lf - 1 : Lf;
  }
  const std::string_view Content = Trim(Text.substr(Begin, L.ContentEnd - Begin));
  if (Content.empty()) {
    L.Kind = TKind::Blank;
  } else if (Content.front() == ';') {
    L.Kind = TKind::Comment;
  } else if (Content.front() == '[') {
    // ']' is also a trail byte, so it closes the name only between characters.
    for (std::size_t I = 1; I < Content.size(); I += CharBytes(Content, I)) {
      if (Content[I] == ']') {
        L.Kind = TKind::Section;
        L.Name = Trim(Content.substr(1, I - 1));
        break;
      }
    }
  } else if (const std::size_t Eq = Content.find('='); Eq != std::string_view::npos) {
    // '=' is never a trail byte, so a plain search is safe.
    L.Kind = TKind::Key;
    L.Name = Trim(Content.substr(0, Eq));
    L.Value = Trim(Content.substr(Eq + 1));
  }
  return L;
}

// Calls Visit(line) for each line until it returns false.
template <typename F> void ForEachLine(std::string_view Text, F&& Visit) {
  std::size_t Pos = 0;
  while (Pos < Text.size()) {
    const TLine L = ParseLine(Text, Pos);
    if (!Visit(L)) return;
    Pos = L.End;
  }
}

std::string_view Unquote(std::string_view V) {
  if (V.size() >= 2 && V.front() == V.back() && (V.front() == '"' || V.front() == '\''))
    return V.substr(1, V.size() - 2);
  return V;
}

// Cuts at a character boundary so that no half of a double-byte character is
// returned.
std::string_view Truncate(std::string_view V) {
  if (V.size() <= MaxValueBytes) return V;
  std::size_t I = 0;
  while (I < V.size()) {
    const std::size_t N = CharBytes(V, I);
    if (I + N > MaxValueBytes) break;
    I += N;
  }
  return V.substr(0, I);
}

bool ReadFile(const std::string& FileName, std::string& Out) {
  const int Fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) return false;
  struct stat St {};
  bool Ok = ::fstat(Fd, &St) == 0 && S_ISREG(St.st_mode);
  Out.clear();
  char Buf[65536];
  while (Ok) {
    const ssize_t N = ::read(Fd, Buf, sizeof Buf);
    if (N > 0) {
      Out.append(Buf, static_cast<std::size_t>(N));
    } else if (N == 0) {
      break;
    } else if (errno != EINTR) {
      Ok = false;
    }
  }
  ::close(Fd);
  return Ok;
}

bool WriteAll(int Fd, std::string_view Data) {
  while (!Data.empty()) {
    const ssize_t N = ::write(Fd, Data.data(), Data.size());
    if (N < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    Data.remove_prefix(static_cast<std::size_t>(N));
  }
  return true;
}

std::string FolderOf(const std::string& Path) {
  const std::size_t Slash = Path.rfind('/');
  if (Slash == std::string::npos) return ".";
  if (Slash == 0) return "/";
  return Path.substr(0, Slash);
}

// A settings file kept as a symbolic link (e.g. in a dotfiles repository)
// stays a link: its target is replaced instead.
std::string ResolveLink(const std::string& FileName) {
  struct stat St {};
  if (::lstat(FileName.c_str(), &St) != 0 || !S_ISLNK(St.st_mode)) return FileName;
  char* Real = ::realpath(FileName.c_str(), nullptr);
  if (!Real) return FileName;
  std::string Result(Real);
  std::free(Real);
  return Result;
}

} // namespace

std::optional<std::string> ReadValue(std::string_view Text, std::string_view Section,
                                     std::string_view Key) {
  Section = Trim(Section);
  Key = Trim(Key);
  std::optional<std::string> Result;
  bool InSection = false;
  bool SectionSeen = false;
  ForEachLine(Text, [&](const TLine& L) {
    if (L.Kind == TKind::Section) {
      // Only the first section of that name counts.
      if (SectionSeen) return false;
      InSection = NamesEqual(L.Name, Section);
      SectionSeen = InSection;
    } else if (InSection && L.Kind == TKind::Key && NamesEqual(L.Name, Key)) {
      Result = std::string(Truncate(Unquote(L.Value)));
      return false;
    }
    return true;
  });
  return Result;
}

std::string WriteValue(std::string_view Text, std::string_view Section, std::string_view Key,
                       std::string_view Value) {
  Section = Trim(Section);
  Key = Trim(Key);
  bool InSection = false;
  bool SectionFound = false;
  std::optional<TLine> KeyLine;
  TLine LastFilled; // last non-blank line of the section, the header at least
  ForEachLine(Text, [&](const TLine& L) {
    if (L.Kind == TKind::Section) {
      if (SectionFound) return false;
      InSection = NamesEqual(L.Name, Section);
      SectionFound = InSection;
      if (InSection) LastFilled = L;
    } else if (InSection) {
      if (L.Kind == TKind::Key && NamesEqual(L.Name, Key)) {
        KeyLine = L;
        return false;
      }
      if (L.Kind != TKind::Blank) LastFilled = L;
    }
    return true;
  });

  std::string NewLine;
  NewLine.reserve(Key.size() + Value.size() + 3);
  NewLine.append(Key).append("=").append(Value);

  std::string Out;
  Out.reserve(Text.size() + Section.size() + NewLine.size() + 8);
  if (KeyLine) {
    Out.append(Text.substr(0, KeyLine->Begin));
    Out.append(NewLine);
    Out.append(Text.substr(KeyLine->ContentEnd));
  } else if (SectionFound) {
    Out.append(Text.substr(0, LastFilled.End));
    if (LastFilled.End == LastFilled.ContentEnd) Out.append("\r\n");
    Out.append(NewLine).append("\r\n");
    Out.append(Text.substr(LastFilled.End));
  } else {
    Out.append(Text);
    if (!Text.empty() && Text.back() != '\n') Out.append("\r\n");
    Out.append("[").append(Section).append("]\r\n");
    Out.append(NewLine).append("\r\n");
  }
  return Out;
}

std::string GetPrivateProfileString(std::string_view Section, std::string_view Key,
                                    std::string_view Default, const std::string& FileName) {
  std::string Text;
  if (ReadFile(FileName, Text)) {
    if (auto Value = ReadValue(Text, Section, Key)) return std::move(*Value);
  }
  // Like the system's function, trailing spaces of the default are dropped.
  while (!Default.empty() && Default.back() == ' ')
    Default.remove_suffix(1);
  return std::string(Truncate(Default));
}

bool WritePrivateProfileString(std::string_view Section, std::string_view Key,
                               std::string_view Value, const std::string& FileName) {
  if (FileName.empty()) return false;
  const std::string Target = ResolveLink(FileName);

  std::string Old;
  struct stat St {};
  const bool Exists = ::stat(Target.c_str(), &St) == 0;
  if (Exists) {
    // Root may write anywhere, so the owner-write bit stands for the
    // read-only attribute a user can set on the file.
    if (!S_ISREG(St.st_mode) || (St.st_mode & S_IWUSR) == 0) return false;
    if (::access(Target.c_str(), W_OK) != 0) return false;
    if (!ReadFile(Target, Old)) return false;
  } else if (errno != ENOENT) {
    return false;
  }

  const std::string New = WriteValue(Old, Section, Key, Value);
  if (Exists && New == Old) return true;

  // The counter keeps threads of one process apart.
  static std::atomic<unsigned> Counter{0};
  const std::string Temp = Target + ".tmp" + std::to_string(::getpid()) + "." +
                           std::to_string(Counter.fetch_add(1, std::memory_order_relaxed));
  const mode_t Mode = Exists ? (St.st_mode & 07777) : 0666;
  ::unlink(Temp.c_str());
  const int Fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, Mode);
  if (Fd < 0) return false;

  bool Ok = WriteAll(Fd, New);
  if (Ok && Exists) {
    if (St.st_uid != ::geteuid() || St.st_gid != ::getegid()) {
      // Only a privileged process may keep the owner; anyone else ends up
      // owning the file, as with any file it creates.
      [[maybe_unused]] const int Chown = ::fchown(Fd, St.st_uid, St.st_gid);
    }
    // After the owner, which may clear set-id bits; the umask must not narrow
    // the permissions either.
    Ok = ::fchmod(Fd, Mode) == 0;
  }
  Ok = Ok && ::fsync(Fd) == 0;
  Ok = (::close(Fd) == 0) && Ok;
  Ok = Ok && ::rename(Temp.c_str(), Target.c_str()) == 0;
  if (!Ok) {
    ::unlink(Temp.c_str());
    return false;
  }

  // Makes the rename itself durable; not every file system allows it.
  const int Dir = ::open(FolderOf(Target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (Dir >= 0) {
    ::fsync(Dir);
    ::close(Dir);
  }
  return true;
}

} // namespace platform::profile
