// Runs a fuzz target once on every file given, or in a folder given: the
// corpus replayed as a plain test, without libFuzzer. A broken rule aborts.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> Inputs;
  for (int I = 1; I < argc; ++I) {
    const fs::path Arg = argv[I];
    if (fs::is_directory(Arg)) {
      for (const auto& Entry : fs::directory_iterator(Arg))
        if (Entry.is_regular_file())
          Inputs.push_back(Entry.path());
    } else if (fs::is_regular_file(Arg)) {
      Inputs.push_back(Arg);
    } else {
      // A corpus that is not where it was looked for must not pass as replayed.
      std::fprintf(stderr, "%s: no such file or folder\n", argv[I]);
      return 2;
    }
  }
  std::sort(Inputs.begin(), Inputs.end());
  if (Inputs.empty()) {
    std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
    return 2;
  }
  for (const fs::path& Input : Inputs) {
    std::ifstream In(Input, std::ios::binary);
    if (!In) {
      std::fprintf(stderr, "%s: cannot be read\n", Input.c_str());
      return 2;
    }
    const std::vector<char> Bytes{std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
    std::printf("%s\n", Input.filename().c_str());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(Bytes.data()), Bytes.size());
  }
  std::printf("%zu inputs replayed\n", Inputs.size());
  return 0;
}
