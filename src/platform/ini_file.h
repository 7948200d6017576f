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
// A file that exists but cannot be read gives the defaults, and is never
// written: the player's settings in it are worth more than this run's.
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
  // written, and leave it as it was. Of the writes to a file that could not be
  // read only the first throws; the others are skipped without a word.
  void WriteInteger(const std::string& Section, const std::string& Key, std::int32_t Value);
  void WriteBool(const std::string& Section, const std::string& Key, bool Value);
  void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);

private:
  std::string Path;
  mutable bool Unreadable = false;
  bool UnreadableReported = false;
};

// Reads an integer the way the settings file stores it: one optional sign and
// decimal digits, or "0x" and hexadecimal digits. False when Text is not one.
bool ParseIniInteger(const std::string& Text, std::int32_t& Value);
