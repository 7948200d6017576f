// What a replay holds in memory: the recording as its file packs it and one
// block unpacked, however many events it holds. Every allocation of this
// program is counted, so that anything holding the events one by one shows.
#include <gtest/gtest.h>

#include "replay/player.h"
#include "support/test_pictures.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>

#include <malloc.h>

namespace {
std::atomic<std::size_t> Live{0};
std::atomic<std::size_t> Peak{0};

// The most bytes held at once since the call, beyond what was held at it.
class THeldBytes {
public:
  THeldBytes() : Before(Live.load()) { Peak = Before; }
  std::size_t Most() const { return Peak.load() - Before; }

private:
  std::size_t Before;
};
} // namespace

// Kept out of line, so that the compiler sees no malloc paired with delete.
[[gnu::noinline]] void* operator new(std::size_t Size) {
  void* Block = std::malloc(Size == 0 ? 1 : Size);
  if (Block == nullptr)
    throw std::bad_alloc();
  const std::size_t Now = Live += malloc_usable_size(Block);
  for (std::size_t Most = Peak.load(); Now > Most && !Peak.compare_exchange_weak(Most, Now);) {
  }
  return Block;
}
[[gnu::noinline]] void operator delete(void* Block) noexcept {
  if (Block == nullptr)
    return;
  Live -= malloc_usable_size(Block);
  std::free(Block);
}
void* operator new[](std::size_t Size) { return operator new(Size); }
void operator delete[](void* Block) noexcept { operator delete(Block); }
void operator delete(void* Block, std::size_t) noexcept { operator delete(Block); }
void operator delete[](void* Block, std::size_t) noexcept { operator delete(Block); }

// A long game by the first rules, three readings a millisecond and a key every
// tenth of a second: over two million events, 34 MB as a table of them.
TEST(ReplayMemory, APlayerHoldsTheRecordingPackedAndOneBlockOfIt) {
  constexpr std::uint32_t Ms = 700 * 1000;
  const auto ReadingAt = [](std::uint64_t I) { return static_cast<std::uint32_t>(5000 + I / 3); };
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/long.rec";
  std::uint64_t Events = 0;
  {
    TReplayWriter Writer;
    for (std::uint64_t I = 0; I < 3ull * Ms; ++I) {
      Writer.Add({TEventKind::Reading, ReadingAt(I)});
      if (I % 300 == 299)
        Writer.Add({TEventKind::Key, 37 + I % 4});
    }
    Events = 3ull * Ms + Ms / 100;
    const std::vector<std::uint8_t> File = Writer.Finish({1, "1.1", 5, 1, 9, true});
    std::ofstream(Path, std::ios::binary).write(reinterpret_cast<const char*>(File.data()),
                                                static_cast<std::streamsize>(File.size()));
  }
  const THeldBytes Held;
  TReplayPlayer Player(ReadRecording(Path), Path);
  std::uint64_t Readings = 0, Wrong = 0, Keys = 0;
  while (!Player.Finished()) {
    if (Player.DueInput() != nullptr) {
      Player.TakeInput();
      ++Keys;
    } else if (GetTickCount() != ReadingAt(Readings++)) {
      ++Wrong;
    }
  }
  EXPECT_EQ(Player.FaultText(), "");
  EXPECT_EQ(Player.Used(), Events);
  EXPECT_EQ(Keys, Ms / 100);
  EXPECT_EQ(Wrong, 0u) << "every reading given as it was written, block after block";
  EXPECT_LT(Held.Most(), 1u << 20) << "the player holds a table of its events";
}
