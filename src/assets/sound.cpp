#include "assets/sound.h"

#include "platform/audio.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/message_box.h"
#include "shared/app_title.h"

#include <exception>
#include <utility>

namespace {
constexpr std::uint32_t OutputRate = 44100;
// A burst of one event never piles up more than this many copies of its sound.
constexpr std::uint32_t PlaybacksPerSample = 3;

void ShowHandlerError(const std::exception& Error) { ShowMessage({"", Error.what(), TMessageIcon::Error, true}); }
} // namespace

TDM::TDM(const TIniFile* IniF, std::string aSamplesDir) : SamplesDir(std::move(aSamplesDir)) {
  // A failure in here must not stop the game, and the cues must find this
  // module whatever happened.
  try {
    DataModuleCreate(IniF);
  } catch (const std::exception& Error) {
    ShowHandlerError(Error);
  }
  PreviousCueSink = SetSoundCueSink(this);
}

TDM::~TDM() {
  SetSoundCueSink(PreviousCueSink);
  try {
    DataModuleDestroy();
  } catch (const std::exception& Error) {
    ShowHandlerError(Error);
  }
}

void TDM::DataModuleCreate(const TIniFile* IniF) {
  samc = 0;
  CanChangeUseSound = true;
  // The audio layer is built into the game, so only a test can make this fail.
  if ((AudioGetVersion() >> 16) != 0x0204) {
    CanChangeUseSound = false;
    ShowMessage({"", "The game's audio layer has an incorrect version", TMessageIcon::Error, false});
  }
  // The output is opened even for a wrong version, so that the end of the run
  // releases it the same way in every case.
  if (!AudioInit(AudioDefaultDevice, OutputRate)) {
    CanChangeUseSound = false;
    ShowAudioError("Error initializing audio!");
  }
  StoredUseSound = IniF != nullptr ? IniF->ReadBool(AppTitle, "SoundOn", true) : true;
  if (!CanChangeUseSound) {
    UseSound = false;
    return;
  }
  UseSound = StoredUseSound;

  SndBoom = LoadSample(SamplesDir + "boom01.wav");
  SndFart = LoadSample(SamplesDir + "fart01.wav");
  SndGetBomb = LoadSample(SamplesDir + "getbomb01.wav");
  SndGlassbreak = LoadSample(SamplesDir + "glassbreak01.wav");
  SndOuch = LoadSample(SamplesDir + "ouch01.wav");
  SndPick = LoadSample(SamplesDir + "pick01.wav");
  SndPlaced = LoadSample(SamplesDir + "placed01.wav");
  SndSpring = LoadSample(SamplesDir + "spring01.wav");
  SndMove = LoadSample(SamplesDir + "step01.wav");
  ReportFailedSamples();
}

void TDM::DataModuleDestroy() { AudioFree(); }

bool TDM::UseSoundToSave() const {
  // Without audio the switch starts off whatever was stored; only the check
  // box turns it on, and that is the player's choice.
  if (!CanChangeUseSound && !UseSound)
    return StoredUseSound;
  return UseSound;
}

namespace {
std::string AudioErrorText(const std::string& Message, std::int32_t Code) {
  return Message + "\r\n(Error code: " + std::to_string(Code) + ")";
}
} // namespace

void TDM::ShowAudioError(const std::string& Message) {
  ShowMessage({"", AudioErrorText(Message, AudioErrorGetCode()), TMessageIcon::None, true});
}

void TDM::ReportFailedSamples() {
  if (FailedSamples.empty())
    return;
  std::string Text = AudioErrorText("Error loading sample!", FailedSamples.front().Code);
  // One missing sound is told as it always was; a folder of them in one message, not a box each.
  if (FailedSamples.size() > 1) {
    Text += "\r\n" + std::to_string(FailedSamples.size()) + " sounds were not loaded from \"" + SamplesDir + "\":";
    for (const TFailedSample& Failed : FailedSamples)
      Text += "\r\n" + Failed.File + " (Error code: " + std::to_string(Failed.Code) + ")";
  }
  ShowMessage({"", Text, TMessageIcon::None, true});
  FailedSamples.clear();
}

std::int32_t TDM::LoadSample(const std::string& Path) {
  if (!CanChangeUseSound)
    return -1;
  if (samc < 0 || static_cast<std::size_t>(samc) >= SampleSlots)
    return -1;
  const std::string File = ExistingOrAlternative(Path, ".snd");
  sams[samc] = AudioSampleLoad(File, PlaybacksPerSample);
  if (sams[samc] == 0) {
    FailedSamples.push_back({File.substr(SamplesDir.size()), AudioErrorGetCode()});
    return -1;
  }
  return samc++;
}

void TDM::PlayGameSound(std::int32_t Index, float Vol, float Pan) {
  if (!CanChangeUseSound || !UseSound)
    return;
  if (Index < 0 || static_cast<std::size_t>(Index) >= SampleSlots || sams[Index] == 0)
    return;
  const std::uint32_t Channel = AudioSampleGetChannel(sams[Index]);
  if (Pan != 0.0f)
    AudioChannelSetAttribute(Channel, TAudioAttribute::Pan, Pan);
  if (Vol >= 0.0f)
    AudioChannelSetAttribute(Channel, TAudioAttribute::Volume, Vol);
  AudioChannelPlay(Channel);
}

void TDM::Cue(TSoundCue Cue, std::int32_t X) {
  const float Full = ColumnToPan(X);
  const float Half = Full / 2;
  switch (Cue) {
  case TSoundCue::Boom: PlayGameSound(SndBoom, -1.0f, Full); return;
  case TSoundCue::Fart: PlayGameSound(SndFart, -1.0f, Full); return;
  case TSoundCue::GetBomb: PlayGameSound(SndGetBomb, -1.0f, Full); return;
  case TSoundCue::Glassbreak: PlayGameSound(SndGlassbreak, -1.0f, Full); return;
  case TSoundCue::Ouch: PlayGameSound(SndOuch, -1.0f, Full); return;
  case TSoundCue::Pick: PlayGameSound(SndPick, -1.0f, Full); return;
  // Landings, jumps and steps are frequent and small: they stay nearer the middle.
  case TSoundCue::Placed: PlayGameSound(SndPlaced, -1.0f, Half); return;
  case TSoundCue::Spring: PlayGameSound(SndSpring, -1.0f, Half); return;
  case TSoundCue::Move: PlayGameSound(SndMove, -1.0f, Half); return;
  }
}

float ColumnToPan(std::int32_t X) { return static_cast<float>(static_cast<long double>(X) * 0.1L - 1.0L); }
