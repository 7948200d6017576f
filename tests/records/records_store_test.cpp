#include <gtest/gtest.h>

#include "records/records_store.h"
#include "support/small_disk.h"
#include "support/test_pictures.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {
TRecord Escape(std::uint32_t Ticks, std::int64_t Date = 1765400000) {
  TRecord R;
  R.StartLevel = 1;
  R.Generator = 0;
  R.Ticks = Ticks;
  R.Lives = 2;
  R.PlayedMs = Ticks * 4;
  R.Date = Date;
  R.Rules = 2;
  R.Outcome = "won, " + std::to_string(Ticks) + " ticks, 65535 lives, level 2, yard 0000000000000001";
  return R;
}

const std::vector<std::uint8_t> Proof{'C', 'L', 'A', 'N', 'K'};

std::string Contents(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), {}};
}
} // namespace

TEST(RecordsStore, KeepsEachRecordWithItsRecordingAndForgetsTheEleventhsRecording) {
  TTempDir Dir;
  const std::string Folder = Dir.Path() + "/data/clankora";
  TRecordsStore Store(Folder);
  for (std::uint32_t I = 1; I <= 10; ++I)
    ASSERT_EQ(Store.Add(Escape(1000 + I * 10, I), Proof), I) << Store.Fault();
  const TRecord Slowest = Store.Table().Pair(1, 0).back();
  ASSERT_TRUE(fs::exists(Store.RecordingPath(Slowest)));

  EXPECT_EQ(Store.Add(Escape(2000), Proof), 0u) << "slower than the ten kept";
  EXPECT_EQ(Store.Add(Escape(900, 99), Proof), 1u);
  EXPECT_FALSE(fs::exists(Store.RecordingPath(Slowest))) << "the eleventh's recording goes with it";

  TRecordsStore Again(Folder);
  const std::vector<TRecord> Pair = Again.Load().Pair(1, 0);
  ASSERT_EQ(Pair.size(), 10u);
  EXPECT_EQ(Pair.front().Ticks, 900u);
  EXPECT_EQ(Again.Table().Newest, Pair.front().File);
  EXPECT_EQ(Contents(Again.RecordingPath(Pair.front())), "CLANK");
  EXPECT_EQ(Again.TakeNotice(), "");
}

TEST(RecordsStore, ADamagedFileIsMovedAsideToldOnceAndTheRecordingsStay) {
  TTempDir Dir;
  TRecordsStore Store(Dir.Path());
  ASSERT_EQ(Store.Add(Escape(700), Proof), 1u);
  const std::string Recording = Store.RecordingPath(Store.Table().Pair(1, 0).front());
  std::ofstream(Dir.Path() + "/records.bad") << "an older damaged file\n";
  std::ofstream(Store.RecordsPath()) << "Clankora records 1\nrecord 1 0 zzz\n";

  TRecordsStore Next(Dir.Path());
  EXPECT_TRUE(Next.Load().Empty());
  const std::string Notice = Next.TakeNotice();
  EXPECT_NE(Notice.find("is damaged (line 2"), std::string::npos) << Notice;
  EXPECT_NE(Notice.find("records.bad.2"), std::string::npos) << Notice;
  EXPECT_EQ(Next.TakeNotice(), "");
  EXPECT_EQ(Contents(Dir.Path() + "/records.bad"), "an older damaged file\n");
  EXPECT_EQ(Contents(Dir.Path() + "/records.bad.2"), "Clankora records 1\nrecord 1 0 zzz\n");
  EXPECT_EQ(Contents(Recording), "CLANK");

  Next.Load();
  EXPECT_EQ(Next.TakeNotice(), "") << "the fresh file is not damaged";
  EXPECT_EQ(Next.Add(Escape(800), Proof), 1u);
}

TEST(RecordsStore, AFullDiskLeavesTheOldRecordsFileWholeAndNoStrayRecording) {
  TTempDir Dir;
  TSmallDisk Disk(Dir.Path() + "/disk", 64 * 1024);
  if (!Disk.Mounted)
    GTEST_SKIP() << "cannot mount a small tmpfs here: " << Disk.Reason;
  const std::string Folder = Dir.Path() + "/disk/clankora";
  TRecordsStore Store(Folder);
  ASSERT_EQ(Store.Add(Escape(700), Proof), 1u) << Store.Fault();
  const std::string Before = Contents(Store.RecordsPath());
  FillDisk(Folder);

  EXPECT_EQ(Store.Add(Escape(600, 1765400100), Proof), 0u);
  EXPECT_NE(Store.Fault().find("No space left on device"), std::string::npos) << Store.Fault();
  EXPECT_EQ(Contents(Store.RecordsPath()), Before);
  std::size_t Files = 0;
  for (const auto& Entry : fs::directory_iterator(Folder))
    Files += Entry.path().filename() != "filler" ? 1 : 0;
  EXPECT_EQ(Files, 2u) << "the records file and the one recording kept";
  EXPECT_EQ(TRecordsStore(Folder).Load().Pair(1, 0).size(), 1u);
}
