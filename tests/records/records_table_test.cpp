#include <gtest/gtest.h>

#include "records/records_report.h"
#include "records/records_table.h"

namespace {
TRecord Escape(std::uint32_t Ticks, std::uint32_t Lives = 2, std::int32_t Level = 1, std::int32_t Generator = 0) {
  TRecord R;
  R.StartLevel = Level;
  R.Generator = Generator;
  R.Ticks = Ticks;
  R.Lives = Lives;
  R.PlayedMs = Ticks * 3;
  R.Date = 1765400000;
  R.Rules = 2;
  R.File = "game-" + std::to_string(Ticks) + "-" + std::to_string(Lives) + ".rec";
  R.Outcome = "won, " + std::to_string(Ticks) + " ticks, 65535 lives, level 3, yard 00000000000000aa";
  return R;
}

std::vector<std::uint32_t> TicksOf(const std::vector<TRecord>& Records) {
  std::vector<std::uint32_t> Out;
  for (const TRecord& R : Records)
    Out.push_back(R.Ticks);
  return Out;
}
} // namespace

TEST(RecordsTable, KeepsTheTenFastestOfAPairAndPushesOutTheEleventh) {
  TRecordsTable Table;
  for (std::uint32_t Ticks : {500u, 100u, 900u, 300u, 700u, 200u, 1000u, 400u, 800u, 600u})
    EXPECT_TRUE(Table.Add(Escape(Ticks)).empty());
  EXPECT_EQ(Table.PlaceOf(Escape(1100)), 0u) << "slower than all ten";
  EXPECT_TRUE(Table.Add(Escape(1100)).empty());
  EXPECT_EQ(Table.PlaceOf(Escape(150)), 2u);
  const std::vector<TRecord> Dropped = Table.Add(Escape(150));
  EXPECT_EQ(TicksOf(Dropped), std::vector<std::uint32_t>{1000});
  EXPECT_EQ(TicksOf(Table.Pair(1, 0)),
            (std::vector<std::uint32_t>{100, 150, 200, 300, 400, 500, 600, 700, 800, 900}));
}

TEST(RecordsTable, OfTwoAsFastTheOneWithMoreLivesStandsFirstAndATieStaysBehind) {
  TRecordsTable Table;
  Table.Add(Escape(300, 1));
  Table.Add(Escape(300, 3));
  Table.Add(Escape(300, 3, 1, 0)); // the same again: behind the one that was first
  const std::vector<TRecord> Pair = Table.Pair(1, 0);
  ASSERT_EQ(Pair.size(), 3u);
  EXPECT_EQ(Pair[0].Lives, 3u);
  EXPECT_EQ(Pair[1].Lives, 3u);
  EXPECT_EQ(Pair[2].Lives, 1u);
  EXPECT_EQ(Table.PlaceOf(Escape(300, 2)), 3u);
}

TEST(RecordsTable, PairsAreKeptApart) {
  TRecordsTable Table;
  for (std::uint32_t I = 1; I <= 10; ++I)
    Table.Add(Escape(I * 10, 2, 1, 0));
  EXPECT_EQ(Table.PlaceOf(Escape(5000, 2, 1, 1)), 1u) << "another generator";
  EXPECT_EQ(Table.PlaceOf(Escape(5000, 2, 2, 0)), 1u) << "another start level";
  EXPECT_EQ(Table.PlaceOf(Escape(5000, 2, 1, 0)), 0u);
}

TEST(RecordsFile, ReadsBackWhatItWrote) {
  TRecordsTable Table;
  Table.Add(Escape(300, 1, 4, 2));
  Table.Add(Escape(200, 2, 1, 0));
  Table.Newest = "game-300-1.rec";
  const TRecordsTable Read = DecodeRecords(EncodeRecords(Table));
  EXPECT_EQ(Read.All(), Table.All());
  EXPECT_EQ(Read.Newest, "game-300-1.rec");
}

TEST(RecordsFile, RefusesWhatIsNotARecordsFile) {
  const std::string Head = "Clankora records 1\n";
  const std::string Good = "record 1 0 300 2 900 1765400000 2 a.rec won, 300 ticks\n";
  const std::vector<std::string> Damaged = {
      "",
      "[Tinvell: 01h]\n",
      Head + "record 11 0 300 2 900 1765400000 2 a.rec won\n",  // no such level
      Head + "record 1 3 300 2 900 1765400000 2 a.rec won\n",   // no such generator
      Head + "record 1 0 0 2 900 1765400000 2 a.rec won\n",     // no time at all
      Head + "record 1 0 300 2 900 1765400000 2 ../a.rec won\n", // out of the folder
      Head + "record 1 0 300 2 900 1765400000 2 a.txt won\n",
      Head + "record 1 0 300 2 900 1765400000 2 a.rec\n",       // no outcome
      Head + "record 1 0 300 2\n",
      Head + "recorded 1 0 300 2 900 1765400000 2 a.rec won\n",
      Head + "record 1 0 300 2 900 1765400000 2 a.rec won\x1b[2J\n",
  };
  for (const std::string& Text : Damaged)
    EXPECT_THROW(DecodeRecords(Text), ERecordsDamaged) << Text;
  std::string Eleven = Head;
  for (int I = 0; I < 11; ++I)
    Eleven += Good;
  EXPECT_THROW(DecodeRecords(Eleven), ERecordsDamaged);
  EXPECT_EQ(DecodeRecords(Head + Good).All().size(), 1u);
}

// An editor of another system ends its lines with a carriage return: the file is the same file.
TEST(RecordsFile, ReadsLinesEndedWithACarriageReturn) {
  TRecordsTable Table;
  Table.Add(Escape(300, 1, 4, 2));
  Table.Newest = "game-300-1.rec";
  const std::string Unix = EncodeRecords(Table);
  std::string Windows, FirstOnly = Unix;
  for (const char C : Unix)
    Windows += C == '\n' ? std::string("\r\n") : std::string(1, C);
  FirstOnly.insert(FirstOnly.find('\n'), "\r");
  for (const std::string& Text : {Windows, FirstOnly}) {
    const TRecordsTable Read = DecodeRecords(Text);
    EXPECT_EQ(Read.All(), Table.All());
    EXPECT_EQ(Read.Newest, "game-300-1.rec");
    ASSERT_EQ(Read.All().size(), 1u);
    EXPECT_EQ(Read.All()[0].Outcome.back(), Table.All()[0].Outcome.back()) << "no carriage return kept in the line";
  }
}

TEST(RecordsFile, ShowsTimeAsMinutesSecondsAndTenths) {
  EXPECT_EQ(PlayTimeText(0), "0:00.0");
  EXPECT_EQ(PlayTimeText(61999), "1:01.9");
  EXPECT_EQ(PlayTimeText(600000), "10:00.0");
}

TEST(RecordsReport, MarksTheNewestTheRecordsThatCannotBeReplayedAndHowFarEachIsProved) {
  TRecord Old = Escape(300);
  Old.Rules = 99;
  constexpr TProofState Genuine = TProofState::Genuine;
  EXPECT_EQ(RecordMarks(Escape(300), true, true, Genuine), "  newest");
  EXPECT_EQ(RecordMarks(Old, false, true, TProofState::Unproven), "  rules 99, no replay");
  EXPECT_EQ(RecordMarks(Escape(300), false, false, TProofState::Unproven), "  recording missing");
  EXPECT_EQ(RecordMarks(Escape(300), false, true, Genuine), "");
  EXPECT_EQ(RecordMarks(Escape(300), true, true, TProofState::Unproven), "  newest  unproven");
  EXPECT_EQ(RecordMarks(Escape(300), false, true, TProofState::Checking), "  checking...");
  EXPECT_EQ(RecordMarks(Escape(300), false, true, TProofState::Fails), "  does not replay");

  TRecordsTable Table;
  Table.Add(Old);
  Table.Add(Escape(200, 1, 3, 2));
  const std::string Report = RecordsReport(
      Table, "/records", [](const TRecord&) { return true; },
      [](const TRecord& R) { return R.Generator == 2 ? TProofState::Fails : TProofState::Genuine; });
  EXPECT_NE(Report.find("Robot can escape:\n  level  1   1.    0:00.9  2 lives"), std::string::npos) << Report;
  EXPECT_NE(Report.find("rules 99, no replay"), std::string::npos) << Report;
  EXPECT_NE(Report.find("Normal:\n  none yet"), std::string::npos) << Report;
  EXPECT_NE(Report.find("Random:\n  level  3   1.    0:00.6  1 life "), std::string::npos) << Report;
  EXPECT_NE(Report.find("does not replay"), std::string::npos) << Report;
}
