#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// A settings file the player may have edited by hand: sections in square
// brackets, then one "key=value" line per key. Every read and every write goes
// to the file at once, one key at a time. A write replaces the key's value (or
// adds the key, or the section) and leaves every other line as it was; the
// first write creates the file. Section and key names match without regard to case.
// A byte-order mark before the first line is skipped, and kept on writing.
//
// A file that exists but cannot be read, or is larger than any settings file
// of the game (IniFileMaxBytes), gives the defaults and is never written: the
// player's settings in it are worth more than this run's.
//
// Games running side by side share the file: each read-merge-write of a key
// holds the settings folder's lock, and a TIniSaveLock keeps a whole save together.
class EIniWriteError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TIniFile {
public:
  explicit TIniFile(std::string aFileName);

  const std::string& FileName() const { return Path; }

  // Decimal, or hexadecimal after "0x"; anything else, a missing key or a
  // missing file gives Default.
  std::int32_t ReadInteger(const std::string& Section, const std::string& Key, std::int32_t Default) const;
  // An integer, any non-zero value being true.
  bool ReadBool(const std::string& Section, const std::string& Key, bool Default) const;
  // The raw value, or Default when the key is missing.
  std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const;

  // Throw EIniWriteError "Unable to write to <file>" when the file cannot be
  // written, and leave it as it was. Only the first failure of a run throws
  // (the player hears of it once); after it, writes that fail do so without a
  // word, and writes to a file that could not be read are skipped.
  void WriteInteger(const std::string& Section, const std::string& Key, std::int32_t Value);
  void WriteBool(const std::string& Section, const std::string& Key, bool Value);
  void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);

private:
  std::string Path;
  mutable bool Unreadable = false;
  mutable bool TooLarge = false;
  bool FailureReported = false;

  void ReportFailure(const std::string& Why);
};

// The largest settings file read; hand-edited settings stay far below it.
inline constexpr std::uintmax_t IniFileMaxBytes = 1 << 20;

// While one lives, no other game saves into the same settings folder, so that
// a whole save (the window's place, the sound switch, the view) stays together.
// Waits at most a few seconds for another game's save, then saves regardless:
// ending must never wait long. Nested locks of one program are one lock.
class TIniSaveLock {
public:
  explicit TIniSaveLock(const TIniFile& Ini);
  // The same lock on the folder of any file of the game's (the records).
  explicit TIniSaveLock(const std::string& FileInFolder);
  ~TIniSaveLock();
  TIniSaveLock(const TIniSaveLock&) = delete;
  TIniSaveLock& operator=(const TIniSaveLock&) = delete;

private:
  std::string Folder;
};

// Reads an integer the way the settings file stores it: one optional sign and
// decimal digits, or "0x" and hexadecimal digits. False when Text is not one.
bool ParseIniInteger(const std::string& Text, std::int32_t& Value);
