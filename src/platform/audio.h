#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The game's audio device: one output, samples loaded whole from WAV files,
// and short playbacks of them, each with its own pan and volume. Every call
// leaves a code in AudioErrorGetCode: aeOk when it succeeded, otherwise why
// it failed. The codes below never change their meaning or value, since the
// player sees them in messages.
//
// Handles are non-zero; 0 means failure. A playback handle stays valid until
// its playback is taken over by a later AudioSampleGetChannel, or the device
// is freed.

inline constexpr std::int32_t aeOk = 0;
inline constexpr std::int32_t aeNotInitialised = 1;     // the output is not set up (yet, or any more)
inline constexpr std::int32_t aeAlreadyInitialised = 2; // the output is set up already
inline constexpr std::int32_t aeNoDriver = 3;           // no audio driver could be started on this system
inline constexpr std::int32_t aeNoDevice = 4;           // the output device could not be opened
inline constexpr std::int32_t aeBadDevice = 5;          // no such output device, or an unusable rate
inline constexpr std::int32_t aeFileNotFound = 6;       // the sound file does not exist
inline constexpr std::int32_t aeFileOpen = 7;           // the sound file exists but cannot be read
inline constexpr std::int32_t aeNotWav = 8;             // the file is not a WAV file the device can play
inline constexpr std::int32_t aeBadHandle = 9;          // unknown or outdated sample or playback handle
inline constexpr std::int32_t aeBadValue = 10;          // a parameter outside its range
inline constexpr std::int32_t aeNoChannel = 11;         // the mixer cannot take any more playbacks
inline constexpr std::int32_t aeMixerFailed = 12;       // the mixer refused the request for a reason of its own
inline constexpr std::int32_t aeFileTooLarge = 13;      // the sound file is larger than AudioMaxFileBytes

// No sound of the game comes near this; a larger file is refused unread.
inline constexpr std::int64_t AudioMaxFileBytes = 16 << 20;

// The default output device for AudioInit.
inline constexpr std::int32_t AudioDefaultDevice = -1;

// The version of this interface: 2.4 in the high 16 bits, the revision of its
// workings in the low 16 bits.
inline constexpr std::uint32_t AudioLayerVersion = 0x02040001;
std::uint32_t AudioGetVersion();

// For tests: have AudioGetVersion report Version instead; nullopt ends it.
void SetAudioVersionOverride(std::optional<std::uint32_t> Version);

// Opens the output: 16-bit stereo at Frequency samples per second on the
// default device. False on failure (aeNoDriver, aeNoDevice, aeBadDevice,
// aeAlreadyInitialised).
bool AudioInit(std::int32_t Device, std::uint32_t Frequency);

// The code of the last call's failure, aeOk after a success.
std::int32_t AudioErrorGetCode();

// Loads the whole WAV file at Path (UTF-8) into memory, with room for
// MaxPlaybacks (1 to 64) playbacks at once. Returns the sample handle, or 0.
std::uint32_t AudioSampleLoad(const std::string& Path, std::uint32_t MaxPlaybacks);

// A playback of the sample, ready to be given its pan and volume and started:
// an idle one when there is one, otherwise the one that started longest ago,
// which is cut off. A new playback is centred at full volume. Returns 0 on failure.
std::uint32_t AudioSampleGetChannel(std::uint32_t Sample);

enum class TAudioAttribute { Volume, Pan };
// Volume from 0 (silent) to 1 (as recorded); pan from -1 (left speaker only)
// through 0 (both at full level) to +1 (right speaker only). Values outside
// the range are taken as its nearer end; a value that is not a number is refused.
bool AudioChannelSetAttribute(std::uint32_t Channel, TAudioAttribute Attribute, float Value);

// Starts the playback from the beginning of its sample.
bool AudioChannelPlay(std::uint32_t Channel);

// Stops every playback, releases every sample and closes the output.
bool AudioFree();

// Whether the output is open. After about a second with nothing playing it
// rests (is closed, so that the sound server can sleep), and the next
// playback handed out opens it again before it starts. SDL's "disk" driver
// never rests.
//
// The sound server is never waited for by these calls: its output opens on
// a thread of its own, and is open here from the moment it is asked for
// until that thread has ended it. A playback started while it opens is held
// for it, and dropped when it does not open within a second. A server that
// goes away (ends, or is restarted) closes the output, and the next playback
// handed out opens it again once the server is back; until then the game is
// silent. After an opening that failed, the next one is tried no sooner than
// half a second later: in between the playbacks fail with aeNoDevice.
bool AudioOutputOpen();
// For tests: rest after Ms of silence, on every driver; nullopt ends it.
void SetAudioRestOverride(std::optional<std::uint32_t> Ms);
// For tests: the openings of the sound server's output from the next one on
// are given up after Ms instead of a second; nullopt ends it.
void SetAudioOpenLimitOverride(std::optional<std::uint32_t> Ms);

// The pan law: the level of each speaker, 0 to 1, for a pan from -1 to +1.
struct TAudioGains {
  float Left, Right;
};
TAudioGains AudioPanGains(float Pan);
