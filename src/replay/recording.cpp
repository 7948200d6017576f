#include "replay/recording.h"

#include "platform/files.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr char Magic[] = "CLANKORA REPLAY\n";
constexpr std::size_t MagicSize = sizeof(Magic) - 1;
// Far beyond a day of play; a larger size is damage, not a game.
constexpr std::uint64_t MaxBodySize = 256u << 20;
constexpr std::uint64_t MaxVersionSize = 64;
constexpr unsigned KindBits = 3;

void PutVarint(std::vector<std::uint8_t>& Out, std::uint64_t V) {
  while (V >= 0x80) {
    Out.push_back(static_cast<std::uint8_t>(V | 0x80));
    V >>= 7;
  }
  Out.push_back(static_cast<std::uint8_t>(V));
}

// Small negative settings stay one byte long.
std::uint64_t ZigZag(std::int32_t V) {
  const auto U = static_cast<std::uint32_t>(V);
  return static_cast<std::uint32_t>(U << 1) ^ static_cast<std::uint32_t>(-static_cast<std::int32_t>(U >> 31));
}
std::int32_t UnZigZag(std::uint64_t V) {
  const auto U = static_cast<std::uint32_t>(V);
  return static_cast<std::int32_t>((U >> 1) ^ (0u - (U & 1u)));
}


// Reads the file's parts in order; every fault throws with the file's name.
class TCursor {
public:
  TCursor(const std::uint8_t* aData, std::size_t aSize, const std::string& aPath, const char* aShortWhat)
      : Data(aData), Size(aSize), Path(aPath), ShortWhat(aShortWhat) {}

  bool AtEnd() const { return Pos == Size; }
  std::size_t Offset() const { return Pos; }

  std::uint64_t Varint() {
    std::uint64_t V = 0;
    for (unsigned Shift = 0;; Shift += 7) {
      if (Pos == Size)
        Fail(ShortWhat);
      const std::uint8_t B = Data[Pos++];
      if (Shift == 63 && B > 1)
        Fail("it is damaged");
      V |= static_cast<std::uint64_t>(B & 0x7F) << Shift;
      if ((B & 0x80) == 0)
        return V;
    }
  }

  std::string Text(std::uint64_t Length) {
    if (Length > Size - Pos)
      Fail(ShortWhat);
    std::string S(reinterpret_cast<const char*>(Data + Pos), Length);
    Pos += Length;
    return S;
  }

  [[noreturn]] void Fail(const std::string& What) const { throw EReplayError(ReplayFault(Path, What)); }

private:
  const std::uint8_t* Data;
  std::size_t Size;
  std::size_t Pos = 0;
  const std::string& Path;
  const char* ShortWhat;
};

std::vector<std::uint8_t> Inflate(const std::uint8_t* Data, std::size_t Size, std::uint64_t Expected,
                                  const TCursor& Where) {
  std::vector<std::uint8_t> Out(Expected);
  z_stream Z{};
  if (inflateInit(&Z) != Z_OK)
    Where.Fail("there is not enough memory to read it");
  Z.next_in = const_cast<Bytef*>(Data);
  Z.avail_in = static_cast<uInt>(Size);
  // One spare byte tells a body longer than the header says.
  std::uint8_t Spare = 0;
  Z.next_out = Out.empty() ? &Spare : Out.data();
  Z.avail_out = static_cast<uInt>(Expected);
  int Status = inflate(&Z, Z_FINISH);
  if (Status == Z_BUF_ERROR && Z.avail_out == 0) {
    Z.next_out = &Spare;
    Z.avail_out = 1;
    Status = inflate(&Z, Z_FINISH);
    if (Z.avail_out == 0)
      Status = Z_DATA_ERROR;
  }
  const bool CutShort = Status == Z_BUF_ERROR && Z.avail_in == 0;
  const bool Trailing = Status == Z_STREAM_END && Z.avail_in != 0;
  const std::uint64_t Produced = Z.total_out;
  inflateEnd(&Z);
  if (CutShort)
    Where.Fail("it is cut short");
  if (Status != Z_STREAM_END || Trailing || Produced != Expected)
    Where.Fail("it is damaged");
  return Out;
}
} // namespace

const std::string& GameVersion() {
  static const std::string Version = CLANKORA_VERSION;
  return Version;
}

std::string ReplayFault(const std::string& Path, const std::string& What) {
  return "Cannot replay \"" + Path + "\": " + What + ".";
}

void TReplayWriter::Add(const TReplayEvent& Event) {
  const auto Kind = static_cast<std::uint64_t>(Event.Kind);
  switch (Event.Kind) {
  case TEventKind::Reading: {
    // Most readings differ from the last by a few milliseconds: one byte each.
    const auto Reading = static_cast<std::uint32_t>(Event.Value);
    const std::uint32_t Delta = Reading - PreviousReading;
    PreviousReading = Reading;
    PutVarint(Body, static_cast<std::uint64_t>(Delta) << KindBits | Kind);
    break;
  }
  case TEventKind::Seed:
    PutVarint(Body, Kind);
    PutVarint(Body, Event.Value);
    break;
  case TEventKind::Key:
    PutVarint(Body, (Event.Value & 0xFFFFFFFFu) << KindBits | Kind);
    break;
  case TEventKind::StartLevel:
  case TEventKind::Generator:
  case TEventKind::NewGame:
  case TEventKind::Sound:
    PutVarint(Body, ZigZag(static_cast<std::int32_t>(static_cast<std::uint32_t>(Event.Value))) << KindBits | Kind);
    break;
  case TEventKind::End:
    break; // Finish writes the one End
  }
}

std::vector<std::uint8_t> TReplayWriter::Finish(const TReplayHeader& Header) const {
  std::vector<std::uint8_t> Raw;
  PutVarint(Raw, ZigZag(Header.StartLevel));
  PutVarint(Raw, ZigZag(Header.Generator));
  PutVarint(Raw, Header.Seed);
  PutVarint(Raw, Header.SoundOn ? 1 : 0);
  Raw.insert(Raw.end(), Body.begin(), Body.end());
  PutVarint(Raw, static_cast<std::uint64_t>(TEventKind::End));

  std::vector<std::uint8_t> Out(Magic, Magic + MagicSize);
  PutVarint(Out, ReplayFormatVersion);
  PutVarint(Out, Header.GameVersion.size());
  Out.insert(Out.end(), Header.GameVersion.begin(), Header.GameVersion.end());
  PutVarint(Out, Raw.size());
  uLongf Packed = compressBound(static_cast<uLong>(Raw.size()));
  const std::size_t At = Out.size();
  Out.resize(At + Packed);
  if (compress2(Out.data() + At, &Packed, Raw.data(), static_cast<uLong>(Raw.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw EReplayError("The recording could not be compressed.");
  Out.resize(At + Packed);
  return Out;
}

void TReplayWriter::Save(const std::string& Path, const TReplayHeader& Header) const {
  const std::vector<std::uint8_t> Bytes = Finish(Header);
  // A recording that cannot be written whole leaves the file as it was.
  if (!ReplaceFileContents(Path, std::string(Bytes.begin(), Bytes.end())))
    throw EReplayError("Cannot write the recording \"" + Path + "\".");
}

TRecording DecodeRecording(const std::vector<std::uint8_t>& Bytes, const std::string& Path,
                           const std::string& ExpectedGameVersion) {
  TCursor File(Bytes.data(), Bytes.size(), Path, "it is cut short");
  const std::size_t Compared = std::min(Bytes.size(), MagicSize);
  if (Bytes.empty() || std::memcmp(Bytes.data(), Magic, Compared) != 0)
    File.Fail("it is not a recording");
  if (Bytes.size() < MagicSize)
    File.Fail("it is cut short");
  File.Text(MagicSize);

  const std::uint64_t Format = File.Varint();
  if (Format != ReplayFormatVersion)
    File.Fail("its format version " + std::to_string(Format) + " is unknown (this game reads version " +
              std::to_string(ReplayFormatVersion) + ")");
  const std::uint64_t VersionSize = File.Varint();
  if (VersionSize > MaxVersionSize)
    File.Fail("it is damaged");
  TRecording R;
  R.Header.GameVersion = File.Text(VersionSize);
  if (R.Header.GameVersion != ExpectedGameVersion)
    File.Fail("it was recorded by game version " + R.Header.GameVersion + ", this is version " +
              ExpectedGameVersion);
  const std::uint64_t BodySize = File.Varint();
  if (BodySize > MaxBodySize)
    File.Fail("it is damaged");
  const std::vector<std::uint8_t> Raw =
      Inflate(Bytes.data() + File.Offset(), Bytes.size() - File.Offset(), BodySize, File);

  TCursor Body(Raw.data(), Raw.size(), Path, "its data runs out before the game ends");
  R.Header.StartLevel = UnZigZag(Body.Varint());
  R.Header.Generator = UnZigZag(Body.Varint());
  R.Header.Seed = Body.Varint();
  const std::uint64_t SoundOn = Body.Varint();
  if (SoundOn > 1)
    Body.Fail("it is damaged");
  R.Header.SoundOn = SoundOn == 1;
  std::uint32_t Reading = 0;
  for (;;) {
    const std::uint64_t Tag = Body.Varint();
    const auto Kind = static_cast<TEventKind>(Tag & ((1u << KindBits) - 1));
    const std::uint64_t Payload = Tag >> KindBits;
    if (Payload > 0xFFFFFFFFu || (Kind == TEventKind::Seed && Payload != 0))
      Body.Fail("it is damaged");
    TReplayEvent E{Kind, Payload};
    if (Kind == TEventKind::Reading) {
      Reading += static_cast<std::uint32_t>(Payload);
      E.Value = Reading;
    } else if (Kind == TEventKind::Seed) {
      E.Value = Body.Varint();
    } else if (IsSetting(Kind)) {
      E.Value = static_cast<std::uint32_t>(UnZigZag(Payload));
    } else if (Kind == TEventKind::End && Payload != 0) {
      Body.Fail("it is damaged");
    }
    R.Events.push_back(E);
    if (Kind == TEventKind::End)
      break;
  }
  if (!Body.AtEnd())
    Body.Fail("it is damaged");
  return R;
}

TRecording ReadRecording(const std::string& Path) {
  // No recording is larger than its largest body packed, after a short header.
  const std::uintmax_t MaxFileBytes = compressBound(static_cast<uLong>(MaxBodySize)) + 256;
  std::vector<std::uint8_t> Bytes;
  switch (ReadRegularFile(Path, MaxFileBytes, Bytes).Kind) {
  case TFileRead::Ok: return DecodeRecording(Bytes, Path);
  case TFileRead::NotRegular: throw EReplayError(ReplayFault(Path, "it is not a recording"));
  case TFileRead::TooLarge: throw EReplayError(ReplayFault(Path, "it is too large for a recording"));
  case TFileRead::Missing:
  case TFileRead::Folder:
  case TFileRead::Unreadable: break;
  }
  throw EReplayError(ReplayFault(Path, "it cannot be opened"));
}
