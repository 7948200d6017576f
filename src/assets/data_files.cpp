#include "assets/data_files.h"

#include "platform/files.h"

#include <algorithm>

bool CheckedFilesIntact(const std::string& SpritesDir, std::int32_t (*SizeOf)(const std::string& Path)) {
  return std::all_of(CheckedDataFiles.begin(), CheckedDataFiles.end(), [&](const TCheckedFile& File) {
    return SizeOf(ExistingOrAlternative(SpritesDir + File.Name, ".spr")) == static_cast<std::int32_t>(File.Bytes);
  });
}
