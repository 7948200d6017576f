#include "platform/app_paths.h"

#include "platform/files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
const std::string GameFolder = "clankora";

std::string Variable(const char* Name) {
  const char* Value = std::getenv(Name);
  return Value != nullptr ? Value : "";
}

// The XDG base directories count only absolute paths; anything else is as if unset.
bool IsAbsolute(const std::string& Path) { return !Path.empty() && Path.front() == '/'; }

std::string WithoutTrailingSlash(std::string Path) {
  while (Path.size() > 1 && Path.back() == '/')
    Path.pop_back();
  return Path;
}

std::string ExeDir(const TAppEnvironment& Env) { return fs::path(Env.ExePath).parent_path().string(); }

std::string ConfigHome(const TAppEnvironment& Env) {
  if (IsAbsolute(Env.XdgConfigHome))
    return WithoutTrailingSlash(Env.XdgConfigHome);
  if (IsAbsolute(Env.Home))
    return WithoutTrailingSlash(Env.Home) + "/.config";
  return {};
}

bool IsFolder(const std::string& Path) {
  std::error_code Error;
  return fs::is_directory(Path, Error);
}
} // namespace

TAppEnvironment CurrentAppEnvironment() {
  TAppEnvironment Env{ProgramPath(), Variable("HOME"), Variable("XDG_DATA_HOME"), Variable("XDG_DATA_DIRS"),
                      Variable("XDG_CONFIG_HOME")};
  if (Env.Home.empty()) {
    if (const passwd* User = getpwuid(getuid()); User != nullptr && User->pw_dir != nullptr)
      Env.Home = User->pw_dir;
  }
  return Env;
}

std::vector<std::string> DataDirCandidates(const TAppEnvironment& Env) {
  const std::string Beside = ExeDir(Env);
  std::vector<std::string> Dirs{Beside, WithoutTrailingSlash((fs::path(Beside) / "../share" / GameFolder)
                                                                 .lexically_normal()
                                                                 .string())};
  std::string DataHome = Env.XdgDataHome;
  if (!IsAbsolute(DataHome) && IsAbsolute(Env.Home))
    DataHome = WithoutTrailingSlash(Env.Home) + "/.local/share";
  std::vector<std::string> Bases{DataHome};
  const std::string DataDirs = Env.XdgDataDirs.empty() ? "/usr/local/share:/usr/share" : Env.XdgDataDirs;
  for (std::size_t Start = 0; Start <= DataDirs.size();) {
    const std::size_t End = std::min(DataDirs.find(':', Start), DataDirs.size());
    Bases.push_back(DataDirs.substr(Start, End - Start));
    Start = End + 1;
  }
  for (const std::string& Base : Bases) {
    if (!IsAbsolute(Base))
      continue;
    const std::string Dir = WithoutTrailingSlash(Base) + "/" + GameFolder;
    if (std::find(Dirs.begin(), Dirs.end(), Dir) == Dirs.end())
      Dirs.push_back(Dir);
  }
  return Dirs;
}

std::string FindDataDir(const TAppEnvironment& Env) {
  for (const std::string& Dir : DataDirCandidates(Env))
    if (IsFolder(Dir + "/sprites"))
      return Dir;
  return ExeDir(Env);
}

std::string SettingsPath(const TAppEnvironment& Env) {
  const std::string Beside = ChangeFileExt(Env.ExePath, ".ini");
  // A game in a folder of its own keeps its settings there, as it always did;
  // an installed one may not write beside its executable, nor should root's copy.
  const bool OwnFolder = FindDataDir(Env) == ExeDir(Env);
  if (FileExists(Beside) || (OwnFolder && access(ExeDir(Env).c_str(), W_OK) == 0))
    return Beside;
  const std::string Config = ConfigHome(Env);
  if (Config.empty())
    return Beside;
  const std::string Folder = Config + "/" + GameFolder;
  std::error_code Ignored;
  fs::create_directories(Folder, Ignored);
  return Folder + "/" + GameFolder + ".ini";
}
