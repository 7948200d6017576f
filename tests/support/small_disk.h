#pragma once
// A disk that fills up, for tests of what the game does when it is full.

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

// A tmpfs of its own, unmounted however the test ends.
class TSmallDisk {
public:
  TSmallDisk(const std::string& aPath, std::size_t Bytes) : Path(aPath) {
    std::filesystem::create_directory(Path);
    const std::string Options = "size=" + std::to_string(Bytes) + ",mode=0777";
    if (mount("tmpfs", Path.c_str(), "tmpfs", 0, Options.c_str()) == 0)
      Mounted = true;
    else
      Reason = std::strerror(errno);
  }
  ~TSmallDisk() {
    if (Mounted)
      umount2(Path.c_str(), MNT_DETACH);
  }
  TSmallDisk(const TSmallDisk&) = delete;
  TSmallDisk& operator=(const TSmallDisk&) = delete;
  bool Mounted = false;
  std::string Reason;

private:
  std::string Path;
};

// Takes every byte left on the disk of Folder.
inline void FillDisk(const std::string& Folder) {
  const int Fd = open((Folder + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
  const std::string Block(4096, 'f');
  for (std::size_t Size = Block.size(); Size > 0; Size /= 2)
    while (write(Fd, Block.data(), Size) == static_cast<ssize_t>(Size)) {
    }
  close(Fd);
}
