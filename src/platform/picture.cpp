#include "platform/picture.h"
#include "platform/picture_impl.h"
#include "platform/png_image_impl.h"

#include <QFontMetrics>

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
  }
  return *Painter;
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
  D->Paint().drawImage(QPoint(X, Y), Image.Impl().Image);
}

void TPicture::SetFontColor(std::uint32_t Color) { D->FontColor = FromBgr(Color); }
void TPicture::SetFontSize(std::int32_t Points) { D->FontPoints = Points > 0 ? Points : 1; }
void TPicture::SetBrushClear() { D->BrushClear = true; }

void TPicture::TextOut(std::int32_t X, std::int32_t Y, const std::string& Text) {
  QPainter& P = D->Paint();
  P.setFont(D->CurrentFont());
  const QString S = FromUtf8(Text);
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
  const TImpl::TTextKey Key{S, D->FontPoints, D->FontBold, D->FontColor.rgb(), Outline.rgb()};
  auto Found = D->OutlinedTexts.find(Key);
  if (Found == D->OutlinedTexts.end()) {
    constexpr std::size_t Kept = 64; // plenty for a few counts that change now and then
    if (D->OutlinedTexts.size() >= Kept)
      D->OutlinedTexts.clear();
    // The text drawn once at each of the eight neighbouring pixels in the
    // outline's colour, then once in its own colour on top.
    QImage Image(Metrics.horizontalAdvance(S) + 2, Metrics.height() + 2, QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::transparent);
    QPainter P(&Image);
    P.setRenderHint(QPainter::TextAntialiasing);
    P.setFont(Font);
    const QPoint Base(1, 1 + Metrics.ascent());
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
    P.fillRect(QRect(X, Y, Metrics.horizontalAdvance(S), Metrics.height()), Qt::white);
  P.drawImage(QPoint(X - 1, Y - 1), Found->second);
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
  QPainter& P = D->Paint();
  P.setPen(D->PenColor);
  P.drawLine(D->PenPos, QPoint(X, Y));
  D->PenPos = QPoint(X, Y);
}

void TPicture::Fill(std::uint32_t Color) {
  D->Paint().fillRect(D->Image.rect(), FromBgr(Color));
}

std::uint32_t TPicture::PixelAt(std::int32_t X, std::int32_t Y) {
  const QImage& Image = D->Finished();
  if (X < 0 || Y < 0 || X >= Image.width() || Y >= Image.height())
    return 0;
  const QRgb Rgb = Image.pixel(X, Y);
  return static_cast<std::uint32_t>(qRed(Rgb)) | static_cast<std::uint32_t>(qGreen(Rgb)) << 8 |
         static_cast<std::uint32_t>(qBlue(Rgb)) << 16;
}
