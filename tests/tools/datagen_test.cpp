// The committed pictures and sounds are exactly what the generator makes:
// nobody edited a file by hand, and nobody changed the generator without
// committing its output.
#include <gtest/gtest.h>

#include "platform/png_image.h"
#include "support/test_pictures.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace {

std::set<std::string> FilesUnder(const fs::path& Dir) {
  std::set<std::string> Files;
  for (const auto& Entry : fs::recursive_directory_iterator(Dir))
    if (Entry.is_regular_file())
      Files.insert(fs::relative(Entry.path(), Dir).generic_string());
  return Files;
}

std::string Bytes(const fs::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(Datagen, RegeneratesTheCommittedDataByteForByte) {
  TTempDir Dir;
  const fs::path Out = fs::path(Dir.Path()) / "data";
  const fs::path Sheet = fs::path(Dir.Path()) / "contact_sheet.png";
  const std::string Command = std::string("\"") + CLANKORA_DATAGEN + "\" \"" + Out.string() + "\" \"" +
                              Sheet.string() + "\" > \"" + Dir.Path() + "/log.txt\" 2>&1";
  ASSERT_EQ(std::system(Command.c_str()), 0) << Bytes(fs::path(Dir.Path()) / "log.txt");

  const fs::path Committed = fs::path(CLANKORA_SOURCE_DIR) / "data";
  const std::set<std::string> Made = FilesUnder(Out);
  EXPECT_EQ(Made, FilesUnder(Committed));
  EXPECT_EQ(Made.size(), 49u + 9u + 8u); // pictures, sounds, icon sizes
  for (const std::string& File : Made)
    EXPECT_TRUE(Bytes(Out / File) == Bytes(Committed / File)) << File << " differs from the committed file";

  // The contact sheet is left beside the data, not in it, and is a picture.
  TPngImage SheetImage;
  ASSERT_NO_THROW(SheetImage.LoadFromFile(Sheet.string()));
  EXPECT_GT(SheetImage.Width(), 640u);
}

TEST(Datagen, RefusesToRunWithoutAnOutputFolder) {
  const std::string Command = std::string("\"") + CLANKORA_DATAGEN + "\" > /dev/null 2>&1";
  EXPECT_NE(std::system(Command.c_str()), 0);
}
