#include <gtest/gtest.h>

#include "replay/recording.h"
#include "support/test_pictures.h"

#include <zlib.h>

#include <fstream>
#include <random>

#include <sys/stat.h>

namespace {
const std::string Name = "games/odd.rec";

TReplayHeader Header() { return {GameVersion(), 7, 2, 0xFEDCBA9876543210ull, false}; }

// A little of everything, readings going backwards and round the clock's wrap included.
const std::vector<TReplayEvent> Mixed = {
    {TEventKind::Reading, 1000},       {TEventKind::Reading, 1000},       {TEventKind::Key, 37},
    {TEventKind::Reading, 1016},       {TEventKind::Seed, ~0ull},         {TEventKind::Reading, 4294967290u},
    {TEventKind::Reading, 3},          {TEventKind::StartLevel, 3},       {TEventKind::Generator, 0xFFFFFFFFu},
    {TEventKind::NewGame, 10},         {TEventKind::Reading, 2},          {TEventKind::Key, 0xFFFFFFFFu},
    {TEventKind::Sound, 1},
};

std::vector<std::uint8_t> Encode(const std::vector<TReplayEvent>& Events, const TReplayHeader& H = Header()) {
  TReplayWriter W;
  for (const TReplayEvent& E : Events)
    W.Add(E);
  return W.Finish(H);
}

std::string FaultOf(const std::vector<std::uint8_t>& Bytes) {
  try {
    DecodeRecording(Bytes, Name);
  } catch (const EReplayError& Error) {
    return Error.what();
  }
  return "(no fault)";
}

// The compressed part of a file, unpacked and packed again after Change, with its size put right.
std::vector<std::uint8_t> Repacked(const std::vector<std::uint8_t>& File, std::size_t BodyAt,
                                   void (*Change)(std::vector<std::uint8_t>&)) {
  std::vector<std::uint8_t> Raw(1 << 16);
  uLongf RawSize = Raw.size();
  EXPECT_EQ(uncompress(Raw.data(), &RawSize, File.data() + BodyAt + 1, File.size() - BodyAt - 1), Z_OK);
  Raw.resize(RawSize);
  Change(Raw);
  std::vector<std::uint8_t> Out(File.begin(), File.begin() + static_cast<std::ptrdiff_t>(BodyAt));
  Out.push_back(static_cast<std::uint8_t>(Raw.size())); // small enough for one varint byte
  uLongf Packed = compressBound(Raw.size());
  Out.resize(BodyAt + 1 + Packed);
  EXPECT_EQ(compress(Out.data() + BodyAt + 1, &Packed, Raw.data(), Raw.size()), Z_OK);
  Out.resize(BodyAt + 1 + Packed);
  return Out;
}

// Where the size of the compressed part stands in a file of this game's version.
std::size_t BodySizeOffset() { return 16 + 1 + 1 + GameVersion().size(); }
} // namespace

TEST(RecordingFile, GivesBackTheHeaderAndEveryEventInOrder) {
  const TRecording R = DecodeRecording(Encode(Mixed), Name);
  EXPECT_EQ(R.Header, Header());
  std::vector<TReplayEvent> Expected = Mixed;
  Expected.push_back({TEventKind::End, 0});
  EXPECT_EQ(R.Events, Expected);
}

TEST(RecordingFile, IsWrittenAndReadBackAsAFile) {
  TTempDir Dir;
  TReplayWriter W;
  W.Add({TEventKind::Reading, 42});
  W.Save(Dir.Path() + "/game.rec", Header());
  EXPECT_EQ(ReadRecording(Dir.Path() + "/game.rec").Events.front(), (TReplayEvent{TEventKind::Reading, 42}));
  EXPECT_THROW(W.Save(Dir.Path() + "/no/such/folder/game.rec", Header()), EReplayError);
}

TEST(RecordingFile, KeepsTenMinutesOfBusyPlayWellUnderOneMegabyte) {
  // Three readings a millisecond, as a loop that spins would take them, and a key every 150 ms.
  TReplayWriter W;
  std::mt19937 Draw(7);
  std::uint32_t Clock = 12345;
  for (std::uint32_t Ms = 0; Ms < 10 * 60 * 1000; ++Ms) {
    ++Clock;
    for (int I = 0; I < 3; ++I)
      W.Add({TEventKind::Reading, Clock + (Draw() % 5 == 0 ? 1u : 0u)});
    if (Ms % 150 == 0)
      W.Add({TEventKind::Key, 37 + Draw() % 4});
  }
  EXPECT_LT(W.Finish(Header()).size(), 1u << 20);
}

TEST(RecordingFile, RefusesWhatItCannotReplayAndSaysWhy) {
  const std::vector<std::uint8_t> Good = Encode(Mixed);
  auto With = [&Good](std::size_t At, std::uint8_t Value) {
    auto B = Good;
    B[At] = Value;
    return B;
  };
  const std::size_t BodyAt = BodySizeOffset();
  const struct {
    const char* Case;
    std::vector<std::uint8_t> Bytes;
    std::string Fault;
  } Cases[] = {
      {"empty", {}, "it is not a recording"},
      {"a picture", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, "it is not a recording"},
      {"the magic word cut", {Good.begin(), Good.begin() + 6}, "it is cut short"},
      {"a future format", With(16, ReplayFormatVersion + 1),
       "its format version " + std::to_string(ReplayFormatVersion + 1) + " is unknown (this game reads version " +
           std::to_string(ReplayFormatVersion) + ")"},
      {"another game version", Encode(Mixed, {"0.9", 5, 1, 1}),
       "it was recorded by game version 0.9, this is version " + GameVersion()},
      {"cut inside the events", {Good.begin(), Good.end() - 9}, "it is cut short"},
      {"a flipped bit", With(Good.size() - 2, Good[Good.size() - 2] ^ 0x10), "it is damaged"},
      {"a wrong size", With(BodyAt, Good[BodyAt] + 1), "it is damaged"},
      {"events without an end", Repacked(Good, BodyAt, [](std::vector<std::uint8_t>& Raw) { Raw.pop_back(); }),
       "its data runs out before the game ends"},
      {"a key code beyond 32 bits",
       Repacked(Good, BodyAt,
                [](std::vector<std::uint8_t>& Raw) { Raw.insert(Raw.end() - 1, {0x81, 0x80, 0x80, 0x80, 0x80, 0x01}); }),
       "it is damaged"},
      {"a sound switch neither on nor off",
       Repacked(Good, BodyAt, [](std::vector<std::uint8_t>& Raw) { Raw[1 + 1 + 10] = 2; }), "it is damaged"},
      {"something after the end", Repacked(Good, BodyAt, [](std::vector<std::uint8_t>& Raw) { Raw.push_back(0); }),
       "it is damaged"},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(FaultOf(C.Bytes), "Cannot replay \"" + Name + "\": " + C.Fault + ".") << C.Case;
}

// Whatever stands under the name, the reader answers at once: a FIFO or a
// device is never opened, so no replay waits on it or fills the memory.
TEST(RecordingFile, NamesTheFileItCannotOpenOrThatIsNoFile) {
  TTempDir Dir;
  const std::string Fifo = Dir.Path() + "/fifo.rec";
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  const struct {
    std::string Path, Fault;
  } Cases[] = {{"/no/such/game.rec", "it cannot be opened"},
               {Dir.Path(), "it cannot be opened"},
               {Fifo, "it is not a recording"},
               {"/dev/zero", "it is not a recording"}};
  for (const auto& C : Cases) {
    try {
      ReadRecording(C.Path);
      ADD_FAILURE() << C.Path << " was read";
    } catch (const EReplayError& Error) {
      EXPECT_EQ(Error.what(), "Cannot replay \"" + C.Path + "\": " + C.Fault + ".");
    }
  }
}

// Every cut and a few thousand flipped bits: each one is refused with a
// message that names the file, or (a flip in the padding after the last
// compressed block) changes nothing; none crashes or hangs the reader.
TEST(RecordingFile, RefusesEveryTruncationAndBitFlip) {
  std::vector<TReplayEvent> Long = Mixed;
  for (std::uint32_t T = 0; T < 300; ++T)
    Long.push_back({T % 7 == 0 ? TEventKind::Key : TEventKind::Reading, 5000 + T * 3});
  const std::vector<std::uint8_t> Good = Encode(Long);
  const TRecording Original = DecodeRecording(Good, Name);
  const std::string Prefix = "Cannot replay \"" + Name + "\": ";
  for (std::size_t Size = 0; Size < Good.size(); ++Size) {
    const std::string Fault = FaultOf({Good.begin(), Good.begin() + static_cast<std::ptrdiff_t>(Size)});
    ASSERT_EQ(Fault.rfind(Prefix, 0), 0u) << "cut to " << Size << " bytes: " << Fault;
  }
  std::mt19937 Draw(2024);
  for (int Trial = 0; Trial < 4000; ++Trial) {
    auto Bytes = Good;
    const std::size_t Bit = Trial < 8 * 40 ? static_cast<std::size_t>(Trial) : Draw() % (Bytes.size() * 8);
    Bytes[Bit / 8] ^= static_cast<std::uint8_t>(1u << (Bit % 8));
    const std::string Fault = FaultOf(Bytes);
    if (Fault == "(no fault)") {
      ASSERT_EQ(DecodeRecording(Bytes, Name).Events, Original.Events) << "bit " << Bit << " flipped";
      continue;
    }
    ASSERT_EQ(Fault.rfind(Prefix, 0), 0u) << "bit " << Bit << " flipped: " << Fault;
  }
}
