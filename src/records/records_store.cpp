#include "records/records_store.h"

#include "platform/files.h"
#include "platform/ini_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {
// No records file of the game comes near this: 10 levels x 3 generators x 10 lines.
constexpr std::uintmax_t MaxRecordsBytes = 256 * 1024;

std::string WithoutTrailingSlash(std::string Path) {
  while (Path.size() > 1 && Path.back() == '/')
    Path.pop_back();
  return Path;
}
} // namespace

std::string RecordsFolder(const std::string& XdgDataHome, const std::string& Home) {
  if (!XdgDataHome.empty() && XdgDataHome.front() == '/')
    return WithoutTrailingSlash(XdgDataHome) + "/clankora";
  if (!Home.empty() && Home.front() == '/')
    return WithoutTrailingSlash(Home) + "/.local/share/clankora";
  return {};
}

TRecordsStore::TRecordsStore(std::string aFolder) : Dir(std::move(aFolder)) {}

const TRecordsTable& TRecordsStore::Load() {
  std::vector<unsigned char> Bytes;
  const TFileRead Read = ReadRegularFile(RecordsPath(), MaxRecordsBytes, Bytes);
  switch (Read.Kind) {
  case TFileRead::Ok: break;
  case TFileRead::Missing: Kept = {}; return Kept;
  case TFileRead::TooLarge: MoveAside("it is larger than any records file"); return Kept;
  case TFileRead::Unreadable:
  case TFileRead::Folder:
  case TFileRead::NotRegular:
    // Not ours to move: told, and left as it is.
    BriefNotice = std::string("The records file cannot be read: ") +
                  (Read.Error != 0 ? std::strerror(Read.Error) : "it is not a file") + ".";
    Notice = "The records file \"" + RecordsPath() + "\" cannot be read: " +
             (Read.Error != 0 ? std::strerror(Read.Error) : "it is not a file") + ".";
    Kept = {};
    return Kept;
  }
  try {
    Kept = DecodeRecords(std::string(Bytes.begin(), Bytes.end()));
  } catch (const ERecordsDamaged& Error) {
    MoveAside(Error.what());
  }
  return Kept;
}

void TRecordsStore::MoveAside(const std::string& Reason) {
  Kept = {};
  std::string Aside = Dir + "/records.bad";
  for (int N = 2; NameExists(Aside); ++N)
    Aside = Dir + "/records.bad." + std::to_string(N);
  const bool Moved = std::rename(RecordsPath().c_str(), Aside.c_str()) == 0;
  BriefNotice = Moved ? "The records file was damaged: it is kept as \"" + Aside + "\", and a new one is started."
                      : "The records file is damaged and could not be moved aside: a new one is started.";
  Notice = "The records file \"" + RecordsPath() + "\" is damaged (" + Reason + "); " +
           (Moved ? "it was moved to \"" + Aside + "\"" : "it could not be moved aside") +
           " and a new one is started. The recordings of the records stay in \"" + Dir + "\".";
}

std::string TRecordsStore::TakeNotice(std::string* Brief) {
  if (Brief != nullptr)
    *Brief = BriefNotice;
  BriefNotice.clear();
  return std::exchange(Notice, {});
}

std::string TRecordsStore::FreshName(const TRecord& Record) const {
  char Base[96];
  std::snprintf(Base, sizeof Base, "level%02d-generator%d-%lld-%u", Record.StartLevel, Record.Generator,
                static_cast<long long>(Record.Date), Record.Ticks);
  std::string Name = std::string(Base) + ".rec";
  for (int N = 2; NameExists(Dir + "/" + Name); ++N)
    Name = std::string(Base) + "-" + std::to_string(N) + ".rec";
  return Name;
}

std::size_t TRecordsStore::Add(TRecord Record, const std::vector<std::uint8_t>& Recording) {
  Why.clear();
  std::error_code Ignored;
  fs::create_directories(Dir, Ignored);
  const TIniSaveLock Turn(RecordsPath());
  // Another game may have kept records since this one read the file.
  Load();
  if (Kept.PlaceOf(Record) == 0)
    return 0;
  Record.File = FreshName(Record);
  const auto Fail = [this](const std::string& What) {
    Why = "Cannot keep the record in \"" + Dir + "\": " + What + (errno != 0 ? ": " + std::string(std::strerror(errno)) : "") + ".";
    return std::size_t{0};
  };
  errno = 0;
  if (!ReplaceFileContents(RecordingPath(Record), std::string(Recording.begin(), Recording.end())))
    return Fail("its recording cannot be written");
  TRecordsTable Next = Kept;
  const std::size_t Place = Next.PlaceOf(Record);
  const std::vector<TRecord> Dropped = Next.Add(Record);
  Next.Newest = Record.File;
  RemoveStaleReplacements(RecordsPath());
  if (!ReplaceFileContents(RecordsPath(), EncodeRecords(Next))) {
    const int Error = errno;
    std::remove(RecordingPath(Record).c_str());
    errno = Error;
    return Fail("the records file cannot be written");
  }
  Kept = std::move(Next);
  for (const TRecord& Out : Dropped)
    std::remove(RecordingPath(Out).c_str());
  return Place;
}
