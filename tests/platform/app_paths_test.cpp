#include <gtest/gtest.h>

#include "platform/app_paths.h"
#include "platform/ini_file.h"
#include "support/ordinary_user.h"
#include "support/test_pictures.h"

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

TEST(AppPaths, DataIsSearchedBesideTheProgramThenInShareThenInTheXdgFolders) {
  struct TCase {
    const char* Name;
    TAppEnvironment Env;
    std::vector<std::string> Expected;
  };
  const TCase Cases[] = {
      {"defaults",
       {"/opt/game/bin/clankora", "/home/p", "", "", ""},
       {"/opt/game/bin", "/opt/game/share/clankora", "/home/p/.local/share/clankora", "/usr/local/share/clankora",
        "/usr/share/clankora"}},
      {"variables set; relative and empty entries are ignored, trailing slashes dropped",
       {"/opt/game/bin/clankora", "/home/p/", "/data/home/", "/a:relative::/b/", ""},
       {"/opt/game/bin", "/opt/game/share/clankora", "/data/home/clankora", "/a/clankora", "/b/clankora"}},
      {"a relative XDG_DATA_HOME is as if unset",
       {"/opt/game/bin/clankora", "/home/p", "data", "/a", ""},
       {"/opt/game/bin", "/opt/game/share/clankora", "/home/p/.local/share/clankora", "/a/clankora"}},
      {"installed in /usr/games: the shared folder is named once",
       {"/usr/games/clankora", "/root", "", "", ""},
       {"/usr/games", "/usr/share/clankora", "/root/.local/share/clankora", "/usr/local/share/clankora"}},
      {"no home: no XDG data home",
       {"/opt/game/bin/clankora", "", "", "/a", ""},
       {"/opt/game/bin", "/opt/game/share/clankora", "/a/clankora"}},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(DataDirCandidates(C.Env), C.Expected) << C.Name;
}

namespace {
// A make-believe machine in a temporary folder: the program in "prefix/games",
// its shared data folder "prefix/share/clankora", a home, two XDG data folders.
class TMachine {
public:
  TMachine() {
    for (const char* Folder : {"prefix/games", "prefix/share/clankora", "home", "xdg1", "xdg2"})
      fs::create_directories(At(Folder));
    // An ordinary user must be able to look through it.
    for (const char* Folder : {"", "/prefix", "/prefix/share"})
      fs::permissions(Dir.Path() + Folder, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  }

  std::string At(const std::string& Relative) const { return Dir.Path() + "/" + Relative; }
  std::string Relative(const std::string& Path) const {
    return Path.rfind(Dir.Path() + "/", 0) == 0 ? Path.substr(Dir.Path().size() + 1) : "outside: " + Path;
  }

  TAppEnvironment Env(const std::string& ExeName = "clankora") const {
    return {At("prefix/games/" + ExeName), At("home"), "", At("xdg1") + ":" + At("xdg2"), ""};
  }

private:
  TTempDir Dir;
};
} // namespace

TEST(AppPaths, TheFirstFolderHoldingSpritesIsTheDataFolder) {
  struct TCase {
    std::vector<std::string> SpritesFolders;
    std::string Expected;
  };
  const TCase Cases[] = {
      {{"prefix/games", "prefix/share/clankora", "home/.local/share/clankora", "xdg1/clankora"}, "prefix/games"},
      {{"prefix/share/clankora", "home/.local/share/clankora", "xdg1/clankora"}, "prefix/share/clankora"},
      {{"home/.local/share/clankora", "xdg2/clankora"}, "home/.local/share/clankora"},
      {{"xdg2/clankora"}, "xdg2/clankora"},
      // Nowhere: the program's own folder, where the load error then points.
      {{}, "prefix/games"},
  };
  for (const TCase& C : Cases) {
    TMachine M;
    for (const std::string& Folder : C.SpritesFolders)
      fs::create_directories(M.At(Folder + "/sprites"));
    EXPECT_EQ(M.Relative(FindDataDir(M.Env())), C.Expected) << "first with sprites: " << C.SpritesFolders.size();
  }
}

TEST(AppPaths, AFileNamedSpritesIsNoDataFolder) {
  TMachine M;
  std::ofstream(M.At("prefix/games/sprites")) << "not a folder";
  fs::create_directories(M.At("xdg1/clankora/sprites"));
  EXPECT_EQ(M.Relative(FindDataDir(M.Env())), "xdg1/clankora");
}

TEST(AppPaths, SettingsStayBesideAGameInAFolderOfItsOwnAndGoHomeOtherwise) {
  struct TCase {
    const char* Name;
    const char* DataIn;  // the folder holding sprites/, empty for none
    bool ProgramFolderWritable;
    bool SettingsBeside; // a settings file beside the program already
    const char* ConfigHome; // XDG_CONFIG_HOME, relative to the machine, or "" for unset
    const char* ExeName;
    const char* Expected;
  };
  const TCase Cases[] = {
      {"build folder", "prefix/games", true, false, "", "clankora", "prefix/games/clankora.ini"},
      {"renamed copy in a folder of its own", "prefix/games", true, false, "", "mygame", "prefix/games/mygame.ini"},
      {"unpacked read-only with settings", "prefix/games", false, true, "", "clankora", "prefix/games/clankora.ini"},
      {"unpacked read-only", "prefix/games", false, false, "", "clankora", "home/.config/clankora/clankora.ini"},
      {"installed, program folder writable (root)", "prefix/share/clankora", true, false, "", "clankora",
       "home/.config/clankora/clankora.ini"},
      {"installed, XDG_CONFIG_HOME set", "prefix/share/clankora", false, false, "/cfg/", "clankora",
       "cfg/clankora/clankora.ini"},
      {"installed, XDG_CONFIG_HOME relative", "prefix/share/clankora", false, false, "cfg", "clankora",
       "home/.config/clankora/clankora.ini"},
      {"installed with settings put beside it", "prefix/share/clankora", false, true, "", "clankora",
       "prefix/games/clankora.ini"},
      {"no data anywhere", "", true, false, "", "clankora", "prefix/games/clankora.ini"},
  };
  for (const TCase& C : Cases) {
    TMachine M;
    if (*C.DataIn != '\0')
      fs::create_directories(M.At(std::string(C.DataIn) + "/sprites"));
    if (C.SettingsBeside)
      std::ofstream(M.At(std::string("prefix/games/") + C.ExeName + ".ini")) << "[Tinvell: 01h]\n";
    const fs::perms Everyone = fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(M.At("prefix/games"), C.ProgramFolderWritable ? fs::perms::all : Everyone);
    fs::permissions(M.At("home"), fs::perms::all);
    fs::create_directory(M.At("cfg"));
    fs::permissions(M.At("cfg"), fs::perms::all);
    TAppEnvironment Env = M.Env(C.ExeName);
    if (*C.ConfigHome == '/')
      Env.XdgConfigHome = M.At(C.ConfigHome + 1);
    else
      Env.XdgConfigHome = C.ConfigHome;

    const std::string Verdict = AsOrdinaryUser([&]() -> std::string {
      const std::string Path = SettingsPath(Env);
      if (M.Relative(Path) != C.Expected)
        return "settings at " + M.Relative(Path);
      if (!fs::is_directory(fs::path(Path).parent_path()))
        return "its folder was not made";
      return {};
    });
    EXPECT_EQ(Verdict, "") << C.Name;
  }
}

TEST(AppPaths, AHomeThatMayNotBeWrittenGivesTheUsualWriteError) {
  TMachine M;
  fs::create_directories(M.At("prefix/share/clankora/sprites"));
  fs::permissions(M.At("home"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
  const std::string Verdict = AsOrdinaryUser([&M]() -> std::string {
    const std::string Path = SettingsPath(M.Env());
    if (M.Relative(Path) != "home/.config/clankora/clankora.ini")
      return "settings at " + M.Relative(Path);
    TIniFile Ini(Path);
    if (Ini.ReadInteger("Tinvell: 01h", "StartLevel", 5) != 5)
      return "no default from a missing file";
    try {
      Ini.WriteInteger("Tinvell: 01h", "StartLevel", 4);
    } catch (const EIniWriteError& Error) {
      return std::string(Error.what()) == "Unable to write to " + Path ? "" : "message: " + std::string(Error.what());
    }
    return "the write went through";
  });
  EXPECT_EQ(Verdict, "");
}
