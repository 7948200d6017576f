#include "platform/files.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool FileExists(const std::string& Path) {
  std::error_code Error;
  return fs::is_regular_file(Path, Error);
}

std::int64_t FileSize(const std::string& Path) {
  if (!FileExists(Path))
    return -1;
  std::FILE* File = std::fopen(Path.c_str(), "rb");
  if (File == nullptr)
    return -1;
  std::int64_t Size = -1;
  if (std::fseek(File, 0, SEEK_END) == 0)
    Size = std::ftell(File);
  std::fclose(File);
  return Size;
}

std::string ChangeFileExt(const std::string& Path, const std::string& NewExt) {
  const auto Slash = Path.find_last_of('/');
  const auto Dot = Path.find_last_of('.');
  if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash))
    return Path + NewExt;
  return Path.substr(0, Dot) + NewExt;
}

std::string ExistingOrAlternative(const std::string& Path, const std::string& AlternativeExt) {
  if (FileExists(Path))
    return Path;
  return ChangeFileExt(Path, AlternativeExt);
}

std::string ProgramPath() {
  std::error_code Error;
  const fs::path Exe = fs::read_symlink("/proc/self/exe", Error);
  if (Error)
    return {};
  return Exe.string();
}

std::string ProgramDir() {
  return fs::path(ProgramPath()).parent_path().string();
}
