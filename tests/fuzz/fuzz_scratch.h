#pragma once
// What the fuzz targets share: a file of their own to hand the game's readers,
// and a check that stops the run with a reason the fuzzer keeps.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

inline void Check(bool Holds, const char* Target, const char* What) {
  if (Holds)
    return;
  std::fprintf(stderr, "%s: %s\n", Target, What);
  std::abort();
}

} // namespace fuzz
