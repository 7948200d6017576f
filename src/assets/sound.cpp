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

  for (const TCueSound& Sound : CueSounds)
    this->*Sound.Sample = LoadSample(SamplesDir + Sound.File);
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

namespace {
// Every cue finds its own line in the table.
constexpr bool TableInCueOrder() {
  for (std::size_t I = 0; I < CueSounds.size(); ++I)
    if (CueSounds[I].Cue != static_cast<TSoundCue>(I))
      return false;
  return true;
}
static_assert(TableInCueOrder(), "CueSounds lists the cues in the order of TSoundCue");
} // namespace

void TDM::Cue(TSoundCue Cue, std::int32_t X) {
  const TCueSound& Sound = CueSound(Cue);
  const float Pan = ColumnToPan(X);
  PlayGameSound(this->*Sound.Sample, -1.0f, Sound.Pan == TPanRule::HalfColumn ? Pan / 2 : Pan);
}

float ColumnToPan(std::int32_t X) { return static_cast<float>(static_cast<long double>(X) * 0.1L - 1.0L); }
