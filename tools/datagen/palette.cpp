#include "palette.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <stdexcept>
#include <unordered_map>

namespace {

struct TEntry {
  QRgb Colour;
  std::uint32_t Count;
};

int Channel(QRgb C, int Which) { return Which == 0 ? qRed(C) : Which == 1 ? qGreen(C) : qBlue(C); }

struct TBox {
  std::vector<TEntry> Entries;
  int WidestChannel() const {
    std::array<int, 3> Lo{255, 255, 255}, Hi{0, 0, 0};
    for (const TEntry& E : Entries)
      for (int Ch = 0; Ch < 3; ++Ch) {
        Lo[Ch] = std::min(Lo[Ch], Channel(E.Colour, Ch));
        Hi[Ch] = std::max(Hi[Ch], Channel(E.Colour, Ch));
      }
    int Best = 0;
    for (int Ch = 1; Ch < 3; ++Ch)
      if (Hi[Ch] - Lo[Ch] > Hi[Best] - Lo[Best])
        Best = Ch;
    return Best;
  }
  int Range() const {
    const int Ch = WidestChannel();
    int Lo = 255, Hi = 0;
    for (const TEntry& E : Entries) {
      Lo = std::min(Lo, Channel(E.Colour, Ch));
      Hi = std::max(Hi, Channel(E.Colour, Ch));
    }
    return Hi - Lo;
  }
  QRgb Mean() const {
    double R = 0, G = 0, B = 0, N = 0;
    for (const TEntry& E : Entries) {
      R += qRed(E.Colour) * double(E.Count);
      G += qGreen(E.Colour) * double(E.Count);
      B += qBlue(E.Colour) * double(E.Count);
      N += E.Count;
    }
    return qRgb(int(R / N + 0.5), int(G / N + 0.5), int(B / N + 0.5));
  }
};

int Distance(QRgb A, QRgb B) {
  const int R = qRed(A) - qRed(B), G = qGreen(A) - qGreen(B), Bl = qBlue(A) - qBlue(B);
  // Green weighs most and blue least, roughly as the eye sees them.
  return 3 * R * R + 4 * G * G + 2 * Bl * Bl;
}

} // namespace

TIndexedPicture Quantise(const QImage& Image, int Colours) {
  const QImage Rgb = Image.convertToFormat(QImage::Format_RGB32);
  std::map<QRgb, std::uint32_t> Histogram;
  for (int Y = 0; Y < Rgb.height(); ++Y) {
    const auto* Line = reinterpret_cast<const QRgb*>(Rgb.constScanLine(Y));
    for (int X = 0; X < Rgb.width(); ++X)
      ++Histogram[Line[X] | 0xFF000000u];
  }
  std::vector<TBox> Boxes(1);
  for (const auto& [Colour, Count] : Histogram)
    Boxes[0].Entries.push_back({Colour, Count});

  // Split the box whose colours spread widest, weighted by how many pixels it covers.
  while (static_cast<int>(Boxes.size()) < Colours) {
    std::size_t Pick = Boxes.size();
    double PickScore = 0;
    for (std::size_t I = 0; I < Boxes.size(); ++I) {
      if (Boxes[I].Entries.size() < 2)
        continue;
      std::uint64_t N = 0;
      for (const TEntry& E : Boxes[I].Entries)
        N += E.Count;
      const double Score = double(Boxes[I].Range()) * std::sqrt(double(N));
      if (Score > PickScore) {
        PickScore = Score;
        Pick = I;
      }
    }
    if (Pick == Boxes.size())
      break;
    TBox& Box = Boxes[Pick];
    const int Ch = Box.WidestChannel();
    std::stable_sort(Box.Entries.begin(), Box.Entries.end(),
                     [Ch](const TEntry& A, const TEntry& B) { return Channel(A.Colour, Ch) < Channel(B.Colour, Ch); });
    std::uint64_t Total = 0, Run = 0;
    for (const TEntry& E : Box.Entries)
      Total += E.Count;
    std::size_t Cut = 1;
    for (; Cut < Box.Entries.size() - 1; ++Cut) {
      Run += Box.Entries[Cut - 1].Count;
      if (Run * 2 >= Total)
        break;
    }
    TBox Upper;
    Upper.Entries.assign(Box.Entries.begin() + static_cast<std::ptrdiff_t>(Cut), Box.Entries.end());
    Box.Entries.resize(Cut);
    Boxes.push_back(std::move(Upper));
  }

  TIndexedPicture Out;
  Out.Width = static_cast<std::uint32_t>(Rgb.width());
  Out.Height = static_cast<std::uint32_t>(Rgb.height());
  for (const TBox& Box : Boxes)
    Out.Palette.push_back(Box.Mean());
  std::unordered_map<QRgb, std::uint8_t> Nearest;
  Out.Indices.resize(static_cast<std::size_t>(Out.Width) * Out.Height);
  for (int Y = 0; Y < Rgb.height(); ++Y) {
    const auto* Line = reinterpret_cast<const QRgb*>(Rgb.constScanLine(Y));
    for (int X = 0; X < Rgb.width(); ++X) {
      const QRgb C = Line[X] | 0xFF000000u;
      auto It = Nearest.find(C);
      if (It == Nearest.end()) {
        std::size_t Best = 0;
        for (std::size_t I = 1; I < Out.Palette.size(); ++I)
          if (Distance(C, Out.Palette[I]) < Distance(C, Out.Palette[Best]))
            Best = I;
        It = Nearest.emplace(C, static_cast<std::uint8_t>(Best)).first;
      }
      Out.Indices[static_cast<std::size_t>(Y) * Out.Width + static_cast<std::size_t>(X)] = It->second;
    }
  }
  return Out;
}

namespace {

std::string PadTextOfLength(std::size_t Length) {
  static const std::string Phrase = "Clankora! Climb the junk, blast the pile, reach the exit. ";
  std::string Text;
  while (Text.size() < Length)
    Text += Phrase;
  Text.resize(Length);
  return Text;
}

// Decodes the bytes with libpng, as the game will, and checks the size.
void CheckDecodes(const std::vector<std::uint8_t>& Bytes, std::uint32_t Width, std::uint32_t Height,
                  const std::string& Path) {
  png_image Png;
  std::memset(&Png, 0, sizeof Png);
  Png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&Png, Bytes.data(), Bytes.size()))
    throw std::runtime_error(Path + " does not decode: " + Png.message);
  Png.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> Pixels(PNG_IMAGE_SIZE(Png));
  const bool Ok = png_image_finish_read(&Png, nullptr, Pixels.data(), 0, nullptr) != 0;
  png_image_free(&Png);
  if (!Ok || Png.width != Width || Png.height != Height)
    throw std::runtime_error(Path + " does not decode to its own size");
}

} // namespace

std::size_t WritePngOfExactSize(const std::string& Path, const QImage& Image, int Colours, std::size_t TargetBytes) {
  const TIndexedPicture Picture = Quantise(Image, Colours);
  const std::size_t Packed = EncodeIndexedPng(Picture).size();
  if (Packed + CommentChunkSize(1) > TargetBytes)
    throw std::runtime_error(Path + " packs into " + std::to_string(Packed) + " bytes, too many for its size of " +
                             std::to_string(TargetBytes));
  const std::vector<std::uint8_t> Bytes =
      EncodeIndexedPng(Picture, PadTextOfLength(TargetBytes - Packed - CommentChunkSize(0)));
  if (Bytes.size() != TargetBytes)
    throw std::runtime_error(Path + " came out at " + std::to_string(Bytes.size()) + " bytes instead of " +
                             std::to_string(TargetBytes));
  CheckDecodes(Bytes, Picture.Width, Picture.Height, Path);
  WriteFileBytes(Path, Bytes);
  return Packed;
}
