#include "platform/audio.h"
#include "platform/files.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace {
// 16-bit stereo, mixed in blocks of 1024 frames, about 23 ms at 44.1 kHz.
constexpr int OutputChannels = 2;
constexpr int MixBlockFrames = 1024;
// How far ahead of the speaker the output is written. SDL asks PulseAudio
// (or PipeWire in its place) for a buffer of one block, and the server then
// wakes itself and our mixing thread every quarter of that buffer. 40 ms is
// still soon enough for a sound effect to follow its event, and spares our
// mixing thread about a third of its wakeups and the server some; only a
// buffer of 60 ms or more would bring the server well below 300 a second.
// A player's own PULSE_LATENCY_MSEC wins over ours.
constexpr const char* PulseLatencyMs = "40";
// Silent for this long, the output is closed, so that the sound server and
// the machine can sleep while the game is quiet (paused, a menu, a still
// yard); the next playback opens it again. Checked this often while open.
constexpr std::uint32_t RestAfterMs = 1000;
constexpr std::uint32_t RestCheckMs = 250;
constexpr std::uint32_t MaxFrequency = 384000;
constexpr std::uint32_t MaxPlaybacksPerSample = 64;

// A playback handle is the mixer channel's number plus one in the low bits and
// the channel's take-over count above them, so a handle of a playback that
// was taken over no longer fits.
constexpr std::uint32_t ChannelBits = 12;
constexpr std::uint32_t ChannelMask = (1u << ChannelBits) - 1;
constexpr std::size_t MaxChannels = ChannelMask; // handles 1 .. ChannelMask
constexpr std::uint32_t GenerationMask = (1u << (32 - ChannelBits)) - 1;

struct TSample {
  std::uint32_t Handle;
  Mix_Chunk* Chunk;
};

struct TChannel {
  Mix_Chunk* Chunk = nullptr;  // the sample this channel plays
  std::uint32_t Generation = 0;
  std::uint64_t Started = 0;   // start order of its latest playback; 0 = never started
  bool Reserved = false;       // handed out, not started yet
};

struct TDevice {
  // The calls come from the game's thread, the rest check from SDL's timer thread.
  std::mutex Lock;
  bool Initialised = false;
  bool Open = false;       // the output is open (not resting)
  bool CanRest = false;
  std::uint32_t Frequency = 0;
  std::uint64_t SilentSince = 0; // SDL's milliseconds
  SDL_TimerID RestTimer = 0;
  std::optional<std::uint32_t> RestOverride;
  std::int32_t LastError = aeOk;
  std::optional<std::uint32_t> VersionOverride;
  std::vector<TSample> Samples;
  std::vector<TChannel> Channels;
  std::uint32_t NextSampleHandle = 1;
  std::uint64_t StartCounter = 0;
};

constinit TDevice Device;

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

// The mixer channel of a playback handle, or -1 when the handle is not current.
int ChannelOf(std::uint32_t Handle) {
  const std::uint32_t Index = (Handle & ChannelMask);
  if (Index == 0 || Index > Device.Channels.size())
    return -1;
  const TChannel& Channel = Device.Channels[Index - 1];
  if (Channel.Generation != (Handle >> ChannelBits))
    return -1;
  return static_cast<int>(Index - 1);
}

bool IsBusy(int Channel) { return Device.Channels[Channel].Reserved || Mix_Playing(Channel) != 0; }

// The mixer also reads other formats; the game's sounds are WAV files, and
// anything else is refused as such rather than played by chance.
bool HasWavHeader(const std::vector<unsigned char>& Data) {
  return Data.size() >= 12 && std::memcmp(Data.data(), "RIFF", 4) == 0 && std::memcmp(Data.data() + 8, "WAVE", 4) == 0;
}

Uint8 ToByteLevel(float Gain) { return static_cast<Uint8>(std::lround(std::clamp(Gain, 0.0f, 1.0f) * 255.0f)); }

Uint32 RestWhenSilent(Uint32 Interval, void*);

// The disk driver writes its file anew at every opening, and nothing sleeps
// behind it: it rests only when a test asks.
bool OutputMayRest() {
  if (Device.RestOverride)
    return true;
  const char* Driver = SDL_GetCurrentAudioDriver();
  return Driver == nullptr || std::strcmp(Driver, "disk") != 0;
}

bool OpenOutput() {
  if (Mix_OpenAudioDevice(static_cast<int>(Device.Frequency), AUDIO_S16SYS, OutputChannels, MixBlockFrames, nullptr,
                          0) != 0)
    return false;
  // Channels come with the samples, a fixed number for each.
  const int Channels = static_cast<int>(Device.Channels.size());
  if (Mix_AllocateChannels(Channels) != Channels) {
    Mix_CloseAudio();
    return false;
  }
  Device.Open = true;
  Device.SilentSince = SDL_GetTicks64();
  if (Device.CanRest && Device.RestTimer == 0)
    Device.RestTimer = SDL_AddTimer(RestCheckMs, RestWhenSilent, nullptr);
  return true;
}

// Only while nothing plays and no playback is handed out: closing forgets the
// mixer's channels, which the next opening makes again.
void CloseOutput() {
  Mix_HaltChannel(-1);
  Mix_AllocateChannels(0);
  Mix_CloseAudio();
  Device.Open = false;
}

bool Sounding() {
  if (Mix_Playing(-1) > 0)
    return true;
  return std::any_of(Device.Channels.begin(), Device.Channels.end(), [](const TChannel& C) { return C.Reserved; });
}

// On SDL's timer thread.
Uint32 RestWhenSilent(Uint32 Interval, void*) {
  const std::lock_guard Hold(Device.Lock);
  if (!Device.Initialised || !Device.Open) {
    Device.RestTimer = 0;
    return 0;
  }
  const std::uint64_t Now = SDL_GetTicks64();
  if (Sounding())
    Device.SilentSince = Now;
  if (Now - Device.SilentSince < Device.RestOverride.value_or(RestAfterMs))
    return Interval;
  CloseOutput();
  Device.RestTimer = 0;
  return 0;
}

// The output for a new playback, opened again when it rests.
bool Awake() { return Device.Open || OpenOutput(); }
} // namespace

void SetAudioRestOverride(std::optional<std::uint32_t> Ms) {
  const std::lock_guard Hold(Device.Lock);
  Device.RestOverride = Ms;
}

bool AudioOutputOpen() {
  const std::lock_guard Hold(Device.Lock);
  return Device.Open;
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
  setenv("PULSE_LATENCY_MSEC", PulseLatencyMs, 0);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER) != 0)
    return Fail(aeNoDriver);
  Device.Frequency = Frequency;
  Device.CanRest = OutputMayRest();
  if (!OpenOutput()) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER);
    return Fail(aeNoDevice);
  }
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
  if (!HasWavHeader(Data) || Data.size() > static_cast<std::size_t>(INT_MAX))
    return FailHandle(aeNotWav);
  const std::size_t First = Device.Channels.size();
  if (First + MaxPlaybacks > MaxChannels)
    return FailHandle(aeNoChannel);
  // The mixer converts a sample to the output's format as it loads it.
  if (!Awake())
    return FailHandle(aeNoDevice);
  SDL_RWops* Stream = SDL_RWFromConstMem(Data.data(), static_cast<int>(Data.size()));
  if (Stream == nullptr)
    return FailHandle(aeMixerFailed);
  Mix_Chunk* Chunk = Mix_LoadWAV_RW(Stream, 1);
  if (Chunk == nullptr)
    return FailHandle(aeNotWav);
  const int Wanted = static_cast<int>(First + MaxPlaybacks);
  if (Mix_AllocateChannels(Wanted) != Wanted) {
    Mix_AllocateChannels(static_cast<int>(First));
    Mix_FreeChunk(Chunk);
    return FailHandle(aeNoChannel);
  }
  TChannel Channel;
  Channel.Chunk = Chunk;
  Device.Channels.insert(Device.Channels.end(), MaxPlaybacks, Channel);

  const std::uint32_t Handle = Device.NextSampleHandle;
  Device.NextSampleHandle = Handle == UINT32_MAX ? 1 : Handle + 1;
  Device.Samples.push_back({Handle, Chunk});
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
  // Our own start order decides, since the mixer's clock cannot tell apart
  // playbacks started in the same millisecond.
  int Chosen = -1;
  for (int C = 0; C < static_cast<int>(Device.Channels.size()); ++C) {
    if (Device.Channels[C].Chunk != Sample->Chunk)
      continue;
    if (!IsBusy(C)) {
      Chosen = C;
      break;
    }
    if (Chosen < 0 || Device.Channels[C].Started < Device.Channels[Chosen].Started)
      Chosen = C;
  }
  if (Chosen < 0)
    return FailHandle(aeNoChannel);

  // Stop what plays there first: the mixer forgets a channel's pan when its
  // playback stops, so the new playback's pan must come after this.
  Mix_HaltChannel(Chosen);
  Mix_UnregisterAllEffects(Chosen);
  Mix_Volume(Chosen, MIX_MAX_VOLUME);
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
  // A playback handed out is never rested away; one long finished has nothing to set.
  if (!Device.Open)
    return Succeed();
  if (Attribute == TAudioAttribute::Volume) {
    Mix_Volume(Channel, static_cast<int>(std::lround(std::clamp(Value, 0.0f, 1.0f) * MIX_MAX_VOLUME)));
    return Succeed();
  }
  const TAudioGains Gains = AudioPanGains(Value);
  if (Mix_SetPanning(Channel, ToByteLevel(Gains.Left), ToByteLevel(Gains.Right)) == 0)
    return Fail(aeMixerFailed);
  return Succeed();
}

bool AudioChannelPlay(std::uint32_t Handle) {
  const std::lock_guard Hold(Device.Lock);
  if (!Device.Initialised)
    return Fail(aeNotInitialised);
  const int Index = ChannelOf(Handle);
  if (Index < 0)
    return Fail(aeBadHandle);
  if (!Awake())
    return Fail(aeNoDevice);
  TChannel& Channel = Device.Channels[Index];
  // Starting a playback that runs already changes nothing, like pressing play twice.
  if (!Channel.Reserved && Mix_Playing(Index) != 0)
    return Succeed();
  if (Mix_PlayChannel(Index, Channel.Chunk, 0) < 0)
    return Fail(aeMixerFailed);
  Channel.Reserved = false;
  Channel.Started = ++Device.StartCounter;
  return Succeed();
}

bool AudioFree() {
  SDL_TimerID RestTimer = 0;
  {
    const std::lock_guard Hold(Device.Lock);
    if (!Device.Initialised)
      return Fail(aeNotInitialised);
    if (Device.Open)
      CloseOutput();
    for (const TSample& Sample : Device.Samples)
      Mix_FreeChunk(Sample.Chunk);
    Device.Samples.clear();
    Device.Channels.clear();
    RestTimer = std::exchange(Device.RestTimer, 0);
    Device.Initialised = false;
    Succeed();
  }
  // Outside the lock: the timer thread may be waiting for it, and ending the
  // timers waits for that thread.
  SDL_RemoveTimer(RestTimer);
  SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER);
  return true;
}

TAudioGains AudioPanGains(float Pan) {
  const float P = std::clamp(Pan, -1.0f, 1.0f);
  return {std::min(1.0f, 1.0f - P), std::min(1.0f, 1.0f + P)};
}
