#pragma once

#include <array>
#include <cstdint>
#include <string>

// The pictures the game checks by their exact sizes when it starts: the start
// and about screens. Another size means a damaged or wrong set of files. The
// data generator makes them to these sizes, and the tests' pictures copy them.
struct TCheckedFile {
  const char* Name; // in the folder "sprites"
  std::uint32_t Bytes;
};
inline constexpr std::array<TCheckedFile, 2> CheckedDataFiles = {{
    {"1st_screen.png", 24257},
    {"about_screen.png", 26509},
}};

// Whether every checked file in SpritesDir (which ends with '/'), or its
// twin named ".spr", has its size. SizeOf gives a file's size in bytes, or -1
// when it cannot be opened.
bool CheckedFilesIntact(const std::string& SpritesDir, std::int32_t (*SizeOf)(const std::string& Path));
