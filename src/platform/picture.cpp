#include "platform/picture.h"
#include "platform/picture_impl.h"
#include "platform/png_image_impl.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
QColor FromBgr(std::uint32_t Color) {
  return QColor(static_cast<int>(Color & 0xFF), static_cast<int>((Color >> 8) & 0xFF),
                static_cast<int>((Color >> 16) & 0xFF));
}

QString FromUtf8(const std::string& Text) {
  return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
}

// One premultiplied pixel over another, as Qt's painter blends them:
// d * (255 - alpha) / 255 rounded the way its BYTE_MUL rounds.
inline std::uint32_t OverPixel(std::uint32_t S, std::uint32_t D) {
  if (S >= 0xFF000000u)
    return S;
  if (S == 0)
    return D;
  const std::uint32_t A = 255 - (S >> 24);
  std::uint32_t Rb = (D & 0xFF00FFu) * A;
  Rb = ((Rb + ((Rb >> 8) & 0xFF00FFu) + 0x800080u) >> 8) & 0xFF00FFu;
  std::uint32_t Ag = ((D >> 8) & 0xFF00FFu) * A;
  Ag = (Ag + ((Ag >> 8) & 0xFF00FFu) + 0x800080u) & 0xFF00FF00u;
  return S + (Ag | Rb);
}

// A block of pixels in a picture: its first pixel and the distance from one
// row to the next.
struct TBlock {
  std::uint32_t* Pixels;
  std::size_t Line;
};
struct TConstBlock {
  const std::uint32_t* Pixels;
  std::size_t Line;
};

// The same arithmetic on Bytes / 4 pixels at once, each colour in a 16-bit
// lane, with the processor's wider instructions where it has them.
template <int Bytes> struct TVectors;
template <> struct TVectors<32> {
  using TPixels = std::uint32_t __attribute__((vector_size(32)));
  using TLanes = std::uint16_t __attribute__((vector_size(32)));
};
template <> struct TVectors<64> {
  using TPixels = std::uint32_t __attribute__((vector_size(64)));
  using TLanes = std::uint16_t __attribute__((vector_size(64)));
};

// One row of Width pixels: D = S over U; U may be D itself.
template <int Bytes>
[[gnu::always_inline]] inline void BlendSpan(std::uint32_t* D, const std::uint32_t* S, const std::uint32_t* U,
                                             int Width) {
  using TPixels = typename TVectors<Bytes>::TPixels;
  using TLanes = typename TVectors<Bytes>::TLanes;
  constexpr int AtOnce = Bytes / 4;
  int X = 0;
  for (; X + AtOnce <= Width; X += AtOnce) {
    TPixels Sv, Dv;
    std::memcpy(&Sv, S + X, sizeof Sv);
    std::memcpy(&Dv, U + X, sizeof Dv);
    const TPixels Alpha = Sv >> 24;
    const TLanes A = 255 - reinterpret_cast<TLanes>(Alpha | (Alpha << 16));
    const TLanes Lanes = reinterpret_cast<TLanes>(Dv);
    TLanes Rb = (Lanes & 0xFF) * A;
    Rb = (Rb + (Rb >> 8) + 0x80) >> 8;
    TLanes Ag = (Lanes >> 8) * A;
    Ag = (Ag + (Ag >> 8) + 0x80) & 0xFF00;
    const TPixels Result = Sv + reinterpret_cast<TPixels>(Ag | Rb);
    std::memcpy(D + X, &Result, sizeof Result);
  }
  for (; X < Width; ++X)
    D[X] = OverPixel(S[X], U[X]);
}

// One row of Width pixels copied: short stretches, a cell or a few, go
// faster inline than through a call.
[[gnu::always_inline]] inline void CopySpan(std::uint32_t* D, const std::uint32_t* S, int Width) {
  if (Width >= 256) {
    std::memcpy(D, S, static_cast<std::size_t>(Width) * 4);
    return;
  }
  int X = 0;
  for (; X + 8 <= Width; X += 8)
    std::memcpy(D + X, S + X, 32);
  for (; X < Width; ++X)
    D[X] = S[X];
}

// S over D for a block of Width x Height pixels.
__attribute__((target_clones("avx2", "default"))) void BlendBlock(TBlock D, TConstBlock S, int Width, int Height) {
  for (int Row = 0; Row < Height; ++Row) {
    std::uint32_t* To = D.Pixels + static_cast<std::size_t>(Row) * D.Line;
    BlendSpan<32>(To, S.Pixels + static_cast<std::size_t>(Row) * S.Line, To, Width);
  }
}

// S copied over D for a block of Width x Height pixels.
void CopyBlock(TBlock D, TConstBlock S, int Width, int Height) {
  for (int Row = 0; Row < Height; ++Row)
    std::memcpy(D.Pixels + static_cast<std::size_t>(Row) * D.Line, S.Pixels + static_cast<std::size_t>(Row) * S.Line,
                static_cast<std::size_t>(Width) * 4);
}

using TRun = TPicture::TImpl::TRun;

// Height rows of D from U and the runs, one row at a time from left to right,
// so that every row is read and written in one sweep.
template <int Bytes>
[[gnu::always_inline]] inline void ComposeRowsWith(TBlock D, TConstBlock U, const TRun* Runs, std::size_t Count,
                                                   int Height) {
  for (int Row = 0; Row < Height; ++Row) {
    std::uint32_t* To = D.Pixels + static_cast<std::size_t>(Row) * D.Line;
    const std::uint32_t* Below = U.Pixels + static_cast<std::size_t>(Row) * U.Line;
    for (const TRun* R = Runs; R != Runs + Count; ++R) {
      const auto X = static_cast<std::size_t>(R->X);
      const std::uint32_t* From = R->From + static_cast<std::size_t>(Row) * R->Line;
      if (R->Blend)
        BlendSpan<Bytes>(To + X, From, Below + X, R->Width);
      else
        CopySpan(To + X, From, R->Width);
    }
  }
}

__attribute__((target("avx512bw,avx512vl"))) void ComposeRowsWide(TBlock D, TConstBlock U, const TRun* Runs,
                                                                   std::size_t Count, int Height) {
  ComposeRowsWith<64>(D, U, Runs, Count, Height);
}

__attribute__((target_clones("avx2", "default"))) void ComposeRowsNarrow(TBlock D, TConstBlock U, const TRun* Runs,
                                                                          std::size_t Count, int Height) {
  ComposeRowsWith<32>(D, U, Runs, Count, Height);
}

void ComposeRows(TBlock D, TConstBlock U, const TRun* Runs, std::size_t Count, int Height) {
  (TPicture::TImpl::WideBlending ? ComposeRowsWide : ComposeRowsNarrow)(D, U, Runs, Count, Height);
}

// Pixels from one row to the next, and where the block from (X, Y) begins.
std::size_t LineOf(const QImage& Image) { return static_cast<std::size_t>(Image.bytesPerLine()) / 4; }
TBlock BlockAt(QImage& Image, int X, int Y) {
  return {reinterpret_cast<std::uint32_t*>(Image.bits()) + static_cast<std::size_t>(Y) * LineOf(Image) +
              static_cast<std::size_t>(X),
          LineOf(Image)};
}
TConstBlock BlockAt(const QImage& Image, int X, int Y) {
  return {reinterpret_cast<const std::uint32_t*>(Image.constBits()) + static_cast<std::size_t>(Y) * LineOf(Image) +
              static_cast<std::size_t>(X),
          LineOf(Image)};
}

} // namespace

const bool TPicture::TImpl::WideAvailable = [] {
  __builtin_cpu_init(); // this may run before the runtime's own start-up code
  return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
}();
bool TPicture::TImpl::WideBlending = TPicture::TImpl::WideAvailable;

QFont& TPicture::TImpl::CurrentFont() {
  // The bold face is the one the game's screens are lettered in, installed
  // with the game's packages; the default face is whatever the system offers.
  const QString Family = FontBold ? QStringLiteral("DejaVu Sans") : QStringLiteral("Sans Serif");
  if (!Font) {
    Font.emplace();
    Font->setStyleHint(QFont::SansSerif);
  }
  if (Font->family() != Family)
    Font->setFamily(Family);
  if (Font->bold() != FontBold)
    Font->setBold(FontBold);
  if (Font->pointSize() != FontPoints)
    Font->setPointSize(FontPoints);
  return *Font;
}

QPainter& TPicture::TImpl::Paint() {
  if (!Painter) {
    Painter.emplace(&Image);
    Painter->setRenderHint(QPainter::TextAntialiasing);
    if (Clip)
      Painter->setClipRect(*Clip);
  }
  return *Painter;
}

bool TPicture::TImpl::Note(const std::string& Call, const QRect& Touched) {
  if (Recording == nullptr)
    return true;
  Recording->Calls += Call;
  Recording->Calls += '\n';
  const TPictureRect R{Touched.x(), Touched.y(), Touched.width(), Touched.height()};
  Recording->Bounds = Recording->Bounds.United(R);
  return RecordingDraws;
}

QRect TPicture::TImpl::TextBox(const QString& Text) {
  const std::string Key = std::to_string(FontPoints) + (FontBold ? " bold " : " plain ") + Text.toStdString();
  for (const auto& [Known, Box] : TextBoxes)
    if (Known == Key)
      return Box;
  // Letters may reach a little beyond their advance and their line.
  const QFontMetrics Metrics(CurrentFont(), &Image);
  const QRect Line(0, 0, Metrics.horizontalAdvance(Text), Metrics.height());
  const QRect Ink = Metrics.boundingRect(Text).translated(0, Metrics.ascent());
  const QRect Box = Line.united(Ink).adjusted(-2, -2, 2, 2);
  constexpr std::size_t Kept = 16;
  if (TextBoxes.size() >= Kept)
    TextBoxes.erase(TextBoxes.begin());
  TextBoxes.emplace_back(Key, Box);
  return Box;
}

TPictureRect TPictureRect::United(const TPictureRect& O) const {
  if (O.Empty())
    return *this;
  if (Empty())
    return O;
  const std::int32_t L = std::min(X, O.X), T = std::min(Y, O.Y);
  return {L, T, std::max(X + W, O.X + O.W) - L, std::max(Y + H, O.Y + O.H) - T};
}

const QImage& TPicture::TImpl::Finished() {
  Painter.reset();
  return Image;
}

TPicture::TPicture(std::uint32_t Width, std::uint32_t Height) : D(std::make_unique<TImpl>()) {
  D->Image = QImage(static_cast<int>(Width), static_cast<int>(Height), QImage::Format_ARGB32_Premultiplied);
  D->Image.fill(Qt::black);
}

TPicture::~TPicture() = default;

std::uint32_t TPicture::Width() const { return static_cast<std::uint32_t>(D->Image.width()); }
std::uint32_t TPicture::Height() const { return static_cast<std::uint32_t>(D->Image.height()); }

void TPicture::Draw(std::int32_t X, std::int32_t Y, const TPngImage& Image) {
  if (Image.Empty())
    return;
  const QImage& Source = Image.Impl().Image;
  if (D->Recording != nullptr &&
      !D->Note("D " + std::to_string(X) + ' ' + std::to_string(Y) + ' ' +
                   std::to_string(reinterpret_cast<std::uintptr_t>(&Image)),
               QRect(X, Y, Source.width(), Source.height())))
    return;
  D->DrawImage(QPoint(X, Y), Source);
}

void TPicture::TImpl::DrawImage(const QPoint& Where, const QImage& Source) {
  QRect Target = QRect(Where, Source.size()) & Image.rect();
  if (Clip)
    Target &= *Clip;
  if (Target.isEmpty())
    return;
  // Drawn straight into the pixels when the painter would do the very same
  // (an opaque image's rows are copied as they are); a shared picture would
  // be copied away from under the painter instead.
  if (Image.format() == QImage::Format_ARGB32_Premultiplied && Image.isDetached()) {
    const QPoint From = Target.topLeft() - Where;
    const TBlock To = BlockAt(Image, Target.x(), Target.y());
    const TConstBlock Pixels = BlockAt(Source, From.x(), From.y());
    if (Source.format() == QImage::Format_ARGB32_Premultiplied) {
      BlendBlock(To, Pixels, Target.width(), Target.height());
      return;
    }
    if (Source.format() == QImage::Format_RGB32) {
      CopyBlock(To, Pixels, Target.width(), Target.height());
      return;
    }
  }
  Paint().drawImage(Where, Source);
}

void TPicture::ComposeBand(std::int32_t Y, std::int32_t Height, const std::vector<TBandPart>& Parts,
                           TPicture& Under) {
  const QImage& Below = Under.D->Finished();
  const QRect Band = QRect(0, Y, D->Image.width(), Height) & (D->Clip ? *D->Clip : D->Image.rect());
  bool Fast = D->Recording == nullptr && Below.size() == D->Image.size() &&
              Below.format() == QImage::Format_ARGB32_Premultiplied &&
              D->Image.format() == QImage::Format_ARGB32_Premultiplied && D->Image.isDetached();
  std::vector<TImpl::TRun>& Runs = D->Runs;
  Runs.clear();
  for (const TBandPart& Part : Parts) {
    if (!Fast)
      break;
    Fast = Band.contains(QRect(Part.X, Y, Part.W, Height));
    if (Part.Image == nullptr) {
      const TConstBlock Block = BlockAt(Below, Part.X, Y);
      Runs.push_back({Part.X, Part.W, Block.Pixels, Block.Line, false});
      continue;
    }
    const QImage& Source = Part.Image->Impl().Image;
    const bool Opaque = Source.format() == QImage::Format_RGB32;
    Fast = Fast && (Opaque || Source.format() == QImage::Format_ARGB32_Premultiplied) && Source.width() == Part.W &&
           Source.height() == Height;
    const TConstBlock Block = BlockAt(Source, 0, 0);
    Runs.push_back({Part.X, Part.W, Block.Pixels, Block.Line, !Opaque});
  }
  if (!Fast) {
    for (const TBandPart& Part : Parts) {
      CopyRect(Under, {Part.X, Y, Part.W, Height});
      if (Part.Image != nullptr)
        Draw(Part.X, Y, *Part.Image);
    }
    return;
  }
  ComposeRows(BlockAt(D->Image, 0, Y), BlockAt(Below, 0, Y), Runs.data(), Runs.size(), Height);
}

void TPicture::SetFontColor(std::uint32_t Color) { D->FontColor = FromBgr(Color); }
void TPicture::SetFontSize(std::int32_t Points) { D->FontPoints = Points > 0 ? Points : 1; }
void TPicture::SetBrushClear() { D->BrushClear = true; }

void TPicture::TextOut(std::int32_t X, std::int32_t Y, const std::string& Text) {
  const QString S = FromUtf8(Text);
  if (D->Recording != nullptr) {
    const std::string Call = "T " + std::to_string(X) + ' ' + std::to_string(Y) + ' ' +
                             std::to_string(D->FontColor.rgb()) + ' ' + std::to_string(D->FontPoints) +
                             (D->FontBold ? " bold " : " plain ") + (D->BrushClear ? "clear " : "white ") + Text;
    if (!D->Note(Call, D->TextBox(S).translated(X, Y)))
      return;
  }
  QPainter& P = D->Paint();
  P.setFont(D->CurrentFont());
  const QFontMetrics Metrics(P.font());
  if (!D->BrushClear)
    P.fillRect(QRect(X, Y, Metrics.horizontalAdvance(S), Metrics.height()), Qt::white);
  P.setPen(D->FontColor);
  P.drawText(QPoint(X, Y + Metrics.ascent()), S);
}

void TPicture::OutlinedTextOut(std::int32_t X, std::int32_t Y, const std::string& Text, std::uint32_t OutlineColor) {
  const QString S = FromUtf8(Text);
  const QColor Outline = FromBgr(OutlineColor);
  if (D->Recording != nullptr &&
      !D->Note("O " + std::to_string(X) + ' ' + std::to_string(Y) + ' ' + std::to_string(D->FontColor.rgb()) + ' ' +
                   std::to_string(D->FontPoints) + (D->FontBold ? " bold " : " plain ") +
                   std::to_string(Outline.rgb()) + (D->BrushClear ? " clear " : " white ") + Text,
               D->TextBox(S).translated(X, Y)))
    return;
  const TImpl::TTextKey Key{S, D->FontPoints, D->FontBold, D->FontColor.rgb(), Outline.rgb()};
  auto Found = D->OutlinedTexts.find(Key);
  if (Found == D->OutlinedTexts.end()) {
    // Everything the text and its outline may touch, from the top-left corner
    // of its line: letters may reach a little beyond their advance and line.
    const QRect Area = D->TextBox(S);
    constexpr std::size_t Kept = 64; // plenty for a few counts that change now and then
    if (D->OutlinedTexts.size() >= Kept)
      D->OutlinedTexts.clear();
    // The text drawn once at each of the eight neighbouring pixels in the
    // outline's colour, then once in its own colour on top.
    const QFont& Font = D->CurrentFont();
    const QFontMetrics Metrics(Font, &D->Image);
    TImpl::TOutlined Made{QImage(Area.size(), QImage::Format_ARGB32_Premultiplied), Area,
                          QRect(0, 0, Metrics.horizontalAdvance(S), Metrics.height())};
    Made.Image.fill(Qt::transparent);
    QPainter P(&Made.Image);
    P.setRenderHint(QPainter::TextAntialiasing);
    P.setFont(Font);
    const QPoint Base = QPoint(0, Metrics.ascent()) - Area.topLeft();
    P.setPen(Outline);
    for (int Dy = -1; Dy <= 1; ++Dy)
      for (int Dx = -1; Dx <= 1; ++Dx)
        if (Dx != 0 || Dy != 0)
          P.drawText(Base + QPoint(Dx, Dy), S);
    P.setPen(D->FontColor);
    P.drawText(Base, S);
    P.end();
    Found = D->OutlinedTexts.emplace(Key, std::move(Made)).first;
  }
  const TImpl::TOutlined& Outlined = Found->second;
  if (!D->BrushClear)
    D->Paint().fillRect(Outlined.Line.translated(X, Y), Qt::white);
  D->DrawImage(Outlined.Area.topLeft() + QPoint(X, Y), Outlined.Image);
}

void TPicture::SetFontBold(bool Bold) { D->FontBold = Bold; }

std::int32_t TPicture::TextWidth(const std::string& Text) {
  return QFontMetrics(D->CurrentFont(), &D->Image).horizontalAdvance(FromUtf8(Text));
}

std::int32_t TPicture::TextHeight(const std::string& Text) {
  (void)Text; // every line of one font is equally high
  return QFontMetrics(D->CurrentFont(), &D->Image).height();
}

void TPicture::SetPenColor(std::uint32_t Color) { D->PenColor = FromBgr(Color); }
void TPicture::MoveTo(std::int32_t X, std::int32_t Y) { D->PenPos = QPoint(X, Y); }

void TPicture::LineTo(std::int32_t X, std::int32_t Y) {
  const QPoint From = D->PenPos;
  if (!D->Note("L " + std::to_string(From.x()) + ' ' + std::to_string(From.y()) + ' ' + std::to_string(X) + ' ' +
                   std::to_string(Y) + ' ' + std::to_string(D->PenColor.rgb()),
               QRect(From, QPoint(X, Y)).normalized().adjusted(-1, -1, 1, 1))) {
    D->PenPos = QPoint(X, Y);
    return;
  }
  QPainter& P = D->Paint();
  P.setPen(D->PenColor);
  P.drawLine(D->PenPos, QPoint(X, Y));
  D->PenPos = QPoint(X, Y);
}

void TPicture::Fill(std::uint32_t Color) {
  if (!D->Note("F " + std::to_string(Color), D->Image.rect()))
    return;
  D->Paint().fillRect(D->Image.rect(), FromBgr(Color));
}

void TPicture::CopyRect(TPicture& From, const TPictureRect& Rect) {
  const QImage& Source = From.D->Finished();
  const QRect Part = QRect(Rect.X, Rect.Y, Rect.W, Rect.H) & D->Image.rect();
  if (Part.isEmpty())
    return;
  if (Source.size() == D->Image.size() && Source.format() == D->Image.format() &&
      Source.depth() == 32 && D->Image.isDetached()) {
    CopyBlock(BlockAt(D->Image, Part.x(), Part.y()), BlockAt(Source, Part.x(), Part.y()), Part.width(),
              Part.height());
    return;
  }
  QPainter& P = D->Paint();
  P.setCompositionMode(QPainter::CompositionMode_Source);
  P.drawImage(QPoint(Rect.X, Rect.Y), Source, QRect(Rect.X, Rect.Y, Rect.W, Rect.H));
  P.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TPicture::SetClip(const TPictureRect& Rect) {
  D->Clip = QRect(Rect.X, Rect.Y, Rect.W, Rect.H);
  if (D->Painter)
    D->Painter->setClipRect(*D->Clip);
}

void TPicture::ClearClip() {
  D->Clip.reset();
  if (D->Painter)
    D->Painter->setClipping(false);
}

void TPicture::StartRecording(TDrawRecord& Into, bool Draw) {
  Into = {};
  D->Recording = &Into;
  D->RecordingDraws = Draw;
}

void TPicture::StopRecording() {
  D->Recording = nullptr;
  D->RecordingDraws = true;
}

bool TPicture::SamePixels(TPicture& Other) { return D->Finished() == Other.D->Finished(); }

std::uint32_t TPicture::PixelAt(std::int32_t X, std::int32_t Y) {
  const QImage& Image = D->Finished();
  if (X < 0 || Y < 0 || X >= Image.width() || Y >= Image.height())
    return 0;
  const QRgb Rgb = Image.pixel(X, Y);
  return static_cast<std::uint32_t>(qRed(Rgb)) | static_cast<std::uint32_t>(qGreen(Rgb)) << 8 |
         static_cast<std::uint32_t>(qBlue(Rgb)) << 16;
}
