// Fuzz target: any bytes as the settings file. Reading never fails, and a
// write changes the one key it names: it reads back as written, the other
// keys keep their values, and writing the same value again changes nothing.
#include "fuzz_scratch.h"
#include "platform/ini_file.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace {
const std::string Section = "Tinvell: 01h";
const char* const OtherKeys[] = {"Top", "Left", "SoundOn", "StartLevel", "Zoom"};

std::string Contents(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

void Check(bool Holds, const char* What) { fuzz::Check(Holds, "settings file", What); }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string& Path =
      fuzz::InputFile("/tmp/clankora-fuzz-settings-XXXXXX", "clankora.ini", Data, Size);
  TIniFile Ini(Path);
  std::int32_t Before[std::size(OtherKeys)];
  for (std::size_t I = 0; I < std::size(OtherKeys); ++I)
    Before[I] = Ini.ReadInteger(Section, OtherKeys[I], -12345);
  Ini.ReadString("Other", "LastLine", "");

  // The value to write comes from the input too, so that every sign and size is tried.
  std::int32_t Value = 0;
  for (std::size_t I = 0; I < Size && I < 4; ++I)
    Value = static_cast<std::int32_t>(static_cast<std::uint32_t>(Value) << 8 | Data[I]);
  Ini.WriteInteger(Section, "TrashGeneratorAlgorythmIndex", Value);
  Check(Ini.ReadInteger(Section, "TrashGeneratorAlgorythmIndex", Value ^ 1) == Value, "the written value reads back");
  for (std::size_t I = 0; I < std::size(OtherKeys); ++I)
    Check(Ini.ReadInteger(Section, OtherKeys[I], -12345) == Before[I], "the other keys keep their values");
  const std::string Written = Contents(Path);
  Ini.WriteInteger(Section, "TrashGeneratorAlgorythmIndex", Value);
  Check(Contents(Path) == Written, "writing the same value again changes nothing");

  std::int32_t Parsed = 0;
  ParseIniInteger(std::string(reinterpret_cast<const char*>(Data), Size), Parsed);
  return 0;
}
