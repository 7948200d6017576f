#pragma once

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
  std::string GameVersion;
  std::int32_t StartLevel = 5;
  std::int32_t Generator = 1;
  std::uint64_t Seed = 0; // the first seed of the random generator
  bool SoundOn = true;    // the sound switch, so that a replay sounds as the game did
  friend bool operator==(const TReplayHeader&, const TReplayHeader&) = default;
};

struct TRecording {
  TReplayHeader Header;
  std::vector<TReplayEvent> Events; // the last one is End
};

// A recording that cannot be written, read or followed; the text names the file and the fault.
class EReplayError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// 2: the sound switch in the header and its changes among the events.
inline constexpr std::uint32_t ReplayFormatVersion = 2;

// The version of this game; a recording replays only in the version that made it.
const std::string& GameVersion();

// The text of an error about the recording in Path.
std::string ReplayFault(const std::string& Path, const std::string& What);

// Appends events in the file's encoding, so that a long game costs little memory.
class TReplayWriter {
public:
  void Add(const TReplayEvent& Event);
  // The whole file: header, then the events and End, compressed.
  std::vector<std::uint8_t> Finish(const TReplayHeader& Header) const;
  // Writes the whole file to Path; throws EReplayError.
  void Save(const std::string& Path, const TReplayHeader& Header) const;

private:
  std::vector<std::uint8_t> Body;
  std::uint32_t PreviousReading = 0;
};

// The recording in Bytes, read from Path (named in errors); throws EReplayError
// when it is not a recording, is cut short or damaged, or belongs to another
// format or game version.
TRecording DecodeRecording(const std::vector<std::uint8_t>& Bytes, const std::string& Path,
                           const std::string& ExpectedGameVersion = GameVersion());
TRecording ReadRecording(const std::string& Path);
