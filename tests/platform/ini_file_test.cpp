#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "support/test_pictures.h"

#include <filesystem>

#include <functional>

#include <sys/wait.h>
#include <unistd.h>
#include <fstream>
#include <sstream>

namespace {
const std::string Section = "Tinvell: 01h";

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
      {"0x100000000", false, 0}, {"+7", true, 7},
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

namespace {
// Runs Body as an ordinary user: root may write anywhere, a player may not.
// Returns Body's verdict, empty when it held.
std::string AsOrdinaryUser(const std::function<std::string()>& Body) {
  if (geteuid() != 0)
    return Body();
  int Pipe[2];
  if (pipe(Pipe) != 0)
    return "no pipe";
  const pid_t Child = fork();
  if (Child == 0) {
    close(Pipe[0]);
    std::string Verdict = "cannot become an ordinary user";
    if (setgid(65534) == 0 && setuid(65534) == 0)
      Verdict = Body();
    [[maybe_unused]] const auto Written = write(Pipe[1], Verdict.data(), Verdict.size());
    _exit(0);
  }
  close(Pipe[1]);
  std::string Verdict;
  char Buffer[256];
  for (ssize_t N; (N = read(Pipe[0], Buffer, sizeof Buffer)) > 0;)
    Verdict.append(Buffer, static_cast<std::size_t>(N));
  close(Pipe[0]);
  int Status = 0;
  waitpid(Child, &Status, 0);
  return Verdict;
}
} // namespace

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
    try {
      Ini.WriteInteger(Section, "StartLevel", 4);
      return "the write went through";
    } catch (const EIniWriteError& Error) {
      if (std::string(Error.what()) != "Unable to write to " + Path)
        return std::string("wrong message: ") + Error.what();
    }
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
