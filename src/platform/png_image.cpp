#include "platform/png_image.h"
#include "platform/png_image_impl.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
struct TFileCloser {
  void operator()(std::FILE* File) const { std::fclose(File); }
};

bool FullyOpaque(const QImage& Image) {
  for (int Y = 0; Y < Image.height(); ++Y) {
    const auto* Line = reinterpret_cast<const QRgb*>(Image.constScanLine(Y));
    for (int X = 0; X < Image.width(); ++X)
      if (qAlpha(Line[X]) != 255)
        return false;
  }
  return true;
}
} // namespace

TPngImage::TPngImage() : D(std::make_unique<TImpl>()) {}
TPngImage::~TPngImage() = default;
TPngImage::TPngImage(TPngImage&&) noexcept = default;
TPngImage& TPngImage::operator=(TPngImage&&) noexcept = default;

void TPngImage::LoadFromFile(const std::string& Path) {
  std::unique_ptr<std::FILE, TFileCloser> File(std::fopen(Path.c_str(), "rb"));
  if (!File)
    throw EImageLoadError("Cannot open picture \"" + Path + "\": " + std::strerror(errno));

  png_image Png;
  std::memset(&Png, 0, sizeof Png);
  Png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_stdio(&Png, File.get()) == 0)
    throw EImageLoadError("Picture \"" + Path + "\" is not a valid PNG image: " + Png.message);

  // No picture of the game comes near this; a header that claims more is damaged.
  constexpr png_uint_32 MaxSide = 8192;
  if (Png.width > MaxSide || Png.height > MaxSide) {
    png_image_free(&Png);
    throw EImageLoadError("Picture \"" + Path + "\" is damaged: it claims " + std::to_string(Png.width) + " x " +
                          std::to_string(Png.height) + " pixels");
  }

  // BGRA in memory is exactly Qt's ARGB32 on a little-endian machine.
  Png.format = PNG_FORMAT_BGRA;
  QImage Decoded(static_cast<int>(Png.width), static_cast<int>(Png.height), QImage::Format_ARGB32);
  if (Decoded.isNull()) {
    png_image_free(&Png);
    throw EImageLoadError("Picture \"" + Path + "\" is too large to decode");
  }
  if (png_image_finish_read(&Png, nullptr, Decoded.bits(), static_cast<png_int_32>(Decoded.bytesPerLine()),
                            nullptr) == 0)
    throw EImageLoadError("Picture \"" + Path + "\" is damaged: " + Png.message);

  // An opaque picture (the background, the screens) is drawn as a plain copy;
  // one with transparency is kept premultiplied, which blends fastest.
  D->Image = Decoded.convertToFormat(FullyOpaque(Decoded) ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
}

bool TPngImage::Empty() const { return D->Image.isNull(); }
std::uint32_t TPngImage::Width() const { return static_cast<std::uint32_t>(D->Image.width()); }
std::uint32_t TPngImage::Height() const { return static_cast<std::uint32_t>(D->Image.height()); }

TRgba TPngImage::PixelAt(std::uint32_t X, std::uint32_t Y) const {
  if (X >= Width() || Y >= Height())
    return {};
  const QColor C = D->Image.pixelColor(static_cast<int>(X), static_cast<int>(Y));
  return {static_cast<std::uint8_t>(C.red()), static_cast<std::uint8_t>(C.green()),
          static_cast<std::uint8_t>(C.blue()), static_cast<std::uint8_t>(C.alpha())};
}
