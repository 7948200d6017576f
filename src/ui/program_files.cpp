#include "ui/program_files.h"

#include "platform/app_paths.h"

TAppFiles ProgramFiles() {
  const TAppEnvironment Env = CurrentAppEnvironment();
  return {FindDataDir(Env), SettingsPath(Env), DataDirCandidates(Env)};
}
