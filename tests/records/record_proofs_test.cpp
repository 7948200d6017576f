#include "records/record_proofs.h"

#include "records/records_store.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {
TRecord Claimed() {
  TRecord R;
  R.StartLevel = 3;
  R.Generator = 1;
  R.Ticks = 5976;
  R.Lives = 2;
  R.PlayedMs = 68712;
  R.Date = 1765400000;
  R.Rules = 2;
  R.File = "level03-generator1-1765400000-5976.rec";
  R.Outcome = "won, 5976 ticks, 2 lives, level 4, yard 395754de8862c3fc";
  return R;
}

// What replaying the claimed record's recording gives when the claim is true.
TReplayedFigures Replayed() { return {Claimed().Outcome, 5976, 2, 68712, 3, 1}; }
} // namespace

TEST(RecordProofs, TheFiguresLineReadsBackAndRefusesAnythingElse) {
  TReplayedFigures Read;
  ASSERT_TRUE(ReadFiguresLine(FiguresLine(Replayed()), Read));
  Read.Outcome = Replayed().Outcome;
  EXPECT_EQ(Read, Replayed());
  for (const char* Line : {"", "figures", "figures 1 2 3 4", "figures 1 2 3 4 5 6", "figures -1 2 3 4 5",
                           "figures 4294967296 2 3 4 5", "numbers 1 2 3 4 5", "figures 1 2 3 4 x"})
    EXPECT_FALSE(ReadFiguresLine(Line, Read)) << Line;
}

// A hand-edited line claims a faster time, more lives, another level; or a
// genuine line stands on another game's recording: the replay bears out none of them.
TEST(RecordProofs, AReplayBearsOutOnlyWhatTheRecordClaimsWhole) {
  EXPECT_TRUE(Bears(Replayed(), Claimed()));
  const std::vector<void (*)(TRecord&)> Forgeries = {
      [](TRecord& R) { R.PlayedMs = 1000; },
      [](TRecord& R) { R.Lives = 9; },
      [](TRecord& R) { R.Ticks = 100; },
      [](TRecord& R) { R.StartLevel = 10; },
      [](TRecord& R) { R.Generator = 0; },
      [](TRecord& R) { R.Outcome = "won, 5976 ticks, 2 lives, level 4, yard 0000000000000000"; },
  };
  for (std::size_t I = 0; I < Forgeries.size(); ++I) {
    TRecord Forged = Claimed();
    Forgeries[I](Forged);
    EXPECT_FALSE(Bears(Replayed(), Forged)) << "forgery " << I;
  }
  TReplayedFigures Lost = Replayed();
  Lost.Outcome = "lost, 5976 ticks, 0 lives, level 4, yard 395754de8862c3fc";
  EXPECT_FALSE(Bears(Lost, Claimed())) << "a lost game behind a won line";
}

TEST(RecordProofs, ARecordWonBeforeTheLineShowedItsLivesIsBorneOutAsWell) {
  TRecord Old = Claimed();
  Old.Outcome = "won, 5976 ticks, 65535 lives, level 4, yard 395754de8862c3fc";
  EXPECT_TRUE(Bears(Replayed(), Old));
  EXPECT_TRUE(SameOutcome(Replayed().Outcome, Old.Outcome));
  EXPECT_FALSE(SameOutcome("won, 5976 ticks, 2 lives, level 5, yard 395754de8862c3fc", Old.Outcome));
  EXPECT_FALSE(SameOutcome("lost, 5976 ticks, 0 lives, level 4, yard 395754de8862c3fc",
                           "lost, 5976 ticks, 65535 lives, level 4, yard 395754de8862c3fc"));
}

TEST(RecordProofs, AVerdictIsKeptUnderItsRecordingAndLineAndGoesWithEitherChange) {
  TTempDir Dir;
  const std::vector<unsigned char> Recording = {'C', 'L', 'A', 'N', 'K'};
  const std::string Key = ProofKey(Claimed(), Recording);
  TRecord Faster = Claimed();
  Faster.PlayedMs = 1000;
  EXPECT_NE(ProofKey(Faster, Recording), Key);
  EXPECT_NE(ProofKey(Claimed(), {'C', 'L', 'A', 'N', 'G'}), Key);

  TRecordProofs Proofs(Dir.Path() + "/proofs");
  Proofs.Load();
  EXPECT_EQ(Proofs.Verdict(Key), TProofState::Unproven) << "no file yet";
  ASSERT_TRUE(Proofs.Keep(Key, TProofState::Genuine, {Key, ProofKey(Faster, Recording)}));
  ASSERT_TRUE(Proofs.Keep(ProofKey(Faster, Recording), TProofState::Fails, {Key, ProofKey(Faster, Recording)}));
  TRecordProofs Again(Dir.Path() + "/proofs");
  Again.Load();
  EXPECT_EQ(Again.Verdict(Key), TProofState::Genuine);
  EXPECT_EQ(Again.Verdict(ProofKey(Faster, Recording)), TProofState::Fails);
  // A record that left the table takes its verdict with it.
  ASSERT_TRUE(Again.Keep(Key, TProofState::Genuine, {Key}));
  Again.Load();
  EXPECT_EQ(Again.Verdict(ProofKey(Faster, Recording)), TProofState::Unproven);
}

TEST(RecordProofs, ADamagedProofsFileHoldsNoVerdict) {
  TTempDir Dir;
  const std::string Key = ProofKey(Claimed(), {});
  for (const std::string& Text : {"Clankora proofs 2\n" + Key + " genuine\n", "\n" + Key + " genuine\n",
                                  "Clankora proofs 1\n" + Key + " maybe\n"}) {
    std::ofstream(Dir.Path() + "/proofs") << Text;
    TRecordProofs Proofs(Dir.Path() + "/proofs");
    Proofs.Load();
    EXPECT_EQ(Proofs.Verdict(Key), TProofState::Unproven) << Text;
  }
}

TEST(RecordProofs, ARecordNobodyHasCheckedIsUnprovenForTheRecordsList) {
  TTempDir Dir;
  std::ofstream(Dir.Path() + "/records")
      << "Clankora records 1\nrecord 1 0 5976 9 1000 1765400000 2 a.rec won, 5976 ticks, 9 lives, level 1, yard 00\n";
  std::ofstream(Dir.Path() + "/a.rec") << "the recording";
  TRecordsStore Store(Dir.Path());
  const TRecord Forged = Store.Load().All().at(0);
  EXPECT_EQ(KeptProofState(Store, Forged), TProofState::Unproven);
  std::vector<unsigned char> Recording;
  ASSERT_TRUE(ReadProvableRecording(Store, Forged, Recording));
  TRecordProofs(Dir.Path() + "/proofs").Keep(ProofKey(Forged, Recording), TProofState::Fails, {ProofKey(Forged, Recording)});
  EXPECT_EQ(KeptProofState(Store, Forged), TProofState::Fails);
}
