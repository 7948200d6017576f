#include "platform/png_image.h"
#include "platform/files.h"
#include "platform/png_image_impl.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
// No picture of the game is larger than 640 x 480 or than 100 kB; these leave
// ample room and keep what one file can make the game take to a few tens of MB.
constexpr png_uint_32 MaxSide = 2048;
constexpr std::uintmax_t MaxFileBytes = 16 << 20;
// The largest chunk libpng may hold in memory, compressed or inflated.
constexpr png_alloc_size_t MaxChunkBytes = 1 << 20;
constexpr png_uint_32 MaxKeptChunks = 32;

// Chunks that only describe a picture (notes, colour profiles, times, sizes in
// inches): the game draws the pixels as stored, so libpng skips them unread.
constexpr png_byte SkippedChunks[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0cHRM\0gAMA\0sRGB\0bKGD\0hIST\0pHYs\0"
                                     "sBIT\0sCAL\0pCAL\0oFFs\0tIME";
constexpr int SkippedChunkCount = static_cast<int>(sizeof SkippedChunks / 5);

[[noreturn]] void Refuse(const std::string& Path, const std::string& Why) {
  throw EImageLoadError("Cannot open picture \"" + Path + "\": " + Why);
}

[[noreturn]] void Damaged(const std::string& Path, const std::string& Why) {
  throw EImageLoadError("Picture \"" + Path + "\" is damaged: " + Why);
}

// The whole file, read only when it is a regular file of a sensible size: a
// folder, a FIFO or a device under a picture's name is refused unopened.
std::vector<png_byte> ReadPictureFile(const std::string& Path) {
  std::vector<png_byte> Data;
  const TFileRead Read = ReadRegularFile(Path, MaxFileBytes, Data);
  switch (Read.Kind) {
  case TFileRead::Ok: return Data;
  case TFileRead::NotRegular: Refuse(Path, "not a regular file");
  case TFileRead::TooLarge: Refuse(Path, "too large for a picture (" + std::to_string(Read.Size) + " bytes)");
  case TFileRead::Missing:
  case TFileRead::Folder:
  case TFileRead::Unreadable: break;
  }
  Refuse(Path, std::strerror(Read.Error));
}

png_uint_32 BigEndian(const png_byte* P) {
  return static_cast<png_uint_32>(P[0]) << 24 | static_cast<png_uint_32>(P[1]) << 16 |
         static_cast<png_uint_32>(P[2]) << 8 | P[3];
}

// Walks the chunks before libpng sees them: a length that runs past the end of
// the file would have libpng reserve it, and a header that claims more pixels
// than any picture of the game would have us reserve them.
void CheckLayout(const std::vector<png_byte>& Data, const std::string& Path) {
  if (Data.size() < 8 || png_sig_cmp(Data.data(), 0, 8) != 0)
    throw EImageLoadError("Picture \"" + Path + "\" is not a valid PNG image: it does not start like one");
  std::size_t At = 8;
  while (At < Data.size()) {
    if (Data.size() - At < 12)
      Damaged(Path, "it ends inside a chunk");
    const png_uint_32 Length = BigEndian(&Data[At]);
    if (Length > Data.size() - At - 12)
      Damaged(Path, "a chunk claims " + std::to_string(Length) + " bytes, more than the rest of the file");
    const png_byte* Type = &Data[At + 4];
    if (At == 8 && std::memcmp(Type, "IHDR", 4) == 0 && Length >= 8) {
      const png_uint_32 Width = BigEndian(&Data[At + 8]), Height = BigEndian(&Data[At + 12]);
      if (Width > MaxSide || Height > MaxSide)
        Damaged(Path, "it claims " + std::to_string(Width) + " x " + std::to_string(Height) + " pixels");
    }
    if (std::memcmp(Type, "IEND", 4) == 0)
      return;
    At += 12 + Length;
  }
}

struct TSource {
  const std::vector<png_byte>* Data;
  std::size_t At = 0;
  char Error[200] = "";
};

void OnPngError(png_structp Png, png_const_charp Message) {
  auto* Source = static_cast<TSource*>(png_get_error_ptr(Png));
  std::snprintf(Source->Error, sizeof Source->Error, "%s", Message);
  png_longjmp(Png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp Png, png_bytep Out, png_size_t Length) {
  auto* Source = static_cast<TSource*>(png_get_io_ptr(Png));
  if (Length > Source->Data->size() - Source->At)
    png_error(Png, "the file ends early");
  std::memcpy(Out, Source->Data->data() + Source->At, Length);
  Source->At += Length;
}

// The two steps that may fail inside libpng, which reports by a long jump:
// nothing in them has a destructor to skip. False with the reason in the source.
bool ReadHeader(png_structp Png, png_infop Info, png_uint_32& Width, png_uint_32& Height) {
  if (setjmp(png_jmpbuf(Png)))
    return false;
  png_set_user_limits(Png, MaxSide, MaxSide);
  png_set_chunk_malloc_max(Png, MaxChunkBytes);
  png_set_chunk_cache_max(Png, MaxKeptChunks);
  png_set_keep_unknown_chunks(Png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
  png_set_keep_unknown_chunks(Png, PNG_HANDLE_CHUNK_NEVER, SkippedChunks, SkippedChunkCount);
  png_read_info(Png, Info);
  // Every form of PNG becomes 8-bit BGRA, which is exactly Qt's ARGB32 on a
  // little-endian machine.
  png_set_expand(Png);
  png_set_scale_16(Png);
  if ((png_get_color_type(Png, Info) & PNG_COLOR_MASK_COLOR) == 0)
    png_set_gray_to_rgb(Png);
  png_set_bgr(Png);
  png_set_add_alpha(Png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(Png);
  png_read_update_info(Png, Info);
  Width = png_get_image_width(Png, Info);
  Height = png_get_image_height(Png, Info);
  return png_get_rowbytes(Png, Info) == static_cast<png_size_t>(Width) * 4;
}

bool ReadPixels(png_structp Png, png_bytepp Rows) {
  if (setjmp(png_jmpbuf(Png)))
    return false;
  png_read_image(Png, Rows);
  png_read_end(Png, nullptr);
  return true;
}

bool FullyOpaque(const QImage& Image) {
  for (int Y = 0; Y < Image.height(); ++Y) {
    const auto* Line = reinterpret_cast<const QRgb*>(Image.constScanLine(Y));
    for (int X = 0; X < Image.width(); ++X)
      if (qAlpha(Line[X]) != 255)
        return false;
  }
  return true;
}

class TPngReader {
public:
  explicit TPngReader(TSource& Source) {
    Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &Source, OnPngError, OnPngWarning);
    if (Png != nullptr)
      Info = png_create_info_struct(Png);
    if (Info != nullptr)
      png_set_read_fn(Png, &Source, ReadFromMemory);
  }
  ~TPngReader() { png_destroy_read_struct(&Png, &Info, nullptr); }
  TPngReader(const TPngReader&) = delete;
  TPngReader& operator=(const TPngReader&) = delete;
  png_structp Png = nullptr;
  png_infop Info = nullptr;
};
} // namespace

TPngImage::TPngImage() : D(std::make_unique<TImpl>()) {}
TPngImage::~TPngImage() = default;
TPngImage::TPngImage(TPngImage&&) noexcept = default;
TPngImage& TPngImage::operator=(TPngImage&&) noexcept = default;

void TPngImage::LoadFromFile(const std::string& Path) {
  const std::vector<png_byte> Data = ReadPictureFile(Path);
  CheckLayout(Data, Path);

  TSource Source{&Data};
  TPngReader Reader(Source);
  if (Reader.Info == nullptr)
    throw EImageLoadError("Picture \"" + Path + "\" cannot be decoded: out of memory");
  png_uint_32 Width = 0, Height = 0;
  if (!ReadHeader(Reader.Png, Reader.Info, Width, Height))
    throw EImageLoadError("Picture \"" + Path + "\" is not a valid PNG image: " +
                          (Source.Error[0] != 0 ? Source.Error : "a pixel layout the game cannot use"));

  QImage Decoded(static_cast<int>(Width), static_cast<int>(Height), QImage::Format_ARGB32);
  if (Decoded.isNull())
    throw EImageLoadError("Picture \"" + Path + "\" is too large to decode");
  std::vector<png_bytep> Rows(Height);
  for (png_uint_32 Y = 0; Y < Height; ++Y)
    Rows[Y] = Decoded.scanLine(static_cast<int>(Y));
  if (!ReadPixels(Reader.Png, Rows.data()))
    Damaged(Path, Source.Error);

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
