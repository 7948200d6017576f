#pragma once

#include <cstdint>
#include <string>
#include <vector>

// File helpers. Paths use '/'.

bool FileExists(const std::string& Path);

// The size of the file in bytes, or -1 when it cannot be opened for reading.
std::int64_t FileSize(const std::string& Path);

// The path with its extension (from the last '.' of the file name on) replaced
// by NewExt, which includes its dot; a name without extension gets NewExt added.
std::string ChangeFileExt(const std::string& Path, const std::string& NewExt);

// Whether anything of that name exists: a file, a folder, a broken link.
bool NameExists(const std::string& Path);

// The name as given when anything of that name exists (also a folder or a
// broken link, which the loader then refuses by this name), otherwise the
// same path with the other extension: every data file of the game has a
// second name.
std::string ExistingOrAlternative(const std::string& Path, const std::string& AlternativeExt);

// What reading a whole file found. Error is the system's error number when
// the file is missing or cannot be read; Size is the size of a file too large.
struct TFileRead {
  enum TKind { Ok, Missing, Folder, NotRegular, TooLarge, Unreadable } Kind = Ok;
  int Error = 0;
  std::uintmax_t Size = 0;
};
// Reads the whole of Path into Data when it is a regular file of at most
// MaxBytes. A folder, a FIFO, a device or a file too large is refused
// unopened, so that no name a player gives can make the game wait or fill
// its memory.
TFileRead ReadRegularFile(const std::string& Path, std::uintmax_t MaxBytes, std::vector<unsigned char>& Data);

// Full path of the running executable, and its folder without a trailing '/'.
std::string ProgramPath();
std::string ProgramDir();

// Replaces the file's whole content with Text so that no failure loses what it
// held: the text goes to a new file beside it, which is flushed to disk and
// then renamed over the old one. A symbolic link is written through (the link
// stays, the file it leads to gets the text); the file keeps its mode. False,
// with the file as it was, when the file may not be written by this user, is
// not a regular file, or the disk refuses the text. Only a folder that refuses
// new files has the file rewritten in place, and then it is grown before it is
// overwritten, so that a full disk cannot cut off its end.
bool ReplaceFileContents(const std::string& Path, const std::string& Text);

// Removes the new files that replacements of Path interrupted by a crash or a
// kill left beside it. Only while no other replacement of Path can be under way.
void RemoveStaleReplacements(const std::string& Path);

// A file written from its start and then only ever appended to, each piece
// flushed to disk before the next is written: whatever ends the program
// leaves every piece it wrote, at worst without the last.
class TAppendFile {
public:
  TAppendFile() = default;
  ~TAppendFile();
  TAppendFile(const TAppendFile&) = delete;
  TAppendFile& operator=(const TAppendFile&) = delete;

  // Makes Path an empty regular file (a new one, or the one there, emptied);
  // false, with Error() the system's reason, when it cannot.
  bool Open(const std::string& Path);
  // Adds Size bytes at the end and flushes them; false, with Error() the
  // system's reason and the file cut back to what it held, when the disk
  // refuses them.
  bool Append(const std::uint8_t* Data, std::size_t Size);
  void Close();
  bool IsOpen() const { return Fd >= 0; }
  const std::string& Error() const { return Reason; }

private:
  bool Fail();
  int Fd = -1;
  std::uint64_t Written = 0;
  std::string Reason;
};
