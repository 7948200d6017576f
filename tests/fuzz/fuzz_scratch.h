#pragma once
// What the fuzz targets share: a file of their own to hand the game's readers,
// and a check that stops the run with a reason the fuzzer keeps.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fuzz {

// The path of Name in a folder of this run's own (made from Pattern, which
// ends in XXXXXX), removed when the run ends.
inline std::string ScratchFile(const char* Pattern, const char* Name) {
  struct TScratch {
    std::string Folder;
    ~TScratch() { std::filesystem::remove_all(Folder); }
  };
  static TScratch Scratch;
  std::string Folder = Pattern;
  if (mkdtemp(Folder.data()) == nullptr)
    std::abort();
  Scratch.Folder = Folder;
  return Folder + "/" + Name;
}

// The input written to that file, whose path it returns.
inline const std::string& InputFile(const char* Pattern, const char* Name, const std::uint8_t* Data,
                                    std::size_t Size) {
  static const std::string Path = ScratchFile(Pattern, Name);
  std::ofstream(Path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
  return Path;
}

inline void Check(bool Holds, const char* Target, const char* What) {
  if (Holds)
    return;
  std::fprintf(stderr, "%s: %s\n", Target, What);
  std::abort();
}

} // namespace fuzz
