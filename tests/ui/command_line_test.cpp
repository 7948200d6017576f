#include "ui/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {
TCommandLine Read(std::vector<const char*> Args) {
  Args.insert(Args.begin(), "clankora");
  return ReadCommandLine(static_cast<int>(Args.size()), Args.data());
}

struct TRefusedCase {
  std::vector<const char*> Args;
  const char* Reason;
};

TEST(CommandLine, PlainStartPlaysWithNothingAsked) {
  const TCommandLine Line = Read({});
  EXPECT_EQ(Line.Action, TCommandAction::Play);
  EXPECT_TRUE(Line.Replay.RecordPath.empty());
  EXPECT_TRUE(Line.Replay.ReplayPath.empty());
  EXPECT_FALSE(Line.Replay.Verify);
  EXPECT_EQ(Line.MeasureSeconds, 0);
}

TEST(CommandLine, ReadsEveryOptionWithItsValue) {
  const TCommandLine Record = Read({"--measure", "4", "--record", "game.rec"});
  EXPECT_EQ(Record.Action, TCommandAction::Play);
  EXPECT_EQ(Record.Replay.RecordPath, "game.rec");
  EXPECT_EQ(Record.MeasureSeconds, 4);

  const TCommandLine Verify = Read({"--verify", "--replay", "game.rec"});
  EXPECT_EQ(Verify.Action, TCommandAction::Play);
  EXPECT_EQ(Verify.Replay.ReplayPath, "game.rec");
  EXPECT_TRUE(Verify.Replay.Verify);
}

TEST(CommandLine, ValueAfterAnEqualsSignMayStartWithADash) {
  const TCommandLine Line = Read({"--record=-odd.rec"});
  EXPECT_EQ(Line.Action, TCommandAction::Play);
  EXPECT_EQ(Line.Replay.RecordPath, "-odd.rec");
}

TEST(CommandLine, HelpAndVersionAnswerInEitherSpellingWhateverElseIsAsked) {
  EXPECT_EQ(Read({"--help"}).Action, TCommandAction::Help);
  EXPECT_EQ(Read({"-h"}).Action, TCommandAction::Help);
  EXPECT_EQ(Read({"--verify", "-h"}).Action, TCommandAction::Help);
  EXPECT_EQ(Read({"--version"}).Action, TCommandAction::Version);
  EXPECT_EQ(Read({"-V"}).Action, TCommandAction::Version);
  EXPECT_EQ(Read({"--record", "a", "--replay", "b", "-V"}).Action, TCommandAction::Version);
}

TEST(CommandLine, RefusesWhatItCannotFollowWithOneLineNamingTheFault) {
  const std::vector<TRefusedCase> Cases = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"-x"}, "unknown option '-x'"},
      {{"--bogus=1"}, "unknown option '--bogus'"},
      {{"-help"}, "unknown option '-help'"},
      {{"game.rec"}, "unexpected argument 'game.rec'"},
      {{"-"}, "unexpected argument '-'"},
      {{"--record"}, "--record needs FILE"},
      {{"--record="}, "--record needs FILE"},
      {{"--record", "--verify"}, "--record needs FILE"},
      {{"--replay"}, "--replay needs FILE"},
      {{"--measure"}, "--measure needs SECONDS"},
      {{"--measure", "0"}, "--measure needs a whole number of seconds from 1 to 86400, not '0'"},
      {{"--measure", "3s"}, "not '3s'"},
      {{"--measure", "99999999999"}, "not '99999999999'"},
      {{"--verify=yes", "--replay", "a"}, "--verify takes no value"},
      {{"--record", "a", "--record", "b"}, "--record is given twice"},
      {{"--replay", "a", "--replay=b"}, "--replay is given twice"},
      {{"--record", "a", "--replay", "b"}, "--record and --replay cannot be used together"},
      {{"--verify"}, "--verify needs --replay FILE"},
      {{"--record", "a", "--verify"}, "--verify needs --replay FILE"},
      {{"--replay", "a", "--verify", "--measure", "3"}, "--measure needs the window"},
      {{"--bogus\x1b[2J"}, "unknown option '--bogus?[2J'"},
  };
  for (const TRefusedCase& Case : Cases) {
    const TCommandLine Line = Read(Case.Args);
    SCOPED_TRACE(Case.Args.front());
    EXPECT_EQ(Line.Action, TCommandAction::Refuse);
    EXPECT_NE(Line.Fault.find(Case.Reason), std::string::npos) << Line.Fault;
    EXPECT_EQ(Line.Fault.find('\n'), std::string::npos) << Line.Fault;
  }
}

TEST(CommandLine, UsageNamesEveryOptionAndTheFilesVersionNamesTheGame) {
  const std::string Usage = UsageText();
  for (const char* Name : {"--record FILE", "--replay FILE", "--verify", "--measure SECONDS", "-h, --help",
                           "-V, --version", "sprites/", "sounds/", "clankora.ini", ".config/clankora/"})
    EXPECT_NE(Usage.find(Name), std::string::npos) << Name;
  EXPECT_EQ(VersionText(), std::string("clankora ") + CLANKORA_VERSION + "\n");
}

// A settings file and a data folder of a game, in a fresh folder.
class RecordPathTest : public testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("clankora-cmdline-" + std::to_string(getpid()));
    fs::remove_all(Dir);
    fs::create_directories(Dir / "game" / "sprites");
    fs::create_directories(Dir / "game" / "sounds");
    std::ofstream(Dir / "game" / "clankora.ini") << "[Tinvell: 01h]\n";
    Files = {(Dir / "game").string(), (Dir / "game" / "clankora.ini").string()};
  }
  void TearDown() override { fs::remove_all(Dir); }

  std::string Clash(const fs::path& Record) const {
    return RecordPathClash(Record.string(), Files, (Dir / "records").string());
  }

  fs::path Dir;
  TAppFiles Files;
};

TEST_F(RecordPathTest, TheSettingsFileUnderAnyNameIsRefused) {
  fs::create_symlink(Dir / "game" / "clankora.ini", Dir / "link.ini");
  fs::create_hard_link(Dir / "game" / "clankora.ini", Dir / "hard.ini");
  for (const fs::path& Record : {Dir / "game" / "clankora.ini", Dir / "link.ini", Dir / "hard.ini",
                                 Dir / "game" / "sprites" / ".." / "clankora.ini"}) {
    const std::string Reason = Clash(Record);
    EXPECT_NE(Reason.find("that is the settings file"), std::string::npos) << Record << ": " << Reason;
    EXPECT_NE(Reason.find(Record.string()), std::string::npos) << Reason;
  }
}

TEST_F(RecordPathTest, ASettingsFileNotMadeYetIsRefusedByItsPath) {
  fs::remove(Dir / "game" / "clankora.ini");
  EXPECT_NE(Clash(Dir / "game" / "." / "clankora.ini").find("settings file"), std::string::npos);
}

TEST_F(RecordPathTest, TheDataFolderAndWhatIsInItAreRefused) {
  fs::create_directory_symlink(Dir / "game" / "sounds", Dir / "sounds-link");
  for (const fs::path& Record : {Dir / "game", Dir / "game" / "sprites", Dir / "game" / "sprites" / "new.rec",
                                 Dir / "game" / "sounds" / "deeper" / "new.rec", Dir / "sounds-link" / "new.rec"})
    EXPECT_NE(Clash(Record).find("the game's data folder"), std::string::npos) << Record;
}

// A recording written over the table would lose every record; one written
// over a record's recording would leave the record without its proof.
TEST_F(RecordPathTest, EveryFileOfTheRecordsFolderIsRefused) {
  const fs::path Records = Dir / "records";
  fs::create_directories(Records);
  for (const char* Name : {"records", "records.bad", "1-0-20261211-101500.rec"})
    std::ofstream(Records / Name) << "kept";
  fs::create_symlink(Records / "records", Dir / "table-link");
  for (const fs::path& Record : {Records / "records", Records / "records.bad", Records / "1-0-20261211-101500.rec",
                                 Records / "new.rec", Records, Dir / "table-link", Dir / "game" / ".." / "records" / "records"}) {
    const std::string Reason = Clash(Record);
    EXPECT_NE(Reason.find("that is in the records folder"), std::string::npos) << Record << ": " << Reason;
  }
  EXPECT_EQ(RecordPathClash((Records / "records").string(), Files, ""), "") << "no records folder, nothing to keep";
}

TEST_F(RecordPathTest, OtherPathsAreFreeAlsoBesideTheProgram) {
  for (const fs::path& Record : {Dir / "game.rec", Dir / "game" / "game.rec", Dir / "elsewhere" / "x.rec"})
    EXPECT_EQ(Clash(Record), "") << Record;
  EXPECT_EQ(RecordPathClash("", Files, (Dir / "records").string()), "");
}
} // namespace
