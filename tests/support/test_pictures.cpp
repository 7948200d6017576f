#include "support/test_pictures.h"
#include "support/test_audio.h"

#include "assets/data_files.h"
#include "assets/sound.h"

#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

TTempDir::TTempDir() {
  std::string Pattern = (fs::temp_directory_path() / "clankora-test-XXXXXX").string();
  if (mkdtemp(Pattern.data()) == nullptr)
    throw std::runtime_error("cannot make a temporary folder");
  Dir = Pattern;
}

TTempDir::~TTempDir() {
  std::error_code Error;
  fs::permissions(Dir, fs::perms::owner_all, fs::perm_options::add, Error);
  fs::remove_all(Dir, Error);
}

void WriteSolidPng(const std::string& Path, std::uint32_t Width, std::uint32_t Height, TRgba Colour) {
  fs::create_directories(fs::path(Path).parent_path());
  std::vector<std::uint8_t> Pixels(static_cast<std::size_t>(Width) * Height * 4);
  for (std::size_t I = 0; I < Pixels.size(); I += 4) {
    Pixels[I] = Colour.R;
    Pixels[I + 1] = Colour.G;
    Pixels[I + 2] = Colour.B;
    Pixels[I + 3] = Colour.A;
  }
  png_image Png;
  std::memset(&Png, 0, sizeof Png);
  Png.version = PNG_IMAGE_VERSION;
  Png.width = Width;
  Png.height = Height;
  Png.format = PNG_FORMAT_RGBA;
  if (png_image_write_to_file(&Png, Path.c_str(), 0, Pixels.data(), 0, nullptr) == 0)
    throw std::runtime_error("cannot write " + Path + ": " + Png.message);
}

const std::vector<std::string>& AllSpriteFiles() {
  static const std::vector<std::string> Files = {
      "rock.png", "tool.png", "wheel.png", "smashed_car.png", "bottles.png", "metal.png", "metal2.png",
      "brick.png", "toilet.png", "barrel.png", "500.png", "cargo.png", "papers.png", "wall.png",
      "lighting/1.png", "lighting/2.png", "lighting/3.png", "lighting/4.png",
      "smoke/1.png", "smoke/2.png", "smoke/3.png", "smoke/4.png", "smoke/5.png",
      "boom/1.png", "boom/2.png", "boom/3.png", "boom/4.png", "boom/5.png", "boom/6.png", "boom/7.png",
      "boom/8.png", "boom/9.png", "back.png", "robot/robot_front_stay.png",
      "robot/walk_left/robot_left_step1.png", "robot/walk_left/robot_left_step2.png",
      "robot/walk_left/robot_left_step3.png", "robot/walk_right/robot_right_step1.png",
      "robot/walk_right/robot_right_step2.png", "robot/walk_right/robot_right_step3.png",
      "robot/left_jump/robot_left_jump1.png", "robot/left_jump/robot_left_jump2.png",
      "robot/right_jump/robot_right_jump1.png", "robot/right_jump/robot_right_jump2.png", "help_screen.png",
      "about_screen.png", "1st_screen.png", "win_screen.png", "loose_screen.png"};
  return Files;
}

TRgba FixtureColour(const std::string& Name) {
  const auto& Files = AllSpriteFiles();
  for (std::size_t I = 0; I < Files.size(); ++I) {
    if (Files[I] == Name) {
      const auto N = static_cast<std::uint8_t>(I + 1);
      // The brick is half transparent, to show blending.
      const std::uint8_t Alpha = Name == "brick.png" ? 128 : 255;
      return {static_cast<std::uint8_t>(N * 5), static_cast<std::uint8_t>(255 - N * 5),
              static_cast<std::uint8_t>(N * 37), Alpha};
    }
  }
  throw std::invalid_argument("no picture named " + Name);
}

void WriteSpritesFixture(const std::string& Dir) {
  for (const std::string& File : AllSpriteFiles()) {
    std::uint32_t W = 32, H = 32;
    if (File.rfind("robot/", 0) == 0)
      H = 64;
    if (File == "back.png" || File.find("screen") != std::string::npos) {
      W = 640;
      H = 480;
    }
    WriteSolidPng(Dir + File, W, H, FixtureColour(File));
  }
}

void PadPngToSize(const std::string& Path, std::size_t Size) {
  std::ifstream In(Path, std::ios::binary);
  std::string Bytes((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  In.close();
  const std::string Keyword = std::string("Comment") + '\0';
  constexpr std::size_t IendLength = 12;
  constexpr std::size_t ChunkOverhead = 12; // length, type, CRC
  if (Bytes.size() + ChunkOverhead + Keyword.size() > Size)
    throw std::runtime_error(Path + " is already larger than the size asked for");
  const std::size_t DataLength = Size - Bytes.size() - ChunkOverhead;
  std::string Chunk = "tEXt" + Keyword + std::string(DataLength - Keyword.size(), 'x');
  const auto Crc = static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(Chunk.data()), static_cast<uInt>(Chunk.size())));
  const auto Be32 = [](std::uint32_t V) {
    return std::string{static_cast<char>(V >> 24), static_cast<char>(V >> 16), static_cast<char>(V >> 8),
                       static_cast<char>(V)};
  };
  const std::string Padded = Bytes.substr(0, Bytes.size() - IendLength) +
                             Be32(static_cast<std::uint32_t>(DataLength)) + Chunk + Be32(Crc) +
                             Bytes.substr(Bytes.size() - IendLength);
  std::ofstream(Path, std::ios::binary | std::ios::trunc) << Padded;
}

void WriteGameFolder(const std::string& Dir) {
  WriteSpritesFixture(Dir + "/sprites/");
  for (const TCheckedFile& File : CheckedDataFiles)
    PadPngToSize(Dir + "/sprites/" + File.Name, File.Bytes);
  // Each sound a steady level of its own, so that what plays can be told apart.
  fs::create_directories(Dir + "/sounds");
  std::int16_t Level = 1000;
  for (const TCueSound& Sound : CueSounds) {
    WriteSteadyWav(Dir + "/sounds/" + Sound.File, Level, 50);
    Level = static_cast<std::int16_t>(Level + 500);
  }
}
