#include <gtest/gtest.h>

#include "replay/recording.h"
#include "support/recording_files.h"
#include "support/test_pictures.h"

#include <climits>
#include <fstream>
#include <random>

#include <sys/stat.h>

namespace {
const std::string Name = "games/odd.rec";

TReplayHeader Header() { return {RulesVersion, GameVersion(), 7, 2, 0xFEDCBA9876543210ull, false}; }

// A little of everything, readings going backwards and round the clock's wrap included.
const std::vector<TReplayEvent> Mixed = {
    {TEventKind::Reading, 1000},       {TEventKind::Reading, 1000},       {TEventKind::Key, 37},
    {TEventKind::Reading, 1016},       {TEventKind::Seed, ~0ull},         {TEventKind::Reading, 4294967290u},
    {TEventKind::Reading, 3},          {TEventKind::StartLevel, 3},       {TEventKind::Generator, 0},
    {TEventKind::NewGame, 10},         {TEventKind::Reading, 2},          {TEventKind::Key, 0xFFFFFFFFu},
    {TEventKind::Sound, 1},
};

// Events as the recorder writes them: a block whenever Every of them have come.
std::vector<std::uint8_t> Encode(const std::vector<TReplayEvent>& Events, const TReplayHeader& H = Header(),
                                 std::size_t Every = 0) {
  TReplayWriter W;
  std::vector<std::uint8_t> File = TReplayWriter::Opening(H);
  for (std::size_t I = 0; I < Events.size(); ++I) {
    W.Add(Events[I]);
    if (Every != 0 && (I + 1) % Every == 0) {
      const std::vector<std::uint8_t> Block = W.TakeBlocks();
      File.insert(File.end(), Block.begin(), Block.end());
    }
  }
  const std::vector<std::uint8_t> Rest = W.Finish(H);
  File.insert(File.end(), Rest.begin() + static_cast<std::ptrdiff_t>(TReplayWriter::Opening(H).size()), Rest.end());
  return File;
}

std::string FaultOf(const std::vector<std::uint8_t>& Bytes) {
  try {
    DecodeRecording(Bytes, Name);
  } catch (const EReplayError& Error) {
    return Error.what();
  }
  return "(no fault)";
}

std::string Refusal(const std::string& Fault) { return "Cannot replay \"" + Name + "\": " + Fault + "."; }

std::vector<TReplayEvent> WithEnd(std::vector<TReplayEvent> Events) {
  Events.push_back({TEventKind::End, 0});
  return Events;
}

std::vector<TReplayEvent> LongGame() {
  std::vector<TReplayEvent> Long = Mixed;
  for (std::uint32_t T = 0; T < 300; ++T)
    Long.push_back({T % 7 == 0 ? TEventKind::Key : TEventKind::Reading, 5000 + T * 3});
  return Long;
}
} // namespace

TEST(RecordingFile, GivesBackTheHeaderAndEveryEventInOrder) {
  for (const std::size_t Every : {0, 1, 5}) {
    const TRecording R = DecodeRecording(Encode(Mixed, Header(), Every), Name);
    EXPECT_EQ(R.Header, Header());
    EXPECT_EQ(R.AllEvents(), WithEnd(Mixed)) << "a block every " << Every << " events";
    EXPECT_FALSE(R.EndsEarly);
  }
}

// Another program that plays by the same rules made it: it is read all the same.
TEST(RecordingFile, ReadsARecordingOfAnyProgramVersionWithTheSameRules) {
  const TReplayHeader Other{RulesVersion, "0.7-beta", 3, 0, 77, true};
  const TRecording R = DecodeRecording(Encode(Mixed, Other), Name);
  EXPECT_EQ(R.Header, Other);
  EXPECT_EQ(R.AllEvents(), WithEnd(Mixed));
}

TEST(RecordingFile, PacksALongGameInBlocksThatEachStayWithinTheLimit) {
  // More than 64 KiB of events: the writer starts new blocks by itself.
  std::vector<TReplayEvent> Events;
  for (std::uint32_t I = 0; I < 200000; ++I)
    Events.push_back({TEventKind::Reading, I * 7919u});
  TReplayWriter W;
  for (const TReplayEvent& E : Events)
    W.Add(E);
  EXPECT_GE(W.BlockCount(), 2u);
  EXPECT_EQ(DecodeRecording(W.Finish(Header()), Name).AllEvents(), WithEnd(Events));
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
  auto HeaderWith = [](std::int32_t Level, std::int32_t Generator, std::string Version = GameVersion()) {
    return Encode({}, {RulesVersion, std::move(Version), Level, Generator, 1, true});
  };
  auto EventsWith = [](std::vector<std::uint8_t> Raw) {
    return recfile::Format3(recfile::HeaderRaw(RulesVersion, "1.1", 5, 1, 9, 1), {std::move(Raw)});
  };
  const struct {
    const char* Case;
    std::vector<std::uint8_t> Bytes;
    std::string Fault;
  } Cases[] = {
      {"empty", {}, "it is not a recording"},
      {"a picture", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, "it is not a recording"},
      {"the magic word cut", {Good.begin(), Good.begin() + 6}, "it is cut short"},
      {"cut inside the header", {Good.begin(), Good.begin() + 22}, "it is cut short"},
      {"a future format", With(16, ReplayFormatVersion + 1),
       "its format version 4 is unknown (this game reads versions 2 and 3)"},
      {"other rules", recfile::Format3(recfile::HeaderRaw(RulesVersion + 1, "7.0", 5, 1, 9, 1), {}),
       "it was recorded by game version 7.0 under rules version " + std::to_string(RulesVersion + 1) +
           ", this game plays by rules version " + std::to_string(RulesVersion)},
      {"other rules, the version's control characters shown",
       recfile::Format3(recfile::HeaderRaw(RulesVersion + 1, std::string("1\x1B[2J\0x\\\xFF", 9), 5, 1, 9, 1), {}),
       "it was recorded by game version 1\\x1B[2J\\x00x\\x5C\\xFF under rules version " +
           std::to_string(RulesVersion + 1) + ", this game plays by rules version " + std::to_string(RulesVersion)},
      {"start level 0", HeaderWith(0, 1), "it holds the start level 0, which the game never has (1 to 10)"},
      {"start level 11", HeaderWith(11, 1), "it holds the start level 11, which the game never has (1 to 10)"},
      {"start level -2^31", HeaderWith(INT_MIN, 1),
       "it holds the start level -2147483648, which the game never has (1 to 10)"},
      {"an unknown generator", HeaderWith(5, 3), "it holds the trash generator 3, which the game never has (0 to 2)"},
      {"a generator -1", HeaderWith(5, -1), "it holds the trash generator -1, which the game never has (0 to 2)"},
      {"a new game at level 12", Encode({{TEventKind::NewGame, 12}}),
       "it holds the start level 12, which the game never has (1 to 10)"},
      {"a sound switch of 2 in play", Encode({{TEventKind::Sound, 2}}),
       "it holds the sound switch 2, which the game never has (0 to 1)"},
      {"a sound switch neither on nor off", recfile::Format3(recfile::HeaderRaw(RulesVersion, "1.1", 5, 1, 9, 2), {}),
       "it is damaged"},
      {"a flipped bit", With(Good.size() - 2, Good[Good.size() - 2] ^ 0x10), "it is damaged"},
      {"an unknown kind of event", EventsWith({0x0F, 0x06}), "it is damaged"},
      {"a key code beyond 32 bits", EventsWith({0x81, 0x80, 0x80, 0x80, 0x80, 0x02, 0x06}), "it is damaged"},
      {"an event cut at its block's end", EventsWith({0x81}), "it is damaged"},
      {"something after the end", EventsWith({0x06, 0x00}), "it is damaged"},
      {"events after the end's block", recfile::Format3(recfile::HeaderRaw(RulesVersion, "1.1", 5, 1, 9, 1), {{0x06}, {0x01}}),
       "it is damaged"},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(FaultOf(C.Bytes), Refusal(C.Fault)) << C.Case;
}

// Files made to take the reader's memory and time: each is refused by the
// sizes it declares, before anything is unpacked.
TEST(RecordingFile, RefusesFilesThatClaimMoreThanAnyRecording) {
  for (const auto& Hostile : recfile::HostileFiles())
    EXPECT_EQ(FaultOf(Hostile.Bytes), Refusal(Hostile.Fault)) << Hostile.Name;
}

namespace {
// A recording's events built up piece by piece.
struct TEvents {
  std::vector<TReplayEvent> List;
  // Count readings from Start, Step milliseconds apart (round the clock's wrap, too).
  TEvents& Readings(std::uint32_t Start, std::uint32_t Step, std::size_t Count) {
    for (std::size_t I = 0; I < Count; ++I)
      List.push_back({TEventKind::Reading, static_cast<std::uint32_t>(Start + Step * I)});
    return *this;
  }
  // Ms milliseconds from Start, the clock read PerMs times in each.
  TEvents& Passes(std::uint32_t Start, std::uint32_t Ms, std::size_t PerMs) {
    for (std::uint32_t I = 0; I < Ms; ++I)
      Readings(Start + I, 0, PerMs);
    return *this;
  }
  TEvents& Times(const TReplayEvent& E, std::size_t Count) {
    List.insert(List.end(), Count, E);
    return *this;
  }
};

constexpr TReplayEvent Space{TEventKind::Key, 32};
constexpr TReplayEvent Left{TEventKind::Key, 37};

TReplayHeader Played(std::uint32_t Rules) { return {Rules, "1.1", 5, 1, 9, true}; }
} // namespace

// No game reads its clock or takes keys faster than the recorder could ever
// have written them: a file that holds more entries than the time of play
// its readings span is refused before anything is played.
TEST(RecordingFile, RefusesMoreEntriesThanItsTimeOfPlayCouldHold) {
  const std::string Inputs = "it holds more keys, settings and seeds than its ";
  const std::string Readings = "it holds more clock readings than its ";
  // The clock steps back a millisecond after each of them, as a pass's moment read after a key took the present.
  TEvents SteppingBack;
  for (std::uint32_t I = 0; I < 100; ++I)
    SteppingBack.Readings(1000 + I * 10, 0, 1).Readings(999 + I * 10, 0, 1);
  const struct {
    const char* Case;
    std::uint32_t Rules;
    TEvents Events;
    std::string Fault;
  } Cases[] = {
      {"Space pressed 3,000 times in ten seconds", RulesVersion, TEvents().Readings(1000, 16, 626).Times(Space, 3000),
       Inputs + "10 seconds of play could"},
      {"the clock read over and over with no time passing", RulesVersion, TEvents().Readings(1000, 0, 5001),
       Readings + "0 seconds of play could"},
      {"the same by the first rules, which read it three times a millisecond", 1, TEvents().Readings(1000, 0, 10001),
       Readings + "0 seconds of play could"},
      {"the start level changed in a burst", RulesVersion,
       TEvents().Readings(1000, 0, 1).Times({TEventKind::StartLevel, 4}, 251), Inputs + "0 seconds of play could"},
      {"the sound switched over and over", RulesVersion,
       TEvents().Readings(1000, 0, 1).Times({TEventKind::Sound, 0}, 251), Inputs + "0 seconds of play could"},
      {"the generator seeded again and again", RulesVersion,
       TEvents().Readings(1000, 0, 1).Times({TEventKind::Seed, 77}, 251), Inputs + "0 seconds of play could"},
      {"a clock that steps back makes no time", RulesVersion, SteppingBack.Times(Left, 600),
       Inputs + "0 seconds of play could"},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(FaultOf(Encode(C.Events.List, Played(C.Rules))), Refusal(C.Fault)) << C.Case;
}

TEST(RecordingFile, ReadsTheDensestGamesThatCanBePlayed) {
  const struct {
    const char* Case;
    std::uint32_t Rules;
    TEvents Events;
  } Cases[] = {
      // The program starts up reading the clock 600 times in one millisecond.
      {"a game that ends in its first second", RulesVersion,
       TEvents().Readings(90000, 0, 600).Readings(90000, 1, 900).Times(Space, 1).Times(Left, 60)},
      {"the first rules, three readings a millisecond", 1,
       TEvents().Readings(90000, 0, 600).Passes(90000, 10000, 3).Times(Left, 40)},
      {"as many readings as there may be, no time passing", RulesVersion, TEvents().Readings(1000, 0, 5000)},
      {"as many keys as there may be, no time passing", RulesVersion, TEvents().Readings(1000, 0, 1).Times(Left, 250)},
      {"the clock wraps round during a game", RulesVersion,
       TEvents().Readings(0xFFFFF000u, 16, 512).Times(Left, 2000)},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(FaultOf(Encode(C.Events.List, Played(C.Rules))), "(no fault)") << C.Case;
  // Games played through the window, by the first rules and the second, and
  // one of keys typed as fast as a machine types them.
  for (const char* Game : {"tests/replay/recordings/game3.rec", "tests/replay/recordings/game6.rec",
                           "tests/e2e/records/won-level1-robot-can-escape.rec", "tests/replay/recordings/fast-play.rec"}) {
    const std::string Path = std::string(CLANKORA_SOURCE_DIR) + "/" + Game;
    EXPECT_NO_THROW(ReadRecording(Path)) << Game;
  }
}

// Recordings written by version 1.0 of the game, in one piece: read as they were.
TEST(RecordingFile, ARecordingOfEveryRulesThisGameKnowsIsReadWithItsRules) {
  for (std::uint32_t Rules = OldestRulesVersion; Rules <= RulesVersion; ++Rules) {
    const TRecording R =
        DecodeRecording(recfile::Format3(recfile::HeaderRaw(Rules, "1.1", 5, 1, 9, 1), {}), Name);
    EXPECT_EQ(R.Header.RulesVersion, Rules);
  }
  EXPECT_FALSE(RulesSkipQuietMs(1)) << "the first rules ran a pass every millisecond";
  EXPECT_TRUE(RulesSkipQuietMs(RulesVersion));
}

TEST(RecordingFile, ReadsTheFormatOfVersionOnePointZero) {
  const std::vector<std::uint8_t> Old = recfile::Format2("1.0", recfile::Format2Body(7, 2, 99, true, {0x08, 0x01, 0x29, 0x06}));
  const TRecording R = DecodeRecording(Old, Name);
  EXPECT_EQ(R.Header, (TReplayHeader{1, "1.0", 7, 2, 99, true})) << "version 1.0 played by the first rules";
  EXPECT_EQ(R.AllEvents(), (std::vector<TReplayEvent>{{TEventKind::Reading, 1}, {TEventKind::Key, 0}, {TEventKind::Key, 5},
                                                  {TEventKind::End, 0}}));
  EXPECT_FALSE(R.EndsEarly);
  const struct {
    const char* Case;
    std::vector<std::uint8_t> Bytes;
    std::string Fault;
  } Cases[] = {
      {"another program version", recfile::Format2("0.9", recfile::Format2Body(5, 1, 1, true, {0x06})),
       "it was recorded by game version 0.9, whose rules this game does not know"},
      {"cut", {Old.begin(), Old.end() - 3}, "it is cut short"},
      {"no end", recfile::Format2("1.0", recfile::Format2Body(5, 1, 1, true, {0x08})),
       "its data runs out before the game ends"},
      {"start level 11", recfile::Format2("1.0", recfile::Format2Body(11, 1, 1, true, {0x06})),
       "it holds the start level 11, which the game never has (1 to 10)"},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(FaultOf(C.Bytes), Refusal(C.Fault)) << C.Case;
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

// A file cut anywhere, as a killed program or a full disk leaves it, reads
// as the events of its whole blocks, saying that it ends early; only a file
// cut inside its header is refused.
TEST(RecordingFile, ACutFileReadsUpToItsLastWholeBlock) {
  const std::vector<TReplayEvent> Long = LongGame();
  constexpr std::size_t Every = 20;
  const std::vector<std::uint8_t> Good = Encode(Long, Header(), Every);
  const std::size_t HeaderEnd = TReplayWriter::Opening(Header()).size();
  std::size_t Boundaries = 0;
  std::size_t PreviousEvents = 0;
  for (std::size_t Size = 0; Size < Good.size(); ++Size) {
    const std::vector<std::uint8_t> Cut(Good.begin(), Good.begin() + static_cast<std::ptrdiff_t>(Size));
    if (Size < HeaderEnd) {
      ASSERT_EQ(FaultOf(Cut).rfind("Cannot replay \"" + Name + "\": ", 0), 0u) << "cut to " << Size << " bytes";
      continue;
    }
    const TRecording R = DecodeRecording(Cut, Name);
    ASSERT_TRUE(R.EndsEarly) << "cut to " << Size << " bytes";
    const std::vector<TReplayEvent> Events = R.AllEvents();
    ASSERT_EQ(Events.size() % Every, 0u) << "whole blocks only, cut to " << Size << " bytes";
    ASSERT_TRUE(std::equal(Events.begin(), Events.end(), Long.begin())) << "cut to " << Size << " bytes";
    if (Events.size() > PreviousEvents || Size == HeaderEnd)
      ++Boundaries;
    PreviousEvents = Events.size();
  }
  EXPECT_EQ(Boundaries, Long.size() / Every + 1) << "every block boundary was cut at";
}

// A few thousand flipped bits: each one is refused with a message that names
// the file, reads as a cut file (a block's size now reaches past the end), or
// (a flip in the padding after a block's packed data) changes nothing; none
// crashes or hangs the reader.
TEST(RecordingFile, RefusesOrCutsEveryBitFlip) {
  const std::vector<TReplayEvent> Long = LongGame();
  const std::vector<std::uint8_t> Good = Encode(Long, Header(), 50);
  std::mt19937 Draw(2024);
  for (int Trial = 0; Trial < 4000; ++Trial) {
    auto Bytes = Good;
    const std::size_t Bit = Trial < 8 * 40 ? static_cast<std::size_t>(Trial) : Draw() % (Bytes.size() * 8);
    Bytes[Bit / 8] ^= static_cast<std::uint8_t>(1u << (Bit % 8));
    const std::string Fault = FaultOf(Bytes);
    if (Fault != "(no fault)") {
      ASSERT_EQ(Fault.rfind("Cannot replay \"" + Name + "\": ", 0), 0u) << "bit " << Bit << " flipped: " << Fault;
      continue;
    }
    const TRecording R = DecodeRecording(Bytes, Name);
    ASSERT_EQ(R.Header, Header()) << "bit " << Bit << " flipped";
    const std::vector<TReplayEvent> Events = R.AllEvents();
    if (R.EndsEarly)
      ASSERT_TRUE(std::equal(Events.begin(), Events.end(), Long.begin())) << "bit " << Bit << " flipped";
    else
      ASSERT_EQ(Events, WithEnd(Long)) << "bit " << Bit << " flipped";
  }
}
