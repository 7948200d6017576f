#pragma once

#include "shared/sound_cues.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TIniFile;

// The game's sound: sets up the audio output, loads the nine samples from the
// folder "sounds" and plays them when the engine's cues call. While it lives it
// is where the cues go. Without audio the game runs on in silence.
class TDM : public TSoundCueSink {
public:
  // IniF is the open settings file, or nullptr when there is none (the sound
  // switch then starts on). SamplesDir ends with '/'.
  // The samples are read from aSamplesDir, which ends in '/'.
  TDM(const TIniFile* IniF, std::string aSamplesDir);
  ~TDM() override;
  TDM(const TDM&) = delete;
  TDM& operator=(const TDM&) = delete;

  // Plays sample Index once. A negative Vol keeps the sample's own volume; a
  // Pan of exactly 0 keeps it centred. Silent unless audio is available and
  // switched on; a failure to play goes unnoticed.
  void PlayGameSound(std::int32_t Index, float Vol, float Pan);

  void Cue(TSoundCue Cue, std::int32_t X) override;

  bool CanChangeUseSound = false; // audio is available; only then does the switch mean anything
  bool UseSound = false;          // the player's sound switch
  // The switch as the settings file holds it, read also without audio: one
  // start without a sound server must not turn the player's sound off for good.
  bool StoredUseSound = true;

  // The switch to save at the end of the run: as read, unless the player set
  // it this run (F8 or the settings dialog's check box).
  bool UseSoundToSave() const;
  std::string SamplesDir;
  // Indices into the loaded samples; -1 when that sample failed to load.
  std::int32_t SndBoom = 0;
  std::int32_t SndMove = 0;
  std::int32_t SndPick = 0;
  std::int32_t SndGlassbreak = 0;
  std::int32_t SndPlaced = 0;
  std::int32_t SndSpring = 0;
  std::int32_t SndFart = 0;
  std::int32_t SndOuch = 0;
  std::int32_t SndGetBomb = 0;

private:
  void DataModuleCreate(const TIniFile* IniF);
  void DataModuleDestroy();
  void ShowAudioError(const std::string& Message);
  std::int32_t LoadSample(const std::string& Path);
  // Every sound that failed to load, told in one message.
  void ReportFailedSamples();

  struct TFailedSample {
    std::string File;
    std::int32_t Code = 0;
  };
  std::vector<TFailedSample> FailedSamples;

  static constexpr std::size_t SampleSlots = 128;
  std::array<std::uint32_t, SampleSlots> sams{}; // sample handles; 0 = empty slot
  std::int32_t samc = 0;                         // samples loaded, the next free slot
  TSoundCueSink* PreviousCueSink = nullptr;
};

// How a cue's sound stands between the speakers: at its column's place, or
// halfway from the middle to it (frequent, small sounds).
enum class TPanRule { Column, HalfColumn };

// What each cue plays: the sound module's field for its sample, the file in
// "sounds" it is loaded from, and where it stands. One line per cue, in the
// order of TSoundCue, which is also the order the samples are loaded in.
struct TCueSound {
  TSoundCue Cue;
  std::int32_t TDM::*Sample;
  const char* File;
  TPanRule Pan;
};
inline constexpr std::array<TCueSound, 9> CueSounds = {{
    {TSoundCue::Boom, &TDM::SndBoom, "boom01.wav", TPanRule::Column},
    {TSoundCue::Fart, &TDM::SndFart, "fart01.wav", TPanRule::Column},
    {TSoundCue::GetBomb, &TDM::SndGetBomb, "getbomb01.wav", TPanRule::Column},
    {TSoundCue::Glassbreak, &TDM::SndGlassbreak, "glassbreak01.wav", TPanRule::Column},
    {TSoundCue::Ouch, &TDM::SndOuch, "ouch01.wav", TPanRule::Column},
    {TSoundCue::Pick, &TDM::SndPick, "pick01.wav", TPanRule::Column},
    // Landings, jumps and steps are frequent and small: they stay nearer the middle.
    {TSoundCue::Placed, &TDM::SndPlaced, "placed01.wav", TPanRule::HalfColumn},
    {TSoundCue::Spring, &TDM::SndSpring, "spring01.wav", TPanRule::HalfColumn},
    {TSoundCue::Move, &TDM::SndMove, "step01.wav", TPanRule::HalfColumn},
}};

// The table's line for a cue.
constexpr const TCueSound& CueSound(TSoundCue Cue) { return CueSounds[static_cast<std::size_t>(Cue)]; }

// Where a sound of yard column X stands between the speakers: X / 10 - 1, so
// column 1 is at -0.9, column 10 in the middle (exactly 0) and column 20 at +1.
float ColumnToPan(std::int32_t X);
