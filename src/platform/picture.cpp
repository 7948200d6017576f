#include "platform/picture.h"
#include "platform/picture_impl.h"
#include "platform/png_image_impl.h"
#include "platform/sprite_blend.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdint>

namespace {
QColor FromBgr(std::uint32_t Color) {
  return QColor(static_cast<int>(Color & 0xFF), static_cast<int>((Color >> 8) & 0xFF),
                static_cast<int>((Color >> 16) & 0xFF));
}

QString FromUtf8(const std::string& Text) {
  return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
}

// Pixels from one row to the next, and where the block from (X, Y) begins.
std::size_t LineOf(const QImage& Image) { return static_cast<std::size_t>(Image.bytesPerLine()) / 4; }
TPixelBlock BlockAt(QImage& Image, int X, int Y) {
  return {reinterpret_cast<std::uint32_t*>(Image.bits()) + static_cast<std::size_t>(Y) * LineOf(Image) +
              static_cast<std::size_t>(X),
          LineOf(Image)};
}
TConstPixelBlock BlockAt(const QImage& Image, int X, int Y) {
  return {reinterpret_cast<const std::uint32_t*>(Image.constBits()) + static_cast<std::size_t>(Y) * LineOf(Image) +
              static_cast<std::size_t>(X),
          LineOf(Image)};
}

} // namespace

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
std::uint64_t TPicture::DrawCount() const { return D->Draws; }

void TPicture::Draw(std::int32_t X, std::int32_t Y, const TPngImage& Image) {
  if (Image.Empty())
    return;
  const QImage& Source = Image.Impl().Image;
  if (D->Recording != nullptr &&
      !D->Note("D " + std::to_string(X) + ' ' + std::to_string(Y) + ' ' +
                   std::to_string(reinterpret_cast<std::uintptr_t>(&Image)),
               QRect(X, Y, Source.width(), Source.height())))
    return;
  ++D->Draws;
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
    const TPixelBlock To = BlockAt(Image, Target.x(), Target.y());
    const TConstPixelBlock Pixels = BlockAt(Source, From.x(), From.y());
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
  ++D->Draws;
  const QRect Band = QRect(0, Y, D->Image.width(), Height) & (D->Clip ? *D->Clip : D->Image.rect());
  bool Fast = D->Recording == nullptr && Below.size() == D->Image.size() &&
              Below.format() == QImage::Format_ARGB32_Premultiplied &&
              D->Image.format() == QImage::Format_ARGB32_Premultiplied && D->Image.isDetached();
  std::vector<TBlendRun>& Runs = D->Runs;
  Runs.clear();
  for (const TBandPart& Part : Parts) {
    if (!Fast)
      break;
    Fast = Band.contains(QRect(Part.X, Y, Part.W, Height));
    if (Part.Image == nullptr) {
      const TConstPixelBlock Block = BlockAt(Below, Part.X, Y);
      Runs.push_back({Part.X, Part.W, Block.Pixels, Block.Line, false});
      continue;
    }
    const QImage& Source = Part.Image->Impl().Image;
    const bool Opaque = Source.format() == QImage::Format_RGB32;
    Fast = Fast && (Opaque || Source.format() == QImage::Format_ARGB32_Premultiplied) && Source.width() == Part.W &&
           Source.height() == Height;
    const TConstPixelBlock Block = BlockAt(Source, 0, 0);
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
  ++D->Draws;
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
  ++D->Draws;
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
  ++D->Draws;
  QPainter& P = D->Paint();
  P.setPen(D->PenColor);
  P.drawLine(D->PenPos, QPoint(X, Y));
  D->PenPos = QPoint(X, Y);
}

void TPicture::Fill(std::uint32_t Color) {
  if (!D->Note("F " + std::to_string(Color), D->Image.rect()))
    return;
  ++D->Draws;
  D->Paint().fillRect(D->Image.rect(), FromBgr(Color));
}

void TPicture::CopyRect(TPicture& From, const TPictureRect& Rect) {
  const QImage& Source = From.D->Finished();
  const QRect Part = QRect(Rect.X, Rect.Y, Rect.W, Rect.H) & D->Image.rect();
  if (Part.isEmpty())
    return;
  ++D->Draws;
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
