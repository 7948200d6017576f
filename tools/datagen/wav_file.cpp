#include "wav_file.h"

#include "png_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

void Put16(std::vector<std::uint8_t>& Out, std::uint16_t V) {
  Out.push_back(static_cast<std::uint8_t>(V & 0xFF));
  Out.push_back(static_cast<std::uint8_t>(V >> 8));
}

void Put32(std::vector<std::uint8_t>& Out, std::uint32_t V) {
  Put16(Out, static_cast<std::uint16_t>(V & 0xFFFF));
  Put16(Out, static_cast<std::uint16_t>(V >> 16));
}

void PutTag(std::vector<std::uint8_t>& Out, const char* Tag) {
  for (int I = 0; I < 4; ++I)
    Out.push_back(static_cast<std::uint8_t>(Tag[I]));
}

} // namespace

void WriteWav(const std::string& Path, const std::vector<double>& Samples) {
  const auto DataBytes = static_cast<std::uint32_t>(Samples.size() * 2);
  std::vector<std::uint8_t> Out;
  PutTag(Out, "RIFF");
  Put32(Out, 36 + DataBytes);
  PutTag(Out, "WAVE");
  PutTag(Out, "fmt ");
  Put32(Out, 16);
  Put16(Out, 1); // PCM
  Put16(Out, 1); // mono
  Put32(Out, SampleRate);
  Put32(Out, SampleRate * 2);
  Put16(Out, 2);
  Put16(Out, 16);
  PutTag(Out, "data");
  Put32(Out, DataBytes);
  for (double S : Samples) {
    const long V = std::lround(std::clamp(S, -1.0, 1.0) * 32767.0);
    Put16(Out, static_cast<std::uint16_t>(static_cast<std::int16_t>(V)));
  }
  WriteFileBytes(Path, Out);
}
