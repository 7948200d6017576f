#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// A file descriptor closed when it goes out of scope.
class TFd {
public:
  explicit TFd(int aFd) : Fd(aFd) {}
  ~TFd() {
    if (Fd >= 0)
      close(Fd);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return Fd; }
  bool Close() { // false when the last write-back failed
    const int Closing = Fd;
    Fd = -1;
    return close(Closing) == 0;
  }

private:
  int Fd;
};

bool WriteAt(int Fd, const char* Data, std::size_t Size, off_t Offset) {
  while (Size > 0) {
    const ssize_t N = pwrite(Fd, Data, Size, Offset);
    if (N < 0 && errno == EINTR)
      continue;
    if (N <= 0)
      return false;
    Data += N;
    Size -= static_cast<std::size_t>(N);
    Offset += N;
  }
  return true;
}

// The file a chain of symbolic links leads to (the name itself when it is
// none), or nothing for a loop.
std::optional<std::string> LinkTarget(const std::string& Path) {
  fs::path Target = Path;
  for (int Hops = 0; Hops < 40; ++Hops) {
    std::error_code Error;
    if (!fs::is_symlink(fs::symlink_status(Target, Error)))
      return Target.string();
    const fs::path Next = fs::read_symlink(Target, Error);
    if (Error)
      return std::nullopt;
    Target = Next.is_absolute() ? Next : Target.parent_path() / Next;
  }
  return std::nullopt;
}

// A folder that refuses new files: the file itself is rewritten. Its new end
// is written first, so that a full disk fails before any old byte is touched.
bool RewriteInPlace(const std::string& Target, const std::string& Text) {
  TFd File(open(Target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  struct stat Info {};
  if (File.Get() < 0 || fstat(File.Get(), &Info) != 0 || !S_ISREG(Info.st_mode))
    return false;
  const auto OldSize = static_cast<std::size_t>(Info.st_size);
  if (Text.size() > OldSize &&
      !WriteAt(File.Get(), Text.data() + OldSize, Text.size() - OldSize, static_cast<off_t>(OldSize))) {
    [[maybe_unused]] const int Restored = ftruncate(File.Get(), Info.st_size);
    return false;
  }
  if (!WriteAt(File.Get(), Text.data(), std::min(OldSize, Text.size()), 0))
    return false;
  if (Text.size() < OldSize && ftruncate(File.Get(), static_cast<off_t>(Text.size())) != 0)
    return false;
  return fsync(File.Get()) == 0 && File.Close();
}

mode_t NewFileMode() {
  const mode_t Mask = umask(0);
  umask(Mask);
  return 0666 & ~Mask;
}

// The new file of a replacement is named after the file, with six characters of its own.
constexpr const char* ReplacementSuffix = ".tmp-XXXXXX";

std::string FolderOf(const std::string& Target) {
  const fs::path Parent = fs::path(Target).parent_path();
  return Parent.empty() ? "." : Parent.string();
}

void SyncFolder(const std::string& Folder) {
  TFd Dir(open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (Dir.Get() >= 0)
    fsync(Dir.Get());
}
} // namespace

TFileRead ReadRegularFile(const std::string& Path, std::uintmax_t MaxBytes, std::vector<unsigned char>& Data) {
  Data.clear();
  struct stat Info {};
  if (stat(Path.c_str(), &Info) != 0)
    return {errno == ENOENT ? TFileRead::Missing : TFileRead::Unreadable, errno, 0};
  if (S_ISDIR(Info.st_mode))
    return {TFileRead::Folder, EISDIR, 0};
  if (!S_ISREG(Info.st_mode))
    return {TFileRead::NotRegular, 0, 0};
  const auto Size = static_cast<std::uintmax_t>(Info.st_size);
  if (Size > MaxBytes)
    return {TFileRead::TooLarge, 0, Size};
  // Not waiting, should the name have become a FIFO since.
  const TFd File(open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (File.Get() < 0)
    return {TFileRead::Unreadable, errno, 0};
  Data.resize(static_cast<std::size_t>(Size));
  std::size_t Done = 0;
  while (Done < Data.size()) {
    const ssize_t N = read(File.Get(), Data.data() + Done, Data.size() - Done);
    if (N < 0 && errno == EINTR)
      continue;
    if (N < 0) {
      const int Error = errno;
      Data.clear();
      return {TFileRead::Unreadable, Error, 0};
    }
    if (N == 0)
      break;
    Done += static_cast<std::size_t>(N);
  }
  Data.resize(Done);
  return {};
}

bool FileExists(const std::string& Path) {
  std::error_code Error;
  return fs::is_regular_file(Path, Error);
}

std::int64_t FileSize(const std::string& Path) {
  if (!FileExists(Path))
    return -1;
  std::FILE* File = std::fopen(Path.c_str(), "rb");
  if (File == nullptr)
    return -1;
  std::int64_t Size = -1;
  if (std::fseek(File, 0, SEEK_END) == 0)
    Size = std::ftell(File);
  std::fclose(File);
  return Size;
}

std::string ChangeFileExt(const std::string& Path, const std::string& NewExt) {
  const auto Slash = Path.find_last_of('/');
  const auto Dot = Path.find_last_of('.');
  if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash))
    return Path + NewExt;
  return Path.substr(0, Dot) + NewExt;
}

bool NameExists(const std::string& Path) {
  std::error_code Error;
  return fs::symlink_status(Path, Error).type() != fs::file_type::not_found && !Error;
}

std::string ExistingOrAlternative(const std::string& Path, const std::string& AlternativeExt) {
  // Anything by that name counts, a folder or a broken link too: the player
  // is then told what is wrong with it, not that the other name is missing.
  if (NameExists(Path))
    return Path;
  return ChangeFileExt(Path, AlternativeExt);
}

std::string ProgramPath() {
  std::error_code Error;
  const fs::path Exe = fs::read_symlink("/proc/self/exe", Error);
  if (Error)
    return {};
  return Exe.string();
}

std::string ProgramDir() {
  return fs::path(ProgramPath()).parent_path().string();
}

bool ReplaceFileContents(const std::string& Path, const std::string& Text) {
  const std::optional<std::string> Resolved = LinkTarget(Path);
  if (!Resolved)
    return false;
  const std::string& Target = *Resolved;
  struct stat Old {};
  const bool Exists = stat(Target.c_str(), &Old) == 0;
  if (!Exists && errno != ENOENT)
    return false;
  // A file the user may not write is left as it is, although the folder would
  // let a new file take its place.
  if (Exists && (!S_ISREG(Old.st_mode) || access(Target.c_str(), W_OK) != 0))
    return false;

  const std::string Folder = FolderOf(Target);
  std::string Temp = Target + ReplacementSuffix;
  TFd File(mkostemp(Temp.data(), O_CLOEXEC));
  if (File.Get() < 0) {
    const bool FolderRefuses = errno == EACCES || errno == EPERM;
    return Exists && FolderRefuses && RewriteInPlace(Target, Text);
  }
  bool Done = fchmod(File.Get(), Exists ? (Old.st_mode & 07777) : NewFileMode()) == 0;
  // Saved by root, a player's file stays the player's.
  if (Done && Exists && geteuid() == 0)
    Done = fchown(File.Get(), Old.st_uid, Old.st_gid) == 0;
  Done = Done && WriteAt(File.Get(), Text.data(), Text.size(), 0) && fsync(File.Get()) == 0;
  Done = File.Close() && Done;
  if (Done && rename(Temp.c_str(), Target.c_str()) == 0) {
    SyncFolder(Folder);
    return true;
  }
  unlink(Temp.c_str());
  return false;
}

void RemoveStaleReplacements(const std::string& Path) {
  const std::optional<std::string> Target = LinkTarget(Path);
  if (!Target)
    return;
  const std::string Prefix = fs::path(*Target).filename().string() + ".tmp-";
  std::error_code Error;
  for (fs::directory_iterator It(FolderOf(*Target), Error), End; !Error && It != End; It.increment(Error)) {
    const std::string Name = It->path().filename().string();
    std::error_code Ignored;
    if (Name.size() == Prefix.size() + 6 && Name.starts_with(Prefix) && It->is_regular_file(Ignored))
      fs::remove(It->path(), Ignored);
  }
}

TAppendFile::~TAppendFile() { Close(); }

bool TAppendFile::Open(const std::string& Path) {
  Close();
  Written = 0;
  Fd = open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
  if (Fd < 0)
    return Fail();
  struct stat Info {};
  if (fstat(Fd, &Info) != 0)
    return Fail();
  if (!S_ISREG(Info.st_mode)) {
    errno = EINVAL;
    return Fail();
  }
  return true;
}

bool TAppendFile::Append(const std::uint8_t* Data, std::size_t Size) {
  if (Fd < 0)
    return false;
  errno = ENOSPC; // a write that takes nothing sets no reason of its own
  if (!WriteAt(Fd, reinterpret_cast<const char*>(Data), Size, static_cast<off_t>(Written)) || fdatasync(Fd) != 0) {
    const int Error = errno;
    // A piece cut off by a full disk would hide nothing, but it is not left to be read as one.
    [[maybe_unused]] const int Ignored = ftruncate(Fd, static_cast<off_t>(Written));
    errno = Error;
    return Fail();
  }
  Written += Size;
  return true;
}

void TAppendFile::Close() {
  if (Fd >= 0)
    close(Fd);
  Fd = -1;
}

bool TAppendFile::Fail() {
  Reason = std::strerror(errno);
  Close();
  return false;
}
