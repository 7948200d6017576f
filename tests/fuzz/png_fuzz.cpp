// Fuzz target: any bytes as a picture file. The loader either refuses it with
// a message that names the file, or gives a picture of a size the game can use.
#include "fuzz_scratch.h"
#include "platform/png_image.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {
void Check(bool Holds, const char* What) { fuzz::Check(Holds, "picture", What); }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string& Path = fuzz::InputFile("/tmp/clankora-fuzz-png-XXXXXX", "picture.png", Data, Size);
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
