// Fuzz target: any bytes as a picture file. The loader either refuses it with
// a message that names the file, or gives a picture of a size the game can use.
#include "platform/png_image.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {
// A folder of this run's own, removed when the run ends.
struct TScratch {
  std::string Folder;
  ~TScratch() { std::filesystem::remove_all(Folder); }
};

const std::string& FilePath() {
  static TScratch Scratch;
  static const std::string Path = [] {
    char Folder[] = "/tmp/clankora-fuzz-png-XXXXXX";
    if (mkdtemp(Folder) == nullptr)
      std::abort();
    Scratch.Folder = Folder;
    return std::string(Folder) + "/picture.png";
  }();
  return Path;
}

void Check(bool Holds, const char* What) {
  if (Holds)
    return;
  std::fprintf(stderr, "picture: %s\n", What);
  std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string& Path = FilePath();
  std::ofstream(Path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(Data),
                                                                 static_cast<std::streamsize>(Size));
  TPngImage Image;
  try {
    Image.LoadFromFile(Path);
  } catch (const EImageLoadError& Error) {
    Check(std::string(Error.what()).find(Path) != std::string::npos, "the refusal names the file");
    Check(Image.Empty(), "a refused picture leaves nothing behind");
    return 0;
  }
  Check(Image.Width() >= 1 && Image.Width() <= 2048 && Image.Height() >= 1 && Image.Height() <= 2048,
        "a loaded picture has a size the game can use");
  Image.PixelAt(Image.Width() - 1, Image.Height() - 1);
  return 0;
}
