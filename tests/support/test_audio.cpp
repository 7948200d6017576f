#include "support/test_audio.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>
#include <thread>
#include <utility>

namespace {
constexpr std::uint32_t Rate = 44100;
// Silence this long (1.5 ms) after a sound shows that it has ended; a steady
// test sound has no silent frame of its own.
constexpr std::size_t GapFrames = 64;

void PutLe(std::ofstream& Out, std::uint32_t Value, int Bytes) {
  for (int I = 0; I < Bytes; ++I)
    Out.put(static_cast<char>((Value >> (8 * I)) & 0xFF));
}
} // namespace

void WriteSteadyWav(const std::string& Path, std::int16_t Level, std::uint32_t Ms) {
  const std::uint32_t Frames = Rate * Ms / 1000;
  const std::uint32_t DataBytes = Frames * 2;
  std::ofstream Out(Path, std::ios::binary);
  if (!Out)
    throw std::runtime_error("cannot write " + Path);
  Out.write("RIFF", 4);
  PutLe(Out, 36 + DataBytes, 4);
  Out.write("WAVEfmt ", 8);
  PutLe(Out, 16, 4);       // size of the format chunk
  PutLe(Out, 1, 2);        // PCM
  PutLe(Out, 1, 2);        // mono
  PutLe(Out, Rate, 4);     // frames per second
  PutLe(Out, Rate * 2, 4); // bytes per second
  PutLe(Out, 2, 2);        // bytes per frame
  PutLe(Out, 16, 2);       // bits per sample
  Out.write("data", 4);
  PutLe(Out, DataBytes, 4);
  for (std::uint32_t I = 0; I < Frames; ++I)
    PutLe(Out, static_cast<std::uint16_t>(Level), 2);
}

std::ostream& operator<<(std::ostream& Out, const TStereo& Frame) {
  return Out << "(L " << Frame.Left << ", R " << Frame.Right << ")";
}

TDiskOutput::TDiskOutput(std::string aFile) : File(std::move(aFile)) {
  ChooseAudioDriver("disk");
  setenv("SDL_DISKAUDIOFILE", File.c_str(), 1);
}

std::vector<TStereo> TDiskOutput::Frames() const {
  std::ifstream In(File, std::ios::binary);
  std::vector<TStereo> Result;
  unsigned char Bytes[4];
  while (In.read(reinterpret_cast<char*>(Bytes), 4)) {
    const auto Sample = [](const unsigned char* B) {
      return static_cast<std::int32_t>(static_cast<std::int16_t>(static_cast<std::uint16_t>(B[0] | (B[1] << 8))));
    };
    Result.push_back({Sample(Bytes), Sample(Bytes + 2)});
  }
  return Result;
}

std::vector<TSoundHeard> TDiskOutput::FinishedSounds() const {
  const std::vector<TStereo> All = Frames();
  const TStereo Silence{0, 0};
  std::vector<TSoundHeard> Result;
  std::size_t I = 0;
  while (I < All.size()) {
    if (All[I] == Silence) {
      ++I;
      continue;
    }
    const std::size_t First = I;
    std::map<std::pair<std::int32_t, std::int32_t>, std::size_t> Seen;
    std::size_t Quiet = 0;
    for (; I < All.size() && Quiet < GapFrames; ++I) {
      if (All[I] == Silence) {
        ++Quiet;
        continue;
      }
      Quiet = 0;
      ++Seen[{All[I].Left, All[I].Right}];
    }
    if (Quiet < GapFrames)
      break; // still sounding
    auto Most = Seen.begin();
    for (auto It = Seen.begin(); It != Seen.end(); ++It)
      if (It->second > Most->second)
        Most = It;
    Result.push_back({First, I - Quiet - First, {Most->first.first, Most->first.second}});
  }
  return Result;
}

bool TDiskOutput::WaitForSounds(std::size_t Count, std::chrono::milliseconds Timeout) const {
  return WaitUntil([&] { return FinishedSounds().size() >= Count; }, Timeout);
}

bool TDiskOutput::WaitForMoreFrames(std::size_t Count, std::chrono::milliseconds Timeout) const {
  const std::size_t Target = Frames().size() + Count;
  return WaitUntil([&] { return Frames().size() >= Target; }, Timeout);
}

bool WaitUntil(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout) {
  const auto End = std::chrono::steady_clock::now() + Timeout;
  while (!Condition()) {
    if (std::chrono::steady_clock::now() > End)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void ChooseAudioDriver(const std::string& Driver) { setenv("SDL_AUDIODRIVER", Driver.c_str(), 1); }

