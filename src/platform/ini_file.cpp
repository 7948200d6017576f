#include "platform/ini_file.h"

#include "platform/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <map>
#include <optional>
#include <thread>
#include <string_view>
#include <utility>
#include <vector>

namespace {
std::string Trim(const std::string& S) {
  const auto First = S.find_first_not_of(" \t\r\n");
  if (First == std::string::npos)
    return {};
  const auto Last = S.find_last_not_of(" \t\r\n");
  return S.substr(First, Last - First + 1);
}

bool SameName(const std::string& A, const std::string& B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
           return std::tolower(static_cast<unsigned char>(X)) == std::tolower(static_cast<unsigned char>(Y));
         });
}

// The section name of a "[name]" line.
std::optional<std::string> SectionOf(const std::string& Line) {
  const std::string T = Trim(Line);
  if (T.size() < 2 || T.front() != '[')
    return std::nullopt;
  const auto Close = T.find(']');
  if (Close == std::string::npos)
    return std::nullopt;
  return Trim(T.substr(1, Close - 1));
}

// The key of a "key=value" line, and where its value starts.
std::optional<std::pair<std::string, std::size_t>> KeyOf(const std::string& Line) {
  const auto Eq = Line.find('=');
  if (Eq == std::string::npos)
    return std::nullopt;
  const std::string T = Trim(Line);
  if (T.empty() || T.front() == ';' || T.front() == '#')
    return std::nullopt;
  return std::make_pair(Trim(Line.substr(0, Eq)), Eq + 1);
}

struct TLines {
  std::vector<std::string> Lines;
  bool FinalNewline = true;
  bool Bom = false; // an editor put a UTF-8 byte-order mark before the first line
};

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

enum class TRead { Done, NoFile, Unreadable, TooLarge };

// The file's lines. A name that holds no regular file reads as no file; a
// regular file that cannot be read is told apart, since writing over it would
// replace the player's settings with defaults.
TRead ReadLines(const std::string& Path, TLines& Result) {
  std::vector<unsigned char> Bytes;
  switch (ReadRegularFile(Path, IniFileMaxBytes, Bytes).Kind) {
  case TFileRead::Ok: break;
  case TFileRead::Missing:
  case TFileRead::Folder:
  case TFileRead::NotRegular: return TRead::NoFile;
  case TFileRead::TooLarge: return TRead::TooLarge;
  case TFileRead::Unreadable: return TRead::Unreadable;
  }
  const std::string_view Text(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
  std::size_t Start = 0;
  if (Text.starts_with(Utf8Bom)) {
    Result.Bom = true;
    Start = Utf8Bom.size();
  }
  while (Start < Text.size()) {
    auto End = Text.find('\n', Start);
    if (End == std::string::npos) {
      Result.Lines.emplace_back(Text.substr(Start));
      Result.FinalNewline = false;
      break;
    }
    Result.Lines.emplace_back(Text.substr(Start, End - Start));
    Start = End + 1;
  }
  return TRead::Done;
}
// Notes a file that must not be written over; true when this one is such a file.
bool Refuses(TRead Read, bool& Unreadable, bool& TooLarge) {
  TooLarge = TooLarge || Read == TRead::TooLarge;
  Unreadable = Unreadable || TooLarge || Read == TRead::Unreadable;
  return Unreadable;
}

// Index of the value's line of Key in Section, and of the section's last line.
struct TPlace {
  std::optional<std::size_t> SectionLine;
  std::optional<std::size_t> KeyLine;
  std::size_t SectionEnd = 0; // one past the last line that belongs to the section
};

TPlace Find(const std::vector<std::string>& Lines, const std::string& Section, const std::string& Key) {
  TPlace Place;
  bool Inside = false;
  for (std::size_t I = 0; I < Lines.size(); ++I) {
    if (const auto Name = SectionOf(Lines[I])) {
      if (Inside)
        break;
      Inside = SameName(*Name, Section);
      if (Inside && !Place.SectionLine) {
        Place.SectionLine = I;
        Place.SectionEnd = I + 1;
      }
      continue;
    }
    if (!Inside)
      continue;
    if (!Trim(Lines[I]).empty())
      Place.SectionEnd = I + 1;
    if (const auto K = KeyOf(Lines[I]); K && !Place.KeyLine && SameName(K->first, Key))
      Place.KeyLine = I;
  }
  return Place;
}

} // namespace

bool ParseIniInteger(const std::string& Raw, std::int32_t& Value) {
  const std::string Text = Trim(Raw);
  if (Text.size() > 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X')) {
    std::uint32_t Hex = 0;
    const char* First = Text.data() + 2;
    const char* Last = Text.data() + Text.size();
    const auto [End, Error] = std::from_chars(First, Last, Hex, 16);
    if (Error != std::errc() || End != Last)
      return false;
    Value = static_cast<std::int32_t>(Hex);
    return true;
  }
  const bool Plus = !Text.empty() && Text[0] == '+';
  const char* First = Text.data() + (Plus ? 1 : 0);
  const char* Last = Text.data() + Text.size();
  // The number reader takes a minus sign of its own: one sign only.
  if (First == Last || (Plus && *First == '-'))
    return false;
  std::int32_t Decimal = 0;
  const auto [End, Error] = std::from_chars(First, Last, Decimal, 10);
  if (Error != std::errc() || End != Last)
    return false;
  Value = Decimal;
  return true;
}

TIniFile::TIniFile(std::string aFileName) : Path(std::move(aFileName)) {
  TLines File;
  Refuses(ReadLines(Path, File), Unreadable, TooLarge);
}

void TIniFile::ReportFailure(const std::string& Why) {
  // The player hears of it once; the values are not saved in any case.
  if (std::exchange(FailureReported, true))
    return;
  throw EIniWriteError("Unable to write to " + Path + Why);
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Key,
                                 const std::string& Default) const {
  TLines File;
  Refuses(ReadLines(Path, File), Unreadable, TooLarge);
  const TPlace Place = Find(File.Lines, Section, Key);
  if (!Place.KeyLine)
    return Default;
  const std::string& Line = File.Lines[*Place.KeyLine];
  return Trim(Line.substr(KeyOf(Line)->second));
}

std::int32_t TIniFile::ReadInteger(const std::string& Section, const std::string& Key, std::int32_t Default) const {
  std::int32_t Value = 0;
  return ParseIniInteger(ReadString(Section, Key, {}), Value) ? Value : Default;
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Key, bool Default) const {
  return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Key, const std::string& Value) {
  const TIniSaveLock Lock(*this);
  TLines File;
  if (Refuses(ReadLines(Path, File), Unreadable, TooLarge)) {
    ReportFailure(TooLarge ? ": it is larger than " + std::to_string(IniFileMaxBytes >> 20) +
                                 " MB, so it was not read as settings and is left as it is"
                           : "");
    return;
  }
  std::vector<std::string>& Lines = File.Lines;
  const TPlace Place = Find(Lines, Section, Key);
  const bool Crlf = !Lines.empty() && !Lines.front().empty() && Lines.front().back() == '\r';
  const std::string Eol = Crlf ? "\r" : "";
  const std::string NewLine = Key + "=" + Value + Eol;
  if (Place.KeyLine) {
    Lines[*Place.KeyLine] = NewLine;
  } else if (Place.SectionLine) {
    Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(Place.SectionEnd), NewLine);
  } else {
    if (!Lines.empty() && !Trim(Lines.back()).empty())
      Lines.push_back(Eol);
    Lines.push_back("[" + Section + "]" + Eol);
    Lines.push_back(NewLine);
  }
  std::string Text(File.Bom ? Utf8Bom : std::string_view());
  for (std::size_t I = 0; I < Lines.size(); ++I) {
    Text += Lines[I];
    if (I + 1 < Lines.size() || File.FinalNewline || !Place.KeyLine)
      Text += '\n';
  }
  // Under the lock no other game is halfway through a save: what a killed one left is stale.
  RemoveStaleReplacements(Path);
  if (!ReplaceFileContents(Path, Text))
    ReportFailure("");
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Key, std::int32_t Value) {
  WriteString(Section, Key, std::to_string(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Key, bool Value) {
  WriteString(Section, Key, Value ? "1" : "0");
}

namespace {
// The settings folders this program holds locked, and how many holders each has.
struct THeldFolder {
  int Fd = -1;
  int Holders = 0;
  pid_t Owner = 0; // a child made by fork holds nothing of its parent's
};
std::map<std::string, THeldFolder>& HeldFolders() {
  static std::map<std::string, THeldFolder> Held;
  return Held;
}

constexpr auto LockPatience = std::chrono::seconds(3);

// The folder's lock, or -1 when it cannot be had in time (or at all: a folder
// that cannot be opened has nothing to save into either).
int LockFolder(const std::string& Folder) {
  const int Fd = open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (Fd < 0)
    return -1;
  const auto GiveUp = std::chrono::steady_clock::now() + LockPatience;
  while (flock(Fd, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= GiveUp) {
      close(Fd);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return Fd;
}

std::string FolderOfFile(const std::string& Path) {
  const auto Slash = Path.find_last_of('/');
  if (Slash == std::string::npos)
    return ".";
  return Slash == 0 ? "/" : Path.substr(0, Slash);
}
} // namespace

TIniSaveLock::TIniSaveLock(const TIniFile& Ini) : TIniSaveLock(Ini.FileName()) {}

TIniSaveLock::TIniSaveLock(const std::string& FileInFolder) : Folder(FolderOfFile(FileInFolder)) {
  THeldFolder& Held = HeldFolders()[Folder];
  if (Held.Owner != getpid())
    Held = {-1, 0, getpid()};
  if (Held.Holders++ == 0)
    Held.Fd = LockFolder(Folder);
}

TIniSaveLock::~TIniSaveLock() {
  THeldFolder& Held = HeldFolders()[Folder];
  if (--Held.Holders > 0)
    return;
  if (Held.Fd >= 0)
    close(Held.Fd); // closing lets the lock go
  HeldFolders().erase(Folder);
}
