// The program's way to the file system: where the executable lives, finding files, writing a
// whole file, and files opened by number for appending text.
//
// Every operation reports failure by its result (false, 0 or the empty text) and leaves the
// system's reason in GetLastError for the callers that tell the user why.
//
// Paths are GBK texts, converted where they cross to the system's wide functions, or UTF-16 for
// the paths that GBK cannot write (a run directory named "타이머", say): the program builds those
// from systemRunDirectory.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "services/handles.hpp"
#include "services/system_text.hpp"
#include "services/text.hpp"

// Takes the executable's path from the system once at start-up, splits it into run directory and
// executable name, and makes the run directory the current directory: processes started later
// inherit it, so a bare name (the restart script's, say) means a file next to the executable.
void recordExecutableLocation();
std::string runDirectory();
std::string executableName();
// The same as the system gives them, in UTF-16: they reach the executable whatever its path holds,
// where the GBK forms above have a "?" for each character that GBK cannot write.
SystemText systemRunDirectory();
SystemText systemExecutableName();

// True when anything matches the path: a file or a directory, wildcards as the system reads them.
bool fileExists(const std::string& path);
bool fileExists(const SystemText& path);

// The name (without directory) of the first entry that matches the path and is not a directory;
// the search stays open in `search` until closeFileSearch. Nothing found: the empty text and
// `search` closed. An empty path continues the search already in `search`.
std::string findFile(const std::string& path, FindHandle& search);
// The same with an attribute mask: only its bits 0x37 count, and an entry matches when its
// attributes share a bit with them; a mask of 0 matches entries whose attributes are 0.
std::string findFile(const std::string& path, std::uint32_t attributeMask, FindHandle& search);
void closeFileSearch(FindHandle& search);

// Creates the file or empties an existing one, then writes the byte sets in order; the file is
// never held open beyond the call. False when it cannot be created or a write fails or is short.
bool writeFile(const std::string& path, std::initializer_list<Bytes> byteSets);
bool writeFile(const SystemText& path, std::initializer_list<Bytes> byteSets);

// A number that names a file opened by openFile until closeFile; 0 is no file.
using FileNumber = std::int32_t;
constexpr FileNumber kNoFile = 0;

enum FileMode : std::int32_t {
  kReadExisting = 1,
  kWriteExisting = 2,
  kReadWriteExisting = 3,
  kWriteEmptied = 4,         // emptied, or created when missing
  kWriteCreating = 5,        // created when missing
  kReadWriteCreating = 6,    // created when missing
};
enum FileSharing : std::int32_t {
  kShareReadWrite = 1,
  kShareWriteOnly = 2,
  kShareReadOnly = 3,
  kShareNone = 4,
};

// 0 for an empty path, a mode or sharing out of range, or a file the system will not open so.
// The position starts at the beginning of the file.
FileNumber openFile(const std::string& path, std::int32_t mode = kReadWriteExisting,
                    std::int32_t sharing = kShareReadWrite);
// The same, telling whether this call created the file: a creating mode that found it missing.
FileNumber openFile(const std::string& path, std::int32_t mode, std::int32_t sharing,
                    bool& created);
FileNumber openFile(const SystemText& path, std::int32_t mode, std::int32_t sharing, bool& created);
bool seekToEnd(FileNumber file);
// Writes the texts' bytes at the position, no terminator or line end added. When a write fails or
// is short, the position goes back to where the call found it; bytes already written stay.
bool writeText(FileNumber file, std::initializer_list<std::string_view> texts);
// Does nothing for a number that is not open (0 included).
void closeFile(FileNumber file);

// The system's WriteFile, or a function of its very type in its place.
using WriteFileFunction = decltype(&WriteFile);

// Appends the block at the end of the file as one unit, even while other processes append to the
// same file this way: it holds an exclusive lock for the seek and the single write, waiting for
// it as long as another holder has it. A failed or short write is cut off again, so the file ends
// as it did before the call. Open the file with read-write sharing so that all can reach it.
// The write goes through `write`: no disk stops a write in its middle on demand, and this is how
// a test brings that about and sees the cut-back.
bool appendLocked(FileNumber file, const Bytes& block, WriteFileFunction write = WriteFile);
