#include "replay/recording.h"

#include "platform/files.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {
constexpr char Magic[] = "CLANKORA REPLAY\n";
constexpr std::size_t MagicSize = sizeof(Magic) - 1;
constexpr std::uint64_t MaxVersionSize = 64;
// The header: the rules and program versions, two settings, a seed and the sound switch.
constexpr std::uint64_t MaxHeaderBytes = 5 + 1 + MaxVersionSize + 5 + 5 + 10 + 1;
// Each event's tag holds its kind in its low bits: room for more kinds from format 3 on.
constexpr unsigned KindBits = 4;
constexpr unsigned Format2KindBits = 3;
// The one program that wrote format 2, and the rules it played by.
constexpr char Format2GameVersion[] = "1.0";
constexpr std::uint32_t Format2RulesVersion = 1;
constexpr std::int32_t MinLevel = 1, MaxLevel = 10;
constexpr std::int32_t MinGenerator = 0, MaxGenerator = 2;

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
  TCursor(const std::uint8_t* aData, std::size_t aSize, const std::string& aPath, const char* aShortWhat,
          std::size_t aPos = 0)
      : Data(aData), Size(aSize), Pos(aPos), Path(aPath), ShortWhat(aShortWhat) {}

  bool AtEnd() const { return Pos == Size; }
  std::size_t Offset() const { return Pos; }
  std::size_t Left() const { return Size - Pos; }
  const std::uint8_t* Here() const { return Data + Pos; }
  void Skip(std::size_t Count) { Pos += std::min(Count, Left()); }

  // A number, or false where the file ends inside it.
  bool TryVarint(std::uint64_t& V) {
    V = 0;
    for (unsigned Shift = 0;; Shift += 7) {
      if (Pos == Size)
        return false;
      const std::uint8_t B = Data[Pos++];
      if (Shift == 63 && B > 1)
        Fail("it is damaged");
      V |= static_cast<std::uint64_t>(B & 0x7F) << Shift;
      if ((B & 0x80) == 0)
        return true;
    }
  }

  std::uint64_t Varint() {
    std::uint64_t V = 0;
    if (!TryVarint(V))
      Fail(ShortWhat);
    return V;
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
  std::size_t Pos;
  const std::string& Path;
  const char* ShortWhat;
};

enum class TInflated { Whole, CutShort, Damaged };

// Unpacks Size bytes that must hold exactly Expected bytes packed. The output
// grows only as the data fills it, so a file cannot claim memory it does not use.
TInflated Inflate(const std::uint8_t* Data, std::size_t Size, std::uint64_t Expected, std::vector<std::uint8_t>& Out) {
  Out.clear();
  z_stream Z{};
  if (inflateInit(&Z) != Z_OK)
    return TInflated::Damaged;
  Z.next_in = const_cast<Bytef*>(Data);
  Z.avail_in = static_cast<uInt>(Size);
  std::size_t Produced = 0;
  TInflated Result = TInflated::Damaged;
  for (;;) {
    if (Produced == Out.size()) {
      if (Out.size() > Expected)
        break; // more than the file says it holds
      Out.resize(std::min<std::uint64_t>(Expected + 1, std::max<std::size_t>(Out.size() * 2, 1u << 16)));
    }
    Z.next_out = Out.data() + Produced;
    Z.avail_out = static_cast<uInt>(Out.size() - Produced);
    const int Status = inflate(&Z, Z_NO_FLUSH);
    Produced = Out.size() - Z.avail_out;
    if (Status == Z_STREAM_END) {
      if (Z.avail_in == 0 && Produced == Expected)
        Result = TInflated::Whole;
      break;
    }
    if (Status == Z_BUF_ERROR && Z.avail_out != 0) {
      Result = TInflated::CutShort; // the data ends before the packed stream does
      break;
    }
    if (Status != Z_OK && Status != Z_BUF_ERROR)
      break;
  }
  inflateEnd(&Z);
  Out.resize(Produced);
  return Result;
}

std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& Raw) {
  uLongf Packed = compressBound(static_cast<uLong>(Raw.size()));
  std::vector<std::uint8_t> Out(Packed);
  if (compress2(Out.data(), &Packed, Raw.data(), static_cast<uLong>(Raw.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw EReplayError("The recording could not be compressed.");
  Out.resize(Packed);
  return Out;
}

// A block: the size of its events, the size packed, then the packed bytes.
void PutBlock(std::vector<std::uint8_t>& Out, const std::vector<std::uint8_t>& Raw) {
  const std::vector<std::uint8_t> Packed = Deflate(Raw);
  PutVarint(Out, Raw.size());
  PutVarint(Out, Packed.size());
  Out.insert(Out.end(), Packed.begin(), Packed.end());
}

void CheckRange(const TCursor& Where, const char* What, std::int32_t Value, std::int32_t Min, std::int32_t Max) {
  if (Value < Min || Value > Max)
    Where.Fail("it holds " + std::string(What) + " " + std::to_string(Value) + ", which the game never has (" +
               std::to_string(Min) + " to " + std::to_string(Max) + ")");
}

void CheckSetting(const TCursor& Where, const TReplayEvent& E) {
  const auto Value = static_cast<std::int32_t>(static_cast<std::uint32_t>(E.Value));
  switch (E.Kind) {
  case TEventKind::StartLevel:
  case TEventKind::NewGame: CheckRange(Where, "the start level", Value, MinLevel, MaxLevel); break;
  case TEventKind::Generator: CheckRange(Where, "the trash generator", Value, MinGenerator, MaxGenerator); break;
  case TEventKind::Sound: CheckRange(Where, "the sound switch", Value, 0, 1); break;
  default: break;
  }
}

// The settings a game starts with, after the versions.
void ReadStartSettings(TCursor& In, TReplayHeader& H) {
  H.StartLevel = UnZigZag(In.Varint());
  CheckRange(In, "the start level", H.StartLevel, MinLevel, MaxLevel);
  H.Generator = UnZigZag(In.Varint());
  CheckRange(In, "the trash generator", H.Generator, MinGenerator, MaxGenerator);
  H.Seed = In.Varint();
  const std::uint64_t SoundOn = In.Varint();
  if (SoundOn > 1)
    In.Fail("it is damaged");
  H.SoundOn = SoundOn == 1;
}

// The next event, as the writer encoded it; Reading is the clock the readings so far have brought.
TReplayEvent ReadEvent(TCursor& In, unsigned Bits, std::uint32_t& Reading) {
  const std::uint64_t Tag = In.Varint();
  const auto Kind = static_cast<TEventKind>(Tag & ((1u << Bits) - 1));
  const std::uint64_t Payload = Tag >> Bits;
  if (Kind > LastEventKind || Payload > 0xFFFFFFFFu || (Kind == TEventKind::Seed && Payload != 0) ||
      (Kind == TEventKind::End && Payload != 0))
    In.Fail("it is damaged");
  TReplayEvent E{Kind, Payload};
  if (Kind == TEventKind::Reading) {
    Reading += static_cast<std::uint32_t>(Payload);
    E.Value = Reading;
  } else if (Kind == TEventKind::Seed) {
    E.Value = In.Varint();
  } else if (IsSetting(Kind)) {
    E.Value = static_cast<std::uint32_t>(UnZigZag(Payload));
  }
  return E;
}

// Counts a recording's entries against the time of play its readings span.
class TDensity {
public:
  void Add(const TReplayEvent& E) {
    if (E.Kind == TEventKind::End)
      return;
    if (E.Kind != TEventKind::Reading) {
      ++Inputs;
      return;
    }
    ++Readings;
    const auto Reading = static_cast<std::uint32_t>(E.Value);
    // The clock goes on round its wrap; a reading a little behind the latest
    // (a pass's moment, read after a key read the present) adds no time.
    const auto Ahead = static_cast<std::int32_t>(Reading - Latest);
    if (Readings == 1 || Ahead > 0) {
      PlayedMs += Readings == 1 ? 0 : static_cast<std::uint64_t>(Ahead);
      Latest = Reading;
    }
  }

  void Check(const TCursor& Where, std::uint32_t Rules) const {
    // Whole seconds, the first one counted whole, as a number of milliseconds.
    const std::uint64_t Ms = PlayedMs + 1000;
    const std::string Seconds = std::to_string(PlayedMs / 1000);
    if (Readings * 1000 > Ms * MostReadingsPerSecond(Rules))
      Where.Fail("it holds more clock readings than its " + Seconds + " seconds of play could");
    if (Inputs * 1000 > Ms * MostInputsPerSecond)
      Where.Fail("it holds more keys, settings and seeds than its " + Seconds + " seconds of play could");
  }

private:
  std::uint64_t Readings = 0;
  std::uint64_t Inputs = 0;
  std::uint64_t PlayedMs = 0;
  std::uint32_t Latest = 0;
};

// Reads the events of a recording block by block, checking each, and keeps
// only their count and density.
class TEventCheck {
public:
  explicit TEventCheck(unsigned aBits) : Bits(aBits) {}

  // Every event in In; End may come only last, and only where EndMayCome.
  void Block(TCursor& In, bool EndMayCome) {
    while (!In.AtEnd()) {
      const TReplayEvent E = ReadEvent(In, Bits, Reading);
      ++Count;
      Ended = E.Kind == TEventKind::End;
      if (Ended && (!In.AtEnd() || !EndMayCome))
        In.Fail("it is damaged");
      CheckSetting(In, E);
      Density.Add(E);
    }
  }

  unsigned Bits;
  std::uint32_t Reading = 0;
  std::uint64_t Count = 0;
  bool Ended = false;
  TDensity Density;
};

[[noreturn]] void FailTooLarge(const TCursor& Where) {
  Where.Fail("it is larger than any recording this game writes");
}

// Format 2: the program version, then the header and every event packed in one.
TRecording DecodeFormat2(TCursor& File, const std::string& Path) {
  const std::uint64_t VersionSize = File.Varint();
  if (VersionSize > MaxVersionSize)
    File.Fail("it is damaged");
  TRecording R;
  R.Header.GameVersion = File.Text(VersionSize);
  if (R.Header.GameVersion != Format2GameVersion)
    File.Fail("it was recorded by game version " + PrintableText(R.Header.GameVersion) +
              ", whose rules this game does not know");
  R.Header.RulesVersion = Format2RulesVersion;
  const std::uint64_t BodySize = File.Varint();
  if (BodySize > MaxRecordedEventBytes + MaxHeaderBytes)
    FailTooLarge(File);
  std::vector<std::uint8_t> Raw;
  switch (Inflate(File.Here(), File.Left(), BodySize, Raw)) {
  case TInflated::Whole: break;
  case TInflated::CutShort: File.Fail("it is cut short");
  case TInflated::Damaged: File.Fail("it is damaged");
  }
  const char* RunsOut = "its data runs out before the game ends";
  TCursor Body(Raw.data(), Raw.size(), Path, RunsOut);
  ReadStartSettings(Body, R.Header);
  const std::size_t EventsStart = Body.Offset();
  TEventCheck Events(Format2KindBits);
  Events.Block(Body, true);
  if (!Events.Ended)
    Body.Fail(RunsOut);
  Events.Density.Check(Body, R.Header.RulesVersion);
  // Kept unpacked: the one block of this format is the whole game.
  R.Events.Blocks.push_back({EventsStart, 0, Raw.size() - EventsStart});
  R.Events.Bytes = std::move(Raw);
  R.Events.KindBits = Format2KindBits;
  R.Events.Count = Events.Count;
  return R;
}

// The whole blocks of a format 3 file, found by their sizes alone, so that a
// file larger than any recording is refused before anything is unpacked.
std::vector<TPackedEvents::TBlock> FindBlocks(TCursor& File, bool& EndsEarly, bool HeaderFirst = true) {
  std::vector<TPackedEvents::TBlock> Blocks;
  std::uint64_t Total = 0;
  while (!File.AtEnd()) {
    std::uint64_t Size = 0, PackedSize = 0;
    if (!File.TryVarint(Size) || !File.TryVarint(PackedSize) || PackedSize > File.Left()) {
      EndsEarly = true;
      break;
    }
    const std::uint64_t Largest = Blocks.empty() && HeaderFirst ? MaxHeaderBytes : MaxBlockEventBytes;
    if (Size == 0 || Size > Largest || PackedSize == 0 || PackedSize > compressBound(static_cast<uLong>(Size)))
      File.Fail("it is damaged");
    Total += Size;
    if (Total > MaxRecordedEventBytes + MaxHeaderBytes || Blocks.size() == MaxRecordingBlocks)
      FailTooLarge(File);
    Blocks.push_back({File.Offset(), static_cast<std::size_t>(PackedSize), static_cast<std::size_t>(Size)});
    File.Skip(static_cast<std::size_t>(PackedSize));
  }
  return Blocks;
}

// A block's events as they were before packing, in Raw; false when the block is damaged.
bool Unpack(const std::uint8_t* File, const TPackedEvents::TBlock& Block, std::vector<std::uint8_t>& Raw) {
  if (Block.PackedSize == 0) {
    Raw.assign(File + Block.Offset, File + Block.Offset + Block.Size);
    return true;
  }
  return Inflate(File + Block.Offset, Block.PackedSize, Block.Size, Raw) == TInflated::Whole;
}

void ReadHeaderBlock(const std::uint8_t* File, const TPackedEvents::TBlock& Block, const std::string& Path,
                     TReplayHeader& H) {
  std::vector<std::uint8_t> Raw;
  const bool Whole = Unpack(File, Block, Raw);
  TCursor In(Raw.data(), Raw.size(), Path, "it is damaged");
  if (!Whole)
    In.Fail("it is damaged");
  const std::uint64_t Rules = In.Varint();
  const std::uint64_t VersionSize = In.Varint();
  if (VersionSize > MaxVersionSize)
    In.Fail("it is damaged");
  H.GameVersion = In.Text(VersionSize);
  if (Rules < OldestRulesVersion || Rules > RulesVersion)
    In.Fail("it was recorded by game version " + PrintableText(H.GameVersion) + " under rules version " +
            std::to_string(Rules) + ", this game plays by rules version " + std::to_string(RulesVersion));
  H.RulesVersion = static_cast<std::uint32_t>(Rules);
  ReadStartSettings(In, H);
  if (!In.AtEnd())
    In.Fail("it is damaged");
}

// Format 3: the header in a block of its own, then blocks of events, End in
// the last. Each block is unpacked and checked here, then let go: the
// recording keeps the file.
TRecording DecodeFormat3(TCursor& File, std::vector<std::uint8_t>& Bytes, const std::string& Path) {
  TRecording R;
  std::vector<TPackedEvents::TBlock> Blocks = FindBlocks(File, R.EndsEarly);
  if (Blocks.empty())
    File.Fail("it is cut short");
  ReadHeaderBlock(Bytes.data(), Blocks.front(), Path, R.Header);
  Blocks.erase(Blocks.begin());
  TEventCheck Events(KindBits);
  std::vector<std::uint8_t> Raw;
  for (std::size_t I = 0; I < Blocks.size(); ++I) {
    if (!Unpack(Bytes.data(), Blocks[I], Raw))
      File.Fail("it is damaged");
    TCursor In(Raw.data(), Raw.size(), Path, "it is damaged");
    Events.Block(In, I + 1 == Blocks.size() && !R.EndsEarly);
  }
  Events.Density.Check(File, R.Header.RulesVersion);
  if (!Events.Ended)
    R.EndsEarly = true;
  R.Events.Bytes = std::move(Bytes);
  R.Events.Blocks = std::move(Blocks);
  R.Events.Count = Events.Count;
  return R;
}
} // namespace

const std::string& GameVersion() {
  static const std::string Version = CLANKORA_VERSION;
  return Version;
}

std::string PrintableText(const std::string& Text) {
  std::string Out;
  for (const char C : Text) {
    const auto Code = static_cast<unsigned char>(C);
    if (Code >= 0x20 && Code < 0x7F && Code != '\\') {
      Out += C;
      continue;
    }
    char Escaped[8];
    std::snprintf(Escaped, sizeof Escaped, "\\x%02X", Code);
    Out += Escaped;
  }
  return Out;
}

std::string ReplayFault(const std::string& Path, const std::string& What) {
  return "Cannot replay \"" + Path + "\": " + What + ".";
}

std::uint32_t MostReadingsPerSecond(std::uint32_t Rules) {
  // The first rules ran a pass in every millisecond, reading the clock three times in each.
  return RulesSkipQuietMs(Rules) ? 5000 : 10000;
}

TRecording::TRecording(TReplayHeader aHeader, const std::vector<TReplayEvent>& Given) : Header(std::move(aHeader)) {
  TReplayWriter Writer;
  for (const TReplayEvent& E : Given)
    Writer.Add(E);
  Events.Bytes = Writer.TakeBlocks();
  const std::string Name = "memory";
  TCursor Packed(Events.Bytes.data(), Events.Bytes.size(), Name, "");
  bool Cut = false;
  Events.Blocks = FindBlocks(Packed, Cut, false);
  Events.Count = Given.size();
}

std::vector<TReplayEvent> TRecording::AllEvents() const {
  std::vector<TReplayEvent> All;
  All.reserve(static_cast<std::size_t>(Events.Count));
  TEventStream Stream(Events, "");
  while (!Stream.AtEnd())
    All.push_back(Stream.Next());
  return All;
}

TEventStream::TEventStream(const TPackedEvents& aEvents, std::string aPath)
    : Events(aEvents), Path(std::move(aPath)) {}

TReplayEvent TEventStream::Next() {
  if (AtEnd())
    return {TEventKind::End, 0};
  while (Pos == Size) {
    const TPackedEvents::TBlock& B = Events.Blocks.at(Block++);
    Pos = 0;
    if (B.PackedSize == 0) {
      Data = Events.Bytes.data() + B.Offset;
      Size = B.Size;
      continue;
    }
    // Every block was checked as the recording was read: this one unpacks as it did then.
    if (!Unpack(Events.Bytes.data(), B, Unpacked))
      throw EReplayError(ReplayFault(Path, "it is damaged"));
    Data = Unpacked.data();
    Size = Unpacked.size();
  }
  TCursor In(Data, Size, Path, "it is damaged", Pos);
  const TReplayEvent E = ReadEvent(In, Events.KindBits, Reading);
  Pos = In.Offset();
  ++Given;
  return E;
}

std::vector<std::uint8_t> TReplayWriter::Opening(const TReplayHeader& Header) {
  std::vector<std::uint8_t> Out(Magic, Magic + MagicSize);
  PutVarint(Out, ReplayFormatVersion);
  std::vector<std::uint8_t> Raw;
  PutVarint(Raw, Header.RulesVersion);
  const std::string Version = Header.GameVersion.substr(0, MaxVersionSize);
  PutVarint(Raw, Version.size());
  Raw.insert(Raw.end(), Version.begin(), Version.end());
  PutVarint(Raw, ZigZag(Header.StartLevel));
  PutVarint(Raw, ZigZag(Header.Generator));
  PutVarint(Raw, Header.Seed);
  PutVarint(Raw, Header.SoundOn ? 1 : 0);
  PutBlock(Out, Raw);
  return Out;
}

void TReplayWriter::Add(const TReplayEvent& Event) {
  // The longest event: a tag and a seed.
  constexpr std::size_t LongestEvent = 1 + 10;
  if (Pending.size() + LongestEvent > MaxBlockEventBytes)
    Pack();
  const auto Kind = static_cast<std::uint64_t>(Event.Kind);
  switch (Event.Kind) {
  case TEventKind::Reading: {
    // Most readings differ from the last by a few milliseconds: one byte each.
    const auto Reading = static_cast<std::uint32_t>(Event.Value);
    const std::uint32_t Delta = Reading - PreviousReading;
    PreviousReading = Reading;
    PutVarint(Pending, static_cast<std::uint64_t>(Delta) << KindBits | Kind);
    break;
  }
  case TEventKind::Seed:
    PutVarint(Pending, Kind);
    PutVarint(Pending, Event.Value);
    break;
  case TEventKind::Key:
    PutVarint(Pending, (Event.Value & 0xFFFFFFFFu) << KindBits | Kind);
    break;
  case TEventKind::StartLevel:
  case TEventKind::Generator:
  case TEventKind::NewGame:
  case TEventKind::Sound:
    PutVarint(Pending, ZigZag(static_cast<std::int32_t>(static_cast<std::uint32_t>(Event.Value))) << KindBits | Kind);
    break;
  case TEventKind::End:
    PutVarint(Pending, Kind);
    break;
  }
}

void TReplayWriter::Pack() {
  if (Pending.empty())
    return;
  PutBlock(Ready, Pending);
  Packed += Pending.size();
  ++Blocks;
  Pending.clear();
}

std::vector<std::uint8_t> TReplayWriter::TakeBlocks() {
  Pack();
  std::vector<std::uint8_t> Out;
  Out.swap(Ready);
  return Out;
}

std::vector<std::uint8_t> TReplayWriter::Finish(const TReplayHeader& Header) {
  Add({TEventKind::End, 0});
  std::vector<std::uint8_t> Out = Opening(Header);
  const std::vector<std::uint8_t> Events = TakeBlocks();
  Out.insert(Out.end(), Events.begin(), Events.end());
  return Out;
}

TRecording DecodeRecording(std::vector<std::uint8_t> Bytes, const std::string& Path) {
  TCursor File(Bytes.data(), Bytes.size(), Path, "it is cut short");
  const std::size_t Compared = std::min(Bytes.size(), MagicSize);
  if (Bytes.empty() || std::memcmp(Bytes.data(), Magic, Compared) != 0)
    File.Fail("it is not a recording");
  if (Bytes.size() < MagicSize)
    File.Fail("it is cut short");
  File.Skip(MagicSize);

  const std::uint64_t Format = File.Varint();
  if (Format == 2)
    return DecodeFormat2(File, Path);
  if (Format == ReplayFormatVersion)
    return DecodeFormat3(File, Bytes, Path);
  File.Fail("its format version " + std::to_string(Format) + " is unknown (this game reads versions 2 and " +
            std::to_string(ReplayFormatVersion) + ")");
}

TRecording ReadRecording(const std::string& Path) {
  // No recording is larger than its largest events packed, in blocks, after a short header.
  const std::uintmax_t MaxFileBytes =
      compressBound(static_cast<uLong>(MaxRecordedEventBytes + MaxHeaderBytes)) + MaxRecordingBlocks * 32 + 256;
  std::vector<std::uint8_t> Bytes;
  switch (ReadRegularFile(Path, MaxFileBytes, Bytes).Kind) {
  case TFileRead::Ok: return DecodeRecording(std::move(Bytes), Path);
  case TFileRead::NotRegular: throw EReplayError(ReplayFault(Path, "it is not a recording"));
  case TFileRead::TooLarge: throw EReplayError(ReplayFault(Path, "it is too large for a recording"));
  case TFileRead::Missing:
  case TFileRead::Folder:
  case TFileRead::Unreadable: break;
  }
  throw EReplayError(ReplayFault(Path, "it cannot be opened"));
}
