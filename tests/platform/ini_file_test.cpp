#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "support/ordinary_user.h"
#include "support/small_disk.h"
#include "support/test_pictures.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const std::string Section = "Tinvell: 01h";

// Empty when writing a key is refused with the game's message naming Path;
// otherwise what went wrong.
std::string WriteIsRefused(TIniFile& Ini, const std::string& Path) {
  try {
    Ini.WriteInteger(Section, "StartLevel", 4);
    return "the write went through";
  } catch (const EIniWriteError& Error) {
    if (std::string(Error.what()) != "Unable to write to " + Path)
      return std::string("wrong message: ") + Error.what();
  }
  return {};
}

// Empty when of a whole save (four keys) only the first write is refused, with
// the game's message naming Path; otherwise what went wrong.
std::string ASaveIsRefusedOnce(TIniFile& Ini, const std::string& Path) {
  int Thrown = 0;
  for (const char* Key : {"TrashGeneratorAlgorythmIndex", "StartLevel", "Top", "SoundOn"}) {
    try {
      Ini.WriteInteger(Section, Key, 1);
    } catch (const EIniWriteError& Error) {
      if (std::string(Error.what()) != "Unable to write to " + Path)
        return std::string("wrong message: ") + Error.what();
      ++Thrown;
    }
  }
  return Thrown == 1 ? "" : std::to_string(Thrown) + " refusals reported";
}

std::string ReadAll(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::stringstream S;
  S << In.rdbuf();
  return S.str();
}
} // namespace

TEST(IniIntegers, ReadDecimalAndHexAndRefuseTheRest) {
  struct TCase {
    const char* Text;
    bool Valid;
    std::int32_t Value;
  };
  const TCase Cases[] = {
      {"5", true, 5},           {"-1", true, -1},         {" 42 ", true, 42},       {"0x1F", true, 31},
      {"0X10", true, 16},       {"0xFFFFFFFF", true, -1}, {"0x", false, 0},         {"0xG", false, 0},
      {"", false, 0},           {"abc", false, 0},        {"5x", false, 0},         {"99999999999", false, 0},
      {"0x100000000", false, 0}, {"+7", true, 7},       {"+-5", false, 0},        {"-+5", false, 0},
      {"++5", false, 0},        {"+", false, 0},          {"-", false, 0},          {"0x-5", false, 0},
  };
  for (const TCase& C : Cases) {
    std::int32_t Value = 12345;
    EXPECT_EQ(ParseIniInteger(C.Text, Value), C.Valid) << '"' << C.Text << '"';
    if (C.Valid) {
      EXPECT_EQ(Value, C.Value) << '"' << C.Text << '"';
    }
  }
}

TEST(IniFile, AMissingFileGivesDefaultsAndTheFirstWriteCreatesIt) {
  TTempDir Dir;
  TIniFile Ini(Dir.Path() + "/clankora.ini");
  EXPECT_EQ(Ini.ReadInteger(Section, "StartLevel", 5), 5);
  EXPECT_TRUE(Ini.ReadBool(Section, "SoundOn", true));
  Ini.WriteInteger(Section, "StartLevel", 8);
  EXPECT_EQ(ReadAll(Ini.FileName()), "[Tinvell: 01h]\nStartLevel=8\n");
  Ini.WriteBool(Section, "SoundOn", false);
  Ini.WriteInteger(Section, "Top", -20);
  EXPECT_EQ(ReadAll(Ini.FileName()), "[Tinvell: 01h]\nStartLevel=8\nSoundOn=0\nTop=-20\n");
  EXPECT_EQ(Ini.ReadInteger(Section, "top", 0), -20);
  EXPECT_FALSE(Ini.ReadBool(Section, "SoundOn", true));
}

TEST(IniFile, AWriteReplacesOneValueAndKeepsEveryOtherLine) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/clankora.ini";
  std::ofstream(Path) << "; the player's notes\n[Other]\nStartLevel=2\n\n[Tinvell: 01h]\nLeft=0x20\nStartLevel=3\n"
                         "Junk line\n\n[Last]\nA=1\n";
  TIniFile Ini(Path);
  EXPECT_EQ(Ini.ReadInteger(Section, "Left", 0), 32);
  EXPECT_EQ(Ini.ReadInteger(Section, "StartLevel", 5), 3);
  Ini.WriteInteger(Section, "StartLevel", 9);
  Ini.WriteInteger(Section, "SoundOn", 1);
  EXPECT_EQ(ReadAll(Path), "; the player's notes\n[Other]\nStartLevel=2\n\n[Tinvell: 01h]\nLeft=0x20\nStartLevel=9\n"
                           "Junk line\nSoundOn=1\n\n[Last]\nA=1\n");
}

TEST(IniFile, GarbageValuesGiveTheDefault) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/clankora.ini";
  std::ofstream(Path) << "[Tinvell: 01h]\nStartLevel=high\nSoundOn=\nTop=12abc\n";
  TIniFile Ini(Path);
  EXPECT_EQ(Ini.ReadInteger(Section, "StartLevel", 5), 5);
  EXPECT_TRUE(Ini.ReadBool(Section, "SoundOn", true));
  EXPECT_EQ(Ini.ReadInteger(Section, "Top", 77), 77);
}

TEST(IniFile, ARefusedWriteSaysWhichFileAndLosesNothing) {
  TTempDir Dir;
  const std::string Folder = Dir.Path() + "/locked";
  std::filesystem::create_directory(Folder);
  const std::string Path = Folder + "/clankora.ini";
  std::ofstream(Path) << "[Tinvell: 01h]\nStartLevel=3\n";
  using std::filesystem::perms;
  std::filesystem::permissions(Dir.Path(), perms::owner_all | perms::others_read | perms::others_exec);
  std::filesystem::permissions(Path, perms::owner_read | perms::others_read);
  std::filesystem::permissions(Folder, perms::owner_read | perms::owner_exec | perms::others_read | perms::others_exec);

  const std::string Verdict = AsOrdinaryUser([&Path]() -> std::string {
    TIniFile Ini(Path);
    if (std::string Fault = WriteIsRefused(Ini, Path); !Fault.empty())
      return Fault;
    if (Ini.ReadInteger(Section, "StartLevel", 5) != 3)
      return "the stored value was lost";
    return {};
  });
  EXPECT_EQ(Verdict, "");
  std::filesystem::permissions(Folder, perms::owner_all);
}

TEST(IniFile, AFolderInsteadOfAFileIsARefusedWrite) {
  TTempDir Dir;
  // Works as root too: no one can write a file where a folder stands.
  const std::string Path = Dir.Path() + "/clankora.ini";
  std::filesystem::create_directory(Path);
  TIniFile Ini(Path);
  EXPECT_EQ(Ini.ReadInteger(Section, "StartLevel", 5), 5);
  EXPECT_THROW(Ini.WriteInteger(Section, "StartLevel", 4), EIniWriteError);
}

namespace {
namespace fs = std::filesystem;

// Everything in Folder but the names in Expected: temporary files left behind.
std::set<std::string> Names(const std::string& Folder) {
  std::set<std::string> Result;
  for (const auto& Entry : fs::directory_iterator(Folder))
    Result.insert(Entry.path().filename().string());
  return Result;
}

mode_t ModeOf(const std::string& Path) {
  struct stat Info {};
  stat(Path.c_str(), &Info);
  return Info.st_mode & 07777;
}

// A folder of TTempDir that an ordinary user may fill too.
std::string SharedFolder(const TTempDir& Dir) {
  const std::string Folder = Dir.Path() + "/shared";
  fs::create_directory(Folder);
  fs::permissions(Dir.Path(), fs::perms::all);
  fs::permissions(Folder, fs::perms::all);
  return Folder;
}
} // namespace

TEST(IniFile, AByteOrderMarkIsSkippedOnReadingAndKeptOnWriting) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/clankora.ini";
  std::ofstream(Path, std::ios::binary) << "\xEF\xBB\xBF[Tinvell: 01h]\r\nStartLevel=3\r\n";
  TIniFile Ini(Path);
  EXPECT_EQ(Ini.ReadInteger(Section, "StartLevel", 5), 3);
  Ini.WriteInteger(Section, "StartLevel", 8);
  EXPECT_EQ(ReadAll(Path), "\xEF\xBB\xBF[Tinvell: 01h]\r\nStartLevel=8\r\n");
}

TEST(IniFile, ASymbolicLinkIsWrittenThroughToItsTarget) {
  TTempDir Dir;
  fs::create_directory(Dir.Path() + "/dotfiles");
  const std::string Target = Dir.Path() + "/dotfiles/clankora.ini";
  const std::string Link = Dir.Path() + "/clankora.ini";
  std::ofstream(Target) << "[Tinvell: 01h]\nStartLevel=3\n";
  fs::create_symlink("dotfiles/clankora.ini", Link);
  TIniFile Ini(Link);
  EXPECT_EQ(Ini.ReadInteger(Section, "StartLevel", 5), 3);
  Ini.WriteInteger(Section, "StartLevel", 9);
  EXPECT_TRUE(fs::is_symlink(Link));
  EXPECT_EQ(ReadAll(Target), "[Tinvell: 01h]\nStartLevel=9\n");
  EXPECT_EQ(Names(Dir.Path() + "/dotfiles"), std::set<std::string>{"clankora.ini"});
}

TEST(IniFile, TheSaveFollowsNoPlantedLinkKeepsTheModeAndLeavesNoTemporaryFile) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/clankora.ini";
  const std::string Victim = Dir.Path() + "/victim";
  std::ofstream(Victim) << "someone else's file\n";
  std::ofstream(Path) << "[Tinvell: 01h]\nStartLevel=3\n";
  fs::permissions(Path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // The name an earlier version wrote to, planted as a link, and a leftover of a crash.
  fs::create_symlink(Victim, Path + ".tmp");
  std::ofstream(Path + ".tmp-crashed") << "half a file";
  const std::set<std::string> Before = Names(Dir.Path());

  TIniFile Ini(Path);
  Ini.WriteInteger(Section, "StartLevel", 4);
  Ini.WriteBool(Section, "SoundOn", false);
  EXPECT_EQ(ReadAll(Path), "[Tinvell: 01h]\nStartLevel=4\nSoundOn=0\n");
  EXPECT_EQ(ReadAll(Victim), "someone else's file\n");
  EXPECT_EQ(ModeOf(Path), 0640u);
  EXPECT_EQ(Names(Dir.Path()), Before);
}

TEST(IniFile, AFileThePlayerMayNotWriteIsRefusedAndLeftByteForByte) {
  struct TCase {
    const char* What;
    bool OwnedByRoot;
    mode_t Mode;
  };
  for (const TCase C : {TCase{"the player's read-only file", false, 0444}, TCase{"root's file", true, 0644}}) {
    if (C.OwnedByRoot && geteuid() != 0)
      continue; // no other owner to hand the file to
    TTempDir Dir;
    const std::string Folder = SharedFolder(Dir);
    const std::string Path = Folder + "/clankora.ini";
    const std::string Old = "[Tinvell: 01h]\r\nStartLevel=3\r\n";
    if (C.OwnedByRoot) {
      std::ofstream(Path) << Old;
      chmod(Path.c_str(), C.Mode);
    }
    const std::string Verdict = AsOrdinaryUser([&] () -> std::string {
      if (!C.OwnedByRoot) {
        std::ofstream(Path) << Old;
        chmod(Path.c_str(), C.Mode);
      }
      TIniFile Ini(Path);
      return WriteIsRefused(Ini, Path);
    });
    EXPECT_EQ(Verdict, "") << C.What;
    EXPECT_EQ(ReadAll(Path), Old) << C.What;
    EXPECT_EQ(ModeOf(Path), C.Mode) << C.What;
    EXPECT_EQ(Names(Folder), std::set<std::string>{"clankora.ini"}) << C.What;
  }
}

TEST(IniFile, AFolderThatRefusesNewFilesStillHasItsWritableFileRewritten) {
  TTempDir Dir;
  const std::string Folder = SharedFolder(Dir);
  const std::string Path = Folder + "/clankora.ini";
  std::ofstream(Path) << "[Tinvell: 01h]\nStartLevel=0x0000000A\nTop=1\n";
  chmod(Path.c_str(), 0666);
  chmod(Folder.c_str(), 0555);
  const std::string Verdict = AsOrdinaryUser([&Path]() -> std::string {
    TIniFile Ini(Path);
    Ini.WriteInteger(Section, "StartLevel", 2); // shorter than before
    return ReadAll(Path);
  });
  EXPECT_EQ(Verdict, "[Tinvell: 01h]\nStartLevel=2\nTop=1\n");
  chmod(Folder.c_str(), 0777);
}

TEST(IniFile, AFileThatCannotBeReadGivesDefaultsIsNeverWrittenAndIsReportedOnce) {
  TTempDir Dir;
  const std::string Folder = SharedFolder(Dir);
  const std::string Path = Folder + "/clankora.ini";
  const std::string Verdict = AsOrdinaryUser([&Path]() -> std::string {
    std::ofstream(Path) << "[Tinvell: 01h]\nStartLevel=3\n";
    chmod(Path.c_str(), 0200);
    TIniFile Ini(Path);
    if (Ini.ReadInteger(Section, "StartLevel", 5) != 5)
      return "not the default";
    return ASaveIsRefusedOnce(Ini, Path);
  });
  EXPECT_EQ(Verdict, "");
  chmod(Path.c_str(), 0644);
  EXPECT_EQ(ReadAll(Path), "[Tinvell: 01h]\nStartLevel=3\n");
}

TEST(IniFile, AFullDiskLeavesTheOldFileWhole) {
  if (geteuid() != 0)
    GTEST_SKIP() << "filling a disk needs a small tmpfs of our own, and mounting one needs root";
  // Both ways of saving: a new file renamed over the old one, and the
  // rewrite in place where the folder refuses new files.
  for (const bool FolderRefusesNewFiles : {false, true}) {
    TTempDir Dir;
    fs::permissions(Dir.Path(), fs::perms::all);
    TSmallDisk Disk(Dir.Path() + "/disk", 64 * 1024);
    if (!Disk.Mounted)
      GTEST_SKIP() << "cannot mount a small tmpfs here: " << Disk.Reason;
    const std::string Folder = Dir.Path() + "/disk/game";
    fs::create_directory(Folder);
    const std::string Path = Folder + "/clankora.ini";
    std::string Old = "[Tinvell: 01h]\nTop=100\n\n[Other]\n; ";
    const std::string Tail = "\nLastLine=precious\n";
    Old += std::string(8190 - Old.size() - Tail.size(), 'c') + Tail;
    std::ofstream(Path) << Old;
    chmod(Path.c_str(), 0666);
    FillDisk(Folder);
    chmod(Folder.c_str(), FolderRefusesNewFiles ? 0555 : 0777);

    const auto Save = [&Path]() -> std::string {
      TIniFile Ini(Path);
      try {
        Ini.WriteInteger(Section, "Left", 456); // the file grows past its last page
        return "the settings fitted on a full disk";
      } catch (const EIniWriteError& Error) {
        return Error.what();
      }
    };
    const std::string Verdict = FolderRefusesNewFiles ? AsOrdinaryUser(Save) : Save();
    EXPECT_EQ(Verdict, "Unable to write to " + Path) << "folder refuses new files: " << FolderRefusesNewFiles;
    const std::string Now = ReadAll(Path);
    EXPECT_TRUE(Now == Old) << "folder refuses new files: " << FolderRefusesNewFiles << "; " << Now.size()
                            << " bytes left of " << Old.size() << ", ending \"" << Now.substr(Now.size() - std::min<std::size_t>(Now.size(), 30)) << '"';
    EXPECT_EQ(Names(Folder), (std::set<std::string>{"clankora.ini", "filler"}));
  }
}

TEST(IniFile, AFileLargerThanAnySettingsIsReadAsDefaultsAndLeftAsItIs) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/clankora.ini";
  std::ofstream(Path) << "[Tinvell: 01h]\nStartLevel=3\n";
  ASSERT_EQ(truncate(Path.c_str(), 100 << 20), 0); // 100 MB, mostly a hole
  TIniFile Ini(Path);
  EXPECT_EQ(Ini.ReadInteger(Section, "StartLevel", 5), 5);
  try {
    Ini.WriteInteger(Section, "Top", 1);
    ADD_FAILURE() << "the write went through";
  } catch (const EIniWriteError& Error) {
    EXPECT_EQ(std::string(Error.what()), "Unable to write to " + Path +
                                             ": it is larger than 1 MB, so it was not read as settings and is left as it is");
  }
  EXPECT_NO_THROW(Ini.WriteInteger(Section, "Left", 1)) << "reported once";
  EXPECT_EQ(fs::file_size(Path), 100u << 20);
  EXPECT_EQ(ReadAll(Path).substr(0, 26), "[Tinvell: 01h]\nStartLevel=");
}

TEST(IniFile, AFileThatCannotBeWrittenIsReportedOnceARun) {
  TTempDir Dir;
  const std::string Folder = SharedFolder(Dir);
  const std::string Path = Folder + "/clankora.ini";
  std::ofstream(Path) << "[Tinvell: 01h]\nStartLevel=3\n";
  chmod(Path.c_str(), 0444);
  const std::string Verdict = AsOrdinaryUser([&Path]() -> std::string {
    TIniFile Ini(Path);
    if (Ini.ReadInteger(Section, "StartLevel", 5) != 3)
      return "the settings were not read";
    return ASaveIsRefusedOnce(Ini, Path);
  });
  EXPECT_EQ(Verdict, "");
  EXPECT_EQ(ReadAll(Path), "[Tinvell: 01h]\nStartLevel=3\n");
}

TEST(IniFile, ASaveClearsWhatKilledSavesLeftAndNothingElse) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/clankora.ini";
  for (const char* Name : {"clankora.ini.tmp-a1B2c3", "clankora.ini.tmp-zzzzzz", "clankora.ini.tmp-long123",
                           "other.ini.tmp-a1B2c3", "clankora.ini.bak"})
    std::ofstream(Dir.Path() + "/" + Name) << "x";
  TIniFile Ini(Path);
  Ini.WriteInteger(Section, "Top", 7);
  EXPECT_EQ(Names(Dir.Path()), (std::set<std::string>{"clankora.ini", "clankora.ini.tmp-long123",
                                                       "other.ini.tmp-a1B2c3", "clankora.ini.bak"}));
  EXPECT_EQ(Ini.ReadInteger(Section, "Top", 0), 7);
}

TEST(IniFile, GamesSavingAtOnceKeepEachOthersKeys) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/clankora.ini";
  constexpr int KeysEach = 60;
  std::vector<pid_t> Games;
  for (const char* Prefix : {"A", "B", "C"}) {
    const pid_t Pid = fork();
    ASSERT_GE(Pid, 0);
    if (Pid == 0) {
      TIniFile Ini(Path);
      for (int I = 0; I < KeysEach; ++I)
        Ini.WriteInteger(Section, Prefix + std::to_string(I), I);
      _exit(0);
    }
    Games.push_back(Pid);
  }
  for (const pid_t Pid : Games) {
    int Status = 0;
    ASSERT_EQ(waitpid(Pid, &Status, 0), Pid);
    ASSERT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0);
  }
  const TIniFile Ini(Path);
  for (const char* Prefix : {"A", "B", "C"})
    for (int I = 0; I < KeysEach; ++I)
      EXPECT_EQ(Ini.ReadInteger(Section, Prefix + std::to_string(I), -1), I) << Prefix << I;
}

TEST(IniFile, AHeldSaveKeepsAnotherGameWaitingUntilItEnds) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/clankora.ini";
  TIniFile Ini(Path);
  std::optional<TIniSaveLock> Save(std::in_place, Ini);
  Ini.WriteInteger(Section, "Top", 1);
  const pid_t Other = fork();
  ASSERT_GE(Other, 0);
  if (Other == 0) {
    TIniFile Theirs(Path);
    Theirs.WriteInteger(Section, "Top", 2);
    _exit(0);
  }
  // While the save is held the other game's write waits, so the file keeps this game's value.
  usleep(300 * 1000);
  EXPECT_EQ(Ini.ReadInteger(Section, "Top", 0), 1);
  Save.reset();
  int Status = 0;
  ASSERT_EQ(waitpid(Other, &Status, 0), Other);
  EXPECT_EQ(Ini.ReadInteger(Section, "Top", 0), 2);
}
