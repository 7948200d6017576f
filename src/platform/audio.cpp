#include "platform/audio.h"
#include "platform/audio_mix.h"
#include "platform/audio_pulse.h"
#include "platform/files.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace {
// 16-bit stereo; SDL's drivers are fed blocks of 1024 frames, about 23 ms at 44.1 kHz.
constexpr int SdlBlockFrames = 1024;
// How the sound server knows the game's stream.
constexpr const char* StreamOwner = "Clankora!";
// Silent for this long, the output is closed, so that the sound server and
// the machine can sleep while the game is quiet (paused, a menu, a still
// yard); the next playback opens it again. Checked at most this far apart
// while open, and when the silence will have lasted long enough: the output
// closes 1 to 1.5 s after the last sound ends.
constexpr std::uint32_t RestAfterMs = 1000;
constexpr std::uint32_t RestCheckMs = 500;
constexpr std::uint32_t MaxFrequency = 384000;
// Whether a sound server takes the game's connection is known at once; the
// sound thread is given this long to say so as the output is set up.
constexpr auto ServerAnswerLimit = std::chrono::seconds(2);
// Freeing the output waits this long at most for the sound thread, which
// never waits long itself.
constexpr auto SoundThreadEndLimit = std::chrono::seconds(1);
constexpr std::uint32_t MaxPlaybacksPerSample = 64;

// A playback handle is the channel's number plus one in the low bits and the
// channel's take-over count above them, so a handle of a playback that was
// taken over no longer fits.
constexpr std::uint32_t ChannelBits = 12;
constexpr std::uint32_t ChannelMask = (1u << ChannelBits) - 1;
constexpr std::size_t MaxChannels = ChannelMask; // handles 1 .. ChannelMask
constexpr std::uint32_t GenerationMask = (1u << (32 - ChannelBits)) - 1;

struct TSample {
  std::uint32_t Handle;
  std::unique_ptr<TMixSample> Sound;
};

// What the game knows of a channel; what plays there is its voice.
struct TChannel {
  const TMixSample* Sound = nullptr; // the sample this channel plays
  std::uint32_t Generation = 0;
  std::uint64_t Started = 0; // start order of its latest playback; 0 = never started
  bool Reserved = false;     // handed out, not started yet
};

enum class TOutputKind { SoundServer, Sdl };

struct TDevice {
  // The calls come from the game's thread, the rest check from SDL's timer thread.
  std::mutex Lock;
  // The voices, shared with the output's thread, which takes only this lock:
  // nothing holds it while waiting for anything else.
  std::mutex MixLock;
  bool Initialised = false;
  bool SdlOpen = false; // SDL's output is open (not resting)
  bool CanRest = false;
  TOutputKind Kind = TOutputKind::Sdl;
  std::uint32_t Frequency = 0;
  std::uint64_t SilentSince = 0; // SDL's milliseconds
  SDL_TimerID RestTimer = 0;
  std::optional<std::uint32_t> RestOverride;
  std::optional<std::uint32_t> OpenLimitOverride;
  std::int32_t LastError = aeOk;
  std::optional<std::uint32_t> VersionOverride;
  std::vector<TSample> Samples;
  std::vector<TChannel> Channels;
  std::vector<TMixVoice> Voices; // one for each channel, under MixLock
  std::vector<float> MixRoom;    // under MixLock
  std::uint32_t NextSampleHandle = 1;
  std::uint64_t StartCounter = 0;
  SDL_AudioDeviceID SdlOutput = 0;
  TPulseOutput ServerOutput;
};

TDevice Device;

bool Fail(std::int32_t Code) {
  Device.LastError = Code;
  return false;
}

std::uint32_t FailHandle(std::int32_t Code) {
  Device.LastError = Code;
  return 0;
}

bool Succeed() {
  Device.LastError = aeOk;
  return true;
}

TSample* FindSample(std::uint32_t Handle) {
  for (TSample& Sample : Device.Samples)
    if (Sample.Handle == Handle)
      return &Sample;
  return nullptr;
}

// The channel of a playback handle, or -1 when the handle is not current.
int ChannelOf(std::uint32_t Handle) {
  const std::uint32_t Index = (Handle & ChannelMask);
  if (Index == 0 || Index > Device.Channels.size())
    return -1;
  const TChannel& Channel = Device.Channels[Index - 1];
  if (Channel.Generation != (Handle >> ChannelBits))
    return -1;
  return static_cast<int>(Index - 1);
}

bool IsBusy(std::size_t Channel) {
  if (Device.Channels[Channel].Reserved)
    return true;
  const std::lock_guard Hold(Device.MixLock);
  return Device.Voices[Channel].Playing;
}

// SDL also reads other formats; the game's sounds are WAV files, and
// anything else is refused as such rather than played by chance.
bool HasWavHeader(const std::vector<unsigned char>& Data) {
  return Data.size() >= 12 && std::memcmp(Data.data(), "RIFF", 4) == 0 && std::memcmp(Data.data() + 8, "WAVE", 4) == 0;
}

// With MixLock held.
bool VoicesPlaying() {
  return std::any_of(Device.Voices.begin(), Device.Voices.end(), [](const TMixVoice& V) { return V.Playing; });
}

// On the output's thread.
bool FillOutput(std::int16_t* Out, std::size_t Frames) {
  const std::lock_guard Hold(Device.MixLock);
  const bool Sounded = VoicesPlaying();
  MixVoices(Device.Voices, Out, Frames, Device.MixRoom);
  return Sounded;
}

// On the sound server's thread, when the server has gone or has not answered
// in time: what plays, or waits for the output, is dropped.
void DropVoices() {
  const std::lock_guard Hold(Device.MixLock);
  for (TMixVoice& Voice : Device.Voices)
    Voice.Playing = false;
}

void SDLCALL FillSdlOutput(void*, Uint8* Stream, int Bytes) {
  FillOutput(reinterpret_cast<std::int16_t*>(Stream), static_cast<std::size_t>(Bytes) / MixFrameBytes);
}

// Whether the game talks to the sound server itself: unless the player (or a
// test) chose one of SDL's drivers other than its PulseAudio one.
bool ToTheSoundServer() {
  const char* Chosen = std::getenv("SDL_AUDIODRIVER");
  return Chosen == nullptr || *Chosen == 0 || std::strcmp(Chosen, "pulseaudio") == 0 ||
         std::strcmp(Chosen, "pulse") == 0;
}

// The disk driver writes its file anew at every opening, and nothing sleeps
// behind it: it rests only when a test asks. Called once SDL's audio has started.
bool SdlOutputMayRest() {
  if (Device.RestOverride)
    return true;
  const char* Driver = SDL_GetCurrentAudioDriver();
  return Driver == nullptr || std::strcmp(Driver, "disk") != 0;
}

bool OpenSdlOutput() {
  SDL_AudioSpec Wanted{};
  Wanted.freq = static_cast<int>(Device.Frequency);
  Wanted.format = AUDIO_S16SYS;
  Wanted.channels = 2;
  Wanted.samples = SdlBlockFrames;
  Wanted.callback = FillSdlOutput;
  // SDL converts to whatever the device plays; the mixer always gives this.
  Device.SdlOutput = SDL_OpenAudioDevice(nullptr, 0, &Wanted, nullptr, 0);
  if (Device.SdlOutput == 0)
    return false;
  SDL_PauseAudioDevice(Device.SdlOutput, 0);
  return true;
}

Uint32 RestWhenSilent(Uint32, void*);

// Whether the output is open. The sound server's is from the moment it is
// asked for until its thread has ended: the stream may still be opening, or
// closing.
bool OutputOpen() {
  return Device.Kind == TOutputKind::SoundServer ? Device.ServerOutput.Running() : Device.SdlOpen;
}

// The output for a new playback, opened again when it rests, or after the
// sound server went away. Nothing here waits for the server: its output is
// asked for, and a playback started meanwhile is held for the stream, heard
// when it opens within its time limit and dropped when it does not.
bool AskForOutput() {
  if (Device.Kind == TOutputKind::SoundServer) {
    // What a lost output left playing is not for the next one.
    if (!Device.ServerOutput.Running())
      DropVoices();
    Device.ServerOutput.SetOpenLimit(
        Device.OpenLimitOverride ? std::chrono::milliseconds(*Device.OpenLimitOverride) : TPulseOutput::OpenLimit);
    return Device.ServerOutput.Want(Device.Frequency, FillOutput, DropVoices, StreamOwner);
  }
  if (!Device.SdlOpen)
    Device.SdlOpen = OpenSdlOutput();
  return Device.SdlOpen;
}

// From the output's opening on, it rests once it has been silent long enough.
void WatchForRest() {
  if (Device.CanRest && Device.RestTimer == 0) {
    Device.SilentSince = SDL_GetTicks64();
    Device.RestTimer =
        SDL_AddTimer(std::min(RestCheckMs, Device.RestOverride.value_or(RestAfterMs)), RestWhenSilent, nullptr);
  }
}

// The output for a new playback, watched for its rest from then on.
bool Awake() {
  if (!AskForOutput())
    return false;
  WatchForRest();
  return true;
}

// Only while nothing plays and no playback is handed out; a playback cut off
// here (as the device is freed) does not go on at the next opening. The
// sound server's output is let go, and its thread ends it.
void CloseOutput() {
  if (Device.Kind == TOutputKind::SoundServer)
    Device.ServerOutput.Close();
  else if (Device.SdlOutput != 0)
    SDL_CloseAudioDevice(std::exchange(Device.SdlOutput, 0));
  Device.SdlOpen = false;
  DropVoices();
}

bool Sounding() {
  if (std::any_of(Device.Channels.begin(), Device.Channels.end(), [](const TChannel& C) { return C.Reserved; }))
    return true;
  const std::lock_guard Hold(Device.MixLock);
  return VoicesPlaying();
}

// On SDL's timer thread.
Uint32 RestWhenSilent(Uint32, void*) {
  const std::lock_guard Hold(Device.Lock);
  if (!Device.Initialised || !OutputOpen()) {
    Device.RestTimer = 0;
    return 0;
  }
  const std::uint64_t Now = SDL_GetTicks64();
  if (Sounding())
    Device.SilentSince = Now;
  const std::uint64_t Silent = Now - Device.SilentSince, Needed = Device.RestOverride.value_or(RestAfterMs);
  if (Silent < Needed)
    return static_cast<Uint32>(std::min<std::uint64_t>(Needed - Silent, RestCheckMs));
  CloseOutput();
  Device.RestTimer = 0;
  return 0;
}
} // namespace

void SetAudioRestOverride(std::optional<std::uint32_t> Ms) {
  const std::lock_guard Hold(Device.Lock);
  Device.RestOverride = Ms;
}

bool AudioOutputOpen() {
  const std::lock_guard Hold(Device.Lock);
  return Device.Initialised && OutputOpen();
}

void SetAudioOpenLimitOverride(std::optional<std::uint32_t> Ms) {
  const std::lock_guard Hold(Device.Lock);
  Device.OpenLimitOverride = Ms;
}

std::uint32_t AudioGetVersion() {
  const std::lock_guard Hold(Device.Lock);
  Succeed();
  return Device.VersionOverride.value_or(AudioLayerVersion);
}

void SetAudioVersionOverride(std::optional<std::uint32_t> Version) {
  const std::lock_guard Hold(Device.Lock);
  Device.VersionOverride = Version;
}

bool AudioInit(std::int32_t DeviceNumber, std::uint32_t Frequency) {
  const std::lock_guard Hold(Device.Lock);
  if (Device.Initialised)
    return Fail(aeAlreadyInitialised);
  if (DeviceNumber != AudioDefaultDevice || Frequency == 0 || Frequency > MaxFrequency)
    return Fail(aeBadDevice);
  // Otherwise SDL takes over Ctrl-C and termination, and the game would ignore them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_TIMER) != 0)
    return Fail(aeNoDriver);
  Device.Frequency = Frequency;
  // The sound server first, where there is one; otherwise SDL's drivers.
  // Whether there is one shows as the sound thread starts connecting, before
  // the server has to answer: a server that does not answer leaves the game
  // silent, and its next cues try it again.
  Device.Kind = TOutputKind::SoundServer;
  Device.CanRest = true;
  if (!ToTheSoundServer() || !AskForOutput() || !Device.ServerOutput.ServerThere(ServerAnswerLimit)) {
    Device.ServerOutput.Finish(SoundThreadEndLimit);
    Device.Kind = TOutputKind::Sdl;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      SDL_QuitSubSystem(SDL_INIT_TIMER);
      return Fail(aeNoDriver);
    }
    Device.CanRest = SdlOutputMayRest();
    if (!AskForOutput()) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER);
      return Fail(aeNoDevice);
    }
  }
  WatchForRest();
  Device.Initialised = true;
  return Succeed();
}

std::int32_t AudioErrorGetCode() {
  const std::lock_guard Hold(Device.Lock);
  return Device.LastError;
}

std::uint32_t AudioSampleLoad(const std::string& Path, std::uint32_t MaxPlaybacks) {
  const std::lock_guard Hold(Device.Lock);
  if (!Device.Initialised)
    return FailHandle(aeNotInitialised);
  if (MaxPlaybacks < 1 || MaxPlaybacks > MaxPlaybacksPerSample)
    return FailHandle(aeBadValue);
  std::vector<unsigned char> Data;
  switch (ReadRegularFile(Path, AudioMaxFileBytes, Data).Kind) {
  case TFileRead::Missing: return FailHandle(aeFileNotFound);
  case TFileRead::Folder:
  case TFileRead::NotRegular:
  case TFileRead::Unreadable: return FailHandle(aeFileOpen);
  case TFileRead::TooLarge: return FailHandle(aeFileTooLarge);
  case TFileRead::Ok: break;
  }
  if (!HasWavHeader(Data))
    return FailHandle(aeNotWav);
  const std::size_t First = Device.Channels.size();
  if (First + MaxPlaybacks > MaxChannels)
    return FailHandle(aeNoChannel);
  // Converted to the output's format once, as it loads.
  auto Sound = std::make_unique<TMixSample>();
  if (!DecodeWav(Data, Device.Frequency, *Sound))
    return FailHandle(aeNotWav);
  TChannel Channel;
  Channel.Sound = Sound.get();
  {
    const std::lock_guard Mixing(Device.MixLock);
    Device.Channels.insert(Device.Channels.end(), MaxPlaybacks, Channel);
    Device.Voices.resize(Device.Channels.size());
  }
  const std::uint32_t Handle = Device.NextSampleHandle;
  Device.NextSampleHandle = Handle == UINT32_MAX ? 1 : Handle + 1;
  Device.Samples.push_back({Handle, std::move(Sound)});
  Succeed();
  return Handle;
}

std::uint32_t AudioSampleGetChannel(std::uint32_t SampleHandle) {
  const std::lock_guard Hold(Device.Lock);
  if (!Device.Initialised)
    return FailHandle(aeNotInitialised);
  const TSample* Sample = FindSample(SampleHandle);
  if (Sample == nullptr)
    return FailHandle(aeBadHandle);
  if (!Awake())
    return FailHandle(aeNoDevice);

  // The sample's channels: idle first, otherwise the one started longest ago.
  // Our own start order decides, since a clock cannot tell apart playbacks
  // started in the same millisecond.
  int Chosen = -1;
  for (int C = 0; C < static_cast<int>(Device.Channels.size()); ++C) {
    if (Device.Channels[C].Sound != Sample->Sound.get())
      continue;
    if (!IsBusy(static_cast<std::size_t>(C))) {
      Chosen = C;
      break;
    }
    if (Chosen < 0 || Device.Channels[C].Started < Device.Channels[Chosen].Started)
      Chosen = C;
  }
  if (Chosen < 0)
    return FailHandle(aeNoChannel);

  // What plays there stops; the new playback is centred, at full volume.
  {
    const std::lock_guard Mixing(Device.MixLock);
    Device.Voices[Chosen] = TMixVoice{};
  }
  TChannel& Channel = Device.Channels[Chosen];
  Channel.Generation = (Channel.Generation + 1) & GenerationMask;
  Channel.Reserved = true;
  Channel.Started = ++Device.StartCounter;
  Succeed();
  return (Channel.Generation << ChannelBits) | static_cast<std::uint32_t>(Chosen + 1);
}

bool AudioChannelSetAttribute(std::uint32_t Handle, TAudioAttribute Attribute, float Value) {
  const std::lock_guard Hold(Device.Lock);
  if (!Device.Initialised)
    return Fail(aeNotInitialised);
  const int Channel = ChannelOf(Handle);
  if (Channel < 0)
    return Fail(aeBadHandle);
  if (std::isnan(Value))
    return Fail(aeBadValue);
  const std::lock_guard Mixing(Device.MixLock);
  TMixVoice& Voice = Device.Voices[Channel];
  if (Attribute == TAudioAttribute::Volume) {
    Voice.Volume = std::clamp(Value, 0.0f, 1.0f);
    return Succeed();
  }
  const TAudioGains Gains = AudioPanGains(Value);
  Voice.Left = Gains.Left;
  Voice.Right = Gains.Right;
  return Succeed();
}

bool AudioChannelPlay(std::uint32_t Handle) {
  const std::lock_guard Hold(Device.Lock);
  if (!Device.Initialised)
    return Fail(aeNotInitialised);
  const int Index = ChannelOf(Handle);
  if (Index < 0)
    return Fail(aeBadHandle);
  TChannel& Channel = Device.Channels[Index];
  if (!Awake()) {
    // The sound server's output, asked for as the playback was handed out,
    // may have failed to open since: the playback is silent, and its
    // channel idle again, so that the output can rest.
    Channel.Reserved = false;
    return Fail(aeNoDevice);
  }
  {
    const std::lock_guard Mixing(Device.MixLock);
    TMixVoice& Voice = Device.Voices[Index];
    // Starting a playback that runs already changes nothing, like pressing play twice.
    if (!Channel.Reserved && Voice.Playing)
      return Succeed();
    Voice.Sample = Channel.Sound;
    Voice.Position = 0;
    Voice.Playing = true;
  }
  if (Device.Kind == TOutputKind::SoundServer)
    Device.ServerOutput.SoundStarted();
  Channel.Reserved = false;
  Channel.Started = ++Device.StartCounter;
  return Succeed();
}

bool AudioFree() {
  SDL_TimerID RestTimer = 0;
  bool SdlAudio = false;
  {
    const std::lock_guard Hold(Device.Lock);
    if (!Device.Initialised)
      return Fail(aeNotInitialised);
    if (OutputOpen())
      CloseOutput();
    {
      const std::lock_guard Mixing(Device.MixLock);
      Device.Voices.clear();
    }
    // A stream still opening or closing is ended by its thread without the
    // server's word, so this is short; a thread that is not is left to end
    // on its own, with nothing of the game's left to reach.
    Device.ServerOutput.Finish(SoundThreadEndLimit);
    Device.Channels.clear();
    Device.Samples.clear();
    RestTimer = std::exchange(Device.RestTimer, 0);
    SdlAudio = Device.Kind == TOutputKind::Sdl;
    Device.Initialised = false;
    Succeed();
  }
  // Outside the lock: the timer thread may be waiting for it, and ending the
  // timers waits for that thread.
  SDL_RemoveTimer(RestTimer);
  SDL_QuitSubSystem(SdlAudio ? SDL_INIT_AUDIO | SDL_INIT_TIMER : SDL_INIT_TIMER);
  return true;
}

TAudioGains AudioPanGains(float Pan) {
  const float P = std::clamp(Pan, -1.0f, 1.0f);
  return {std::min(1.0f, 1.0f - P), std::min(1.0f, 1.0f + P)};
}
