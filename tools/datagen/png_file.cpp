#include "png_file.h"

#include <png.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

// libpng reports errors through longjmp; this wrapper keeps that inside one
// function and turns a failure into an exception afterwards.
class TPngWriter {
public:
  TPngWriter() {
    Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    Info = Png ? png_create_info_struct(Png) : nullptr;
    if (!Png || !Info)
      throw std::runtime_error("libpng cannot start a PNG writer");
  }
  ~TPngWriter() { png_destroy_write_struct(&Png, &Info); }
  TPngWriter(const TPngWriter&) = delete;
  TPngWriter& operator=(const TPngWriter&) = delete;

  // Rows point at the pixel data in libpng's layout for the header already set.
  // Returns false when libpng failed.
  bool Write(std::vector<png_bytep>& Rows, const std::string& PadText) {
    if (setjmp(png_jmpbuf(Png)))
      return false;
    png_set_write_fn(Png, &Bytes, &Append, nullptr);
    // Fixed settings, so the same picture always gives the same bytes.
    png_set_compression_level(Png, 9);
    png_set_compression_mem_level(Png, 9);
    png_write_info(Png, Info);
    png_write_image(Png, Rows.data());
    if (!PadText.empty()) {
      png_text Text{};
      Text.compression = PNG_TEXT_COMPRESSION_NONE;
      Text.key = const_cast<char*>("Comment");
      Text.text = const_cast<char*>(PadText.c_str());
      Text.text_length = PadText.size();
      png_set_text(Png, Info, &Text, 1);
    }
    png_write_end(Png, Info);
    return true;
  }

  png_structp Png = nullptr;
  png_infop Info = nullptr;
  std::vector<std::uint8_t> Bytes;

private:
  static void Append(png_structp Png, png_bytep Data, png_size_t Length) {
    auto* Out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(Png));
    Out->insert(Out->end(), Data, Data + Length);
  }
};

} // namespace

std::vector<std::uint8_t> EncodeRgbaPng(const QImage& Image) {
  const QImage Rgba = Image.convertToFormat(QImage::Format_RGBA8888);
  TPngWriter W;
  png_set_IHDR(W.Png, W.Info, static_cast<png_uint_32>(Rgba.width()), static_cast<png_uint_32>(Rgba.height()), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_bytep> Rows(static_cast<std::size_t>(Rgba.height()));
  for (int Y = 0; Y < Rgba.height(); ++Y)
    Rows[static_cast<std::size_t>(Y)] = const_cast<png_bytep>(Rgba.constScanLine(Y));
  if (!W.Write(Rows, {}))
    throw std::runtime_error("libpng could not encode a picture");
  return std::move(W.Bytes);
}

std::vector<std::uint8_t> EncodeIndexedPng(const TIndexedPicture& Picture, const std::string& PadText) {
  if (Picture.Palette.empty() || Picture.Palette.size() > 256)
    throw std::invalid_argument("a palette picture needs 1 to 256 colours");
  TPngWriter W;
  png_set_IHDR(W.Png, W.Info, Picture.Width, Picture.Height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> Colours;
  for (QRgb C : Picture.Palette)
    Colours.push_back({static_cast<png_byte>(qRed(C)), static_cast<png_byte>(qGreen(C)),
                       static_cast<png_byte>(qBlue(C))});
  png_set_PLTE(W.Png, W.Info, Colours.data(), static_cast<int>(Colours.size()));
  // Palette pictures of flat colour areas pack best unfiltered.
  png_set_filter(W.Png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  std::vector<png_bytep> Rows(Picture.Height);
  for (std::uint32_t Y = 0; Y < Picture.Height; ++Y)
    Rows[Y] = const_cast<png_bytep>(Picture.Indices.data() + static_cast<std::size_t>(Y) * Picture.Width);
  if (!W.Write(Rows, PadText))
    throw std::runtime_error("libpng could not encode a palette picture");
  return std::move(W.Bytes);
}

void WriteFileBytes(const std::string& Path, const std::vector<std::uint8_t>& Bytes) {
  const std::filesystem::path P(Path);
  if (P.has_parent_path())
    std::filesystem::create_directories(P.parent_path());
  std::ofstream Out(P, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
  if (!Out)
    throw std::runtime_error("cannot write " + Path);
}
