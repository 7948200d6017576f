#pragma once

#include "records/records_table.h"

#include <cstdint>
#include <string>
#include <vector>

// The records folder: the records file "records" and each record's recording
// beside it. Every file is written by a safe replace (a new file, flushed,
// renamed over the old), so that a full disk or a crash keeps what was there;
// games running side by side take turns through the folder's lock.
class TRecordsStore {
public:
  explicit TRecordsStore(std::string aFolder);

  const std::string& Folder() const { return Dir; }
  std::string RecordsPath() const { return Dir + "/records"; }
  std::string RecordingPath(const TRecord& Record) const { return Dir + "/" + Record.File; }

  // The table as the file holds it now. A file that is damaged is moved
  // aside to "records.bad" (never over an older one) and a fresh table
  // started; Notice then says so, once.
  const TRecordsTable& Load();
  const TRecordsTable& Table() const { return Kept; }
  // What the player should be told about the records since the last call,
  // once; Brief, if given, receives it short enough for the records screen.
  std::string TakeNotice(std::string* Brief = nullptr);

  // Keeps the escape and its recording when it is among the ten best of its
  // pair: gives its place (1 the best), or 0 when it is not kept or the disk
  // refused (then Fault says why and every file is as it was).
  std::size_t Add(TRecord Record, const std::vector<std::uint8_t>& Recording);
  const std::string& Fault() const { return Why; }

private:
  std::string FreshName(const TRecord& Record) const;
  void MoveAside(const std::string& Reason);

  std::string Dir;
  TRecordsTable Kept;
  std::string Notice;
  std::string BriefNotice;
  std::string Why;
};

// $XDG_DATA_HOME/clankora, or ~/.local/share/clankora; empty when neither is known.
std::string RecordsFolder(const std::string& XdgDataHome, const std::string& Home);
