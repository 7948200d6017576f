#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/test_pictures.h"

#include <fstream>

TEST(ChangeFileExt, ReplacesOnlyTheExtensionOfTheFileName) {
  struct TCase {
    const char* Path;
    const char* Ext;
    const char* Expected;
  };
  const TCase Cases[] = {
      {"/opt/game/clankora", ".ini", "/opt/game/clankora.ini"},
      {"/opt/game/clankora.exe", ".ini", "/opt/game/clankora.ini"},
      {"sprites/1st_screen.png", ".spr", "sprites/1st_screen.spr"},
      {"/opt/my.game/clankora", ".ini", "/opt/my.game/clankora.ini"},
      {"a.b.wav", ".snd", "a.b.snd"},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(ChangeFileExt(C.Path, C.Ext), C.Expected) << C.Path;
}

TEST(Files, ExistenceSizeAndTheSecondName) {
  TTempDir Dir;
  const std::string Png = Dir.Path() + "/x.png";
  const std::string Spr = Dir.Path() + "/x.spr";
  EXPECT_FALSE(FileExists(Png));
  EXPECT_EQ(FileSize(Png), -1);
  EXPECT_EQ(ExistingOrAlternative(Png, ".spr"), Spr);
  std::ofstream(Spr) << "12345";
  EXPECT_EQ(FileSize(Spr), 5);
  EXPECT_EQ(ExistingOrAlternative(Png, ".spr"), Spr);
  std::ofstream(Png) << "1";
  EXPECT_EQ(ExistingOrAlternative(Png, ".spr"), Png);
  // A folder is not a file the game can read.
  EXPECT_FALSE(FileExists(Dir.Path()));
  EXPECT_EQ(FileSize(Dir.Path()), -1);
}

TEST(Files, TheProgramKnowsWhereItLives) {
  const std::string Dir = ProgramDir();
  EXPECT_FALSE(Dir.empty());
  EXPECT_NE(Dir.back(), '/');
  EXPECT_EQ(ProgramPath().rfind(Dir + "/", 0), 0u);
}
