#include "platform/picture.h"
#include "platform/picture_impl.h"
#include "platform/png_image_impl.h"

#include <QFontMetrics>

#include <algorithm>

namespace {
QColor FromBgr(std::uint32_t Color) {
  return QColor(static_cast<int>(Color & 0xFF), static_cast<int>((Color >> 8) & 0xFF),
                static_cast<int>((Color >> 16) & 0xFF));
}

QString FromUtf8(const std::string& Text) {
  return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
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
  if (!D->Note("D " + std::to_string(X) + ' ' + std::to_string(Y) + ' ' +
                   std::to_string(reinterpret_cast<std::uintptr_t>(&Image)),
               QRect(X, Y, Source.width(), Source.height())))
    return;
  D->Paint().drawImage(QPoint(X, Y), Source);
}

void TPicture::SetFontColor(std::uint32_t Color) { D->FontColor = FromBgr(Color); }
void TPicture::SetFontSize(std::int32_t Points) { D->FontPoints = Points > 0 ? Points : 1; }
void TPicture::SetBrushClear() { D->BrushClear = true; }

void TPicture::TextOut(std::int32_t X, std::int32_t Y, const std::string& Text) {
  const QString S = FromUtf8(Text);
  if (D->Recording != nullptr) {
    // Letters may reach a little beyond their advance and their line.
    const QFontMetrics Metrics(D->CurrentFont(), &D->Image);
    const QRect Line(X, Y, Metrics.horizontalAdvance(S), Metrics.height());
    const QRect Ink = Metrics.boundingRect(S).translated(X, Y + Metrics.ascent());
    const std::string Call = "T " + std::to_string(X) + ' ' + std::to_string(Y) + ' ' +
                             std::to_string(D->FontColor.rgb()) + ' ' + std::to_string(D->FontPoints) +
                             (D->FontBold ? " bold " : " plain ") + (D->BrushClear ? "clear " : "white ") + Text;
    if (!D->Note(Call, Line.united(Ink).adjusted(-2, -2, 2, 2)))
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
  const QFont& Font = D->CurrentFont();
  const QString S = FromUtf8(Text);
  const QFontMetrics Metrics(Font, &D->Image);
  const QColor Outline = FromBgr(OutlineColor);
  // Everything the text and its outline may touch, from the top-left corner
  // of its line: letters may reach a little beyond their advance and line.
  const QRect Line(0, 0, Metrics.horizontalAdvance(S), Metrics.height());
  const QRect Area = Line.united(Metrics.boundingRect(S).translated(0, Metrics.ascent())).adjusted(-2, -2, 2, 2);
  if (!D->Note("O " + std::to_string(X) + ' ' + std::to_string(Y) + ' ' + std::to_string(D->FontColor.rgb()) + ' ' +
                   std::to_string(D->FontPoints) + (D->FontBold ? " bold " : " plain ") +
                   std::to_string(Outline.rgb()) + (D->BrushClear ? " clear " : " white ") + Text,
               Area.translated(X, Y)))
    return;
  const TImpl::TTextKey Key{S, D->FontPoints, D->FontBold, D->FontColor.rgb(), Outline.rgb()};
  auto Found = D->OutlinedTexts.find(Key);
  if (Found == D->OutlinedTexts.end()) {
    constexpr std::size_t Kept = 64; // plenty for a few counts that change now and then
    if (D->OutlinedTexts.size() >= Kept)
      D->OutlinedTexts.clear();
    // The text drawn once at each of the eight neighbouring pixels in the
    // outline's colour, then once in its own colour on top.
    QImage Image(Area.size(), QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::transparent);
    QPainter P(&Image);
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
    Found = D->OutlinedTexts.emplace(Key, std::move(Image)).first;
  }
  QPainter& P = D->Paint();
  if (!D->BrushClear)
    P.fillRect(Line.translated(X, Y), Qt::white);
  P.drawImage(Area.topLeft() + QPoint(X, Y), Found->second);
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
