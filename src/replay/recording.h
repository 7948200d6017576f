#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A recorded game: everything the game was given, in the order it took it.
// The rules decide from nothing else, so the same inputs replay the same game.

enum class TEventKind : std::uint8_t {
  Reading,    // the game read the tick counter
  Key,        // the main window handled a key
  Seed,       // the random generator was seeded again
  StartLevel, // the settings dialog changed the start level
  Generator,  // the settings dialog changed the trash generator
  NewGame,    // the settings dialog closed before play: a new game at this level
  End,        // the program ended here
  Sound,      // the settings dialog switched the sound on (1) or off (0)
};
// A new kind goes after the last, which this names; the file has room for 16.
inline constexpr TEventKind LastEventKind = TEventKind::Sound;

// A change made in the settings dialog, kept as a signed number.
inline bool IsSetting(TEventKind Kind) {
  return Kind == TEventKind::StartLevel || Kind == TEventKind::Generator || Kind == TEventKind::NewGame ||
         Kind == TEventKind::Sound;
}

struct TReplayEvent {
  TEventKind Kind = TEventKind::End;
  std::uint64_t Value = 0; // the reading, key code or seed; a setting as its int32 bits
  friend bool operator==(const TReplayEvent&, const TReplayEvent&) = default;
};

// What was in force when the game started.
struct TReplayHeader {
  std::uint32_t RulesVersion = 0; // of the game that made it: the rules it was played by
  std::string GameVersion;        // of the program that made it, for the player to read
  std::int32_t StartLevel = 5;
  std::int32_t Generator = 1;
  std::uint64_t Seed = 0; // the first seed of the random generator
  bool SoundOn = true;    // the sound switch, so that a replay sounds as the game did
  friend bool operator==(const TReplayHeader&, const TReplayHeader&) = default;
};

// The events of a recording as its file holds them: packed in blocks, each
// unpacked only while its events are played (TEventStream), so that a replay
// takes the memory of its file, not of every event it holds.
struct TPackedEvents {
  struct TBlock {
    std::size_t Offset = 0;     // in Bytes
    std::size_t PackedSize = 0; // 0: the events lie there as they are
    std::size_t Size = 0;       // the bytes of its events
  };
  std::vector<std::uint8_t> Bytes;
  std::vector<TBlock> Blocks;
  unsigned KindBits = 4;   // the bits of each event's tag that hold its kind
  std::uint64_t Count = 0; // events in all
};

struct TRecording {
  TRecording() = default;
  // These events, held in memory as a file packs them.
  TRecording(TReplayHeader aHeader, const std::vector<TReplayEvent>& Given);

  // Every event at once, 16 bytes each: for tools and tests, never a replay.
  std::vector<TReplayEvent> AllEvents() const;

  TReplayHeader Header;
  TPackedEvents Events; // the last one is End, unless the file ends early
  // The file ends before the game did (the program was killed, the disk
  // filled up): Events hold every whole block there is.
  bool EndsEarly = false;
};

// Gives the events of a recording one by one, one block unpacked at a time;
// once they are all given, End for ever after.
class TEventStream {
public:
  // Events must outlive the stream; Path names the recording should it be damaged.
  TEventStream(const TPackedEvents& aEvents, std::string aPath);
  TReplayEvent Next();
  bool AtEnd() const { return Given == Events.Count; }

private:
  const TPackedEvents& Events;
  std::string Path;
  std::size_t Block = 0;
  std::vector<std::uint8_t> Unpacked; // the block being given, when packed
  const std::uint8_t* Data = nullptr;
  std::size_t Size = 0;
  std::size_t Pos = 0;
  std::uint32_t Reading = 0;
  std::uint64_t Given = 0;
};

// A recording that cannot be written, read or followed; the text names the file and the fault.
class EReplayError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// 2: the sound switch in the header and its changes among the events.
// 3: written in blocks as the game goes; the rules version in the header.
inline constexpr std::uint32_t ReplayFormatVersion = 3;

// The version of what the game decides: raised by any change to a rule, a
// timer, a random draw or how input reaches the game, never by one to the
// pictures, sounds, pace, packaging or controls. A recording replays in every
// program with the rules version that made it.
// 2: the game's loop sleeps through the milliseconds in which nothing is due,
// and each pass first moves on the timers of what rests as a pass in every
// millisecond would have: a recording holds only the passes that ran.
inline constexpr std::uint32_t RulesVersion = 2;
// The oldest rules this game still plays a recording by.
inline constexpr std::uint32_t OldestRulesVersion = 1;
// Whether a game played by these rules let its loop skip quiet milliseconds.
inline bool RulesSkipQuietMs(std::uint32_t Rules) { return Rules >= 2; }

// The most events a recording holds, in bytes of their encoding: about three
// hours of play. The recorder stops there and the reader refuses more, so no
// file can make the reader take more memory or time than that game.
inline constexpr std::uint64_t MaxRecordedEventBytes = 32u << 20;

// The version of this program.
const std::string& GameVersion();

// Text from a recording as it may be shown: control characters and bytes
// beyond ASCII as \xNN.
std::string PrintableText(const std::string& Text);

// The text of an error about the recording in Path.
std::string ReplayFault(const std::string& Path, const std::string& What);

// Encodes events in the file's encoding and packs them in blocks, each one
// whole on its own, so that a file cut after any block still reads.
class TReplayWriter {
public:
  // The start of the file: what it is, and the header in a block of its own.
  static std::vector<std::uint8_t> Opening(const TReplayHeader& Header);
  // Encodes the event; a block that is full is packed and waits to be taken.
  void Add(const TReplayEvent& Event);
  // Bytes of events added in all, packed or not.
  std::uint64_t EventBytes() const { return Packed + Pending.size(); }
  bool BlockReady() const { return !Ready.empty(); }
  // Blocks packed so far, the header's not counted.
  std::size_t BlockCount() const { return Blocks; }
  bool HasPending() const { return !Pending.empty(); }
  // Every block packed so far and the events since as the last: the next bytes of the file.
  std::vector<std::uint8_t> TakeBlocks();
  // The whole file at once: the opening, the events and End.
  std::vector<std::uint8_t> Finish(const TReplayHeader& Header);

private:
  void Pack();

  std::vector<std::uint8_t> Pending;
  std::vector<std::uint8_t> Ready;
  std::uint64_t Packed = 0;
  std::size_t Blocks = 0;
  std::uint32_t PreviousReading = 0;
};

// The largest block the writer makes, in bytes of events, and the most blocks
// a recording holds (the header's one included): a block every two seconds for a day and more.
inline constexpr std::size_t MaxBlockEventBytes = 64u << 10;
inline constexpr std::size_t MaxRecordingBlocks = 1u << 16;

// The most entries a recording holds for each second of play its clock
// readings span, the first second counted whole: no game reads its clock or
// takes keys faster. The densest real games read the clock about 3,100 times
// in a second by the first rules, and 1,050 by the second; the fastest
// fingers, machines typing included, give 160 keys a second. So a file that
// holds more, which would take a replay minutes and leave nothing to see, is
// refused before anything is played.
std::uint32_t MostReadingsPerSecond(std::uint32_t Rules);
inline constexpr std::uint32_t MostInputsPerSecond = 250; // keys, settings and seeds

// The recording in Bytes, read from Path (named in errors); throws EReplayError
// when it is not a recording, is damaged, holds settings the game never has,
// holds more entries than its time of play could, is larger than any the
// recorder writes, or belongs to another format or rules version. A file that
// ends after a whole block of events reads as a recording that ends early.
// Every block is unpacked and checked once here; the recording keeps Bytes,
// its blocks still packed.
TRecording DecodeRecording(std::vector<std::uint8_t> Bytes, const std::string& Path);
TRecording ReadRecording(const std::string& Path);
