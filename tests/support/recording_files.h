#pragma once
// Recordings made by hand, byte by byte, as no recorder of this game would
// write them: old formats, foreign versions, and files made to hurt the reader.

#include "replay/recording.h"

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace recfile {
using TBytes = std::vector<std::uint8_t>;

inline void Put(TBytes& Out, std::uint64_t V) {
  for (; V >= 0x80; V >>= 7)
    Out.push_back(static_cast<std::uint8_t>(V | 0x80));
  Out.push_back(static_cast<std::uint8_t>(V));
}

inline std::uint64_t ZigZag(std::int32_t V) {
  return static_cast<std::uint32_t>(V) << 1 ^ static_cast<std::uint32_t>(V >> 31);
}

inline TBytes Packed(const TBytes& Raw) {
  uLongf Size = compressBound(static_cast<uLong>(Raw.size()));
  TBytes Out(Size);
  compress(Out.data(), &Size, Raw.data(), static_cast<uLong>(Raw.size()));
  Out.resize(Size);
  return Out;
}

inline TBytes Opening(std::uint64_t Format) {
  const std::string Magic = "CLANKORA REPLAY\n";
  TBytes Out(Magic.begin(), Magic.end());
  Put(Out, Format);
  return Out;
}

inline void PutSettings(TBytes& Raw, std::int32_t Level, std::int32_t Generator, std::uint64_t Seed,
                        std::uint64_t Sound) {
  Put(Raw, ZigZag(Level));
  Put(Raw, ZigZag(Generator));
  Put(Raw, Seed);
  Put(Raw, Sound);
}

// The header block's contents in format 3.
inline TBytes HeaderRaw(std::uint64_t Rules, const std::string& Version, std::int32_t Level, std::int32_t Generator,
                        std::uint64_t Seed, std::uint64_t Sound) {
  TBytes Raw;
  Put(Raw, Rules);
  Put(Raw, Version.size());
  Raw.insert(Raw.end(), Version.begin(), Version.end());
  PutSettings(Raw, Level, Generator, Seed, Sound);
  return Raw;
}

// A block as format 3 has it: the size of its contents, the size packed, the packed bytes.
inline void PutBlock(TBytes& Out, std::uint64_t Size, const TBytes& Packed) {
  Put(Out, Size);
  Put(Out, Packed.size());
  Out.insert(Out.end(), Packed.begin(), Packed.end());
}

// A format 3 file: the header's block, then one block for each of Blocks.
inline TBytes Format3(const TBytes& Header, const std::vector<TBytes>& Blocks) {
  TBytes Out = Opening(3);
  PutBlock(Out, Header.size(), Packed(Header));
  for (const TBytes& Raw : Blocks)
    PutBlock(Out, Raw.size(), Packed(Raw));
  return Out;
}

// What version 1.0 packed in one piece: the settings, then the events with three bits of kind.
inline TBytes Format2Body(std::int32_t Level, std::int32_t Generator, std::uint64_t Seed, bool Sound,
                          const TBytes& Events) {
  TBytes Raw;
  PutSettings(Raw, Level, Generator, Seed, Sound ? 1 : 0);
  Raw.insert(Raw.end(), Events.begin(), Events.end());
  return Raw;
}

inline TBytes Format2(const std::string& Version, const TBytes& Body) {
  TBytes Out = Opening(2);
  Put(Out, Version.size());
  Out.insert(Out.end(), Version.begin(), Version.end());
  Put(Out, Body.size());
  const TBytes P = Packed(Body);
  Out.insert(Out.end(), P.begin(), P.end());
  return Out;
}

struct THostile {
  std::string Name;
  TBytes Bytes;
  std::string Fault;
};

// Files that claim far more than they hold, or more than any recording holds.
inline std::vector<THostile> HostileFiles() {
  const TBytes Header = HeaderRaw(RulesVersion, "1.1", 5, 1, 9, 1);
  const std::string TooLarge = "it is larger than any recording this game writes";
  std::vector<THostile> Files;

  TBytes Claims = Format3(Header, {});
  Put(Claims, 1ull << 40); // a block of a terabyte, in ten bytes
  Put(Claims, 10);
  Claims.resize(Claims.size() + 10, 0);
  Files.push_back({"a block that claims a terabyte", Claims, "it is damaged"});

  // Blocks of the largest size, each a few dozen bytes packed, past the limit.
  const TBytes Zeros(MaxBlockEventBytes, 0);
  Files.push_back({"blocks beyond the longest game",
                   Format3(Header, std::vector<TBytes>(MaxRecordedEventBytes / MaxBlockEventBytes + 1, Zeros)),
                   TooLarge});
  Files.push_back({"more blocks than any recording", Format3(Header, std::vector<TBytes>(MaxRecordingBlocks, {0x00})),
                   TooLarge});

  // A block that says it holds 100 bytes and unpacks to 64 KiB.
  TBytes Bomb = Format3(Header, {});
  PutBlock(Bomb, 100, Packed(Zeros));
  Files.push_back({"a block that unpacks to more than it says", Bomb, "it is damaged"});

  TBytes Old = Opening(2); // 256 MiB declared in 40 bytes
  Put(Old, 3);
  Old.insert(Old.end(), {'1', '.', '0'});
  Put(Old, 256u << 20);
  Old.resize(40, 0x78);
  Files.push_back({"an old recording that claims 256 MiB", Old, TooLarge});
  return Files;
}
} // namespace recfile
