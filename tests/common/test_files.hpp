// Files and directories for the tests: whole files read and written in one go, a temporary
// directory of the test's own, snapshots for "nothing changed" checks, directories that refuse
// writes, and a drive letter for a directory.
#pragma once

#include <map>
#include <string>
#include <string_view>

// The whole file; empty when it is missing or cannot be read.
std::string readFileBytes(const std::string& path);
// The same by the file's Unicode name, which the ANSI code page may have no characters for.
std::string readFileBytes(const std::u16string& path);
// Creates or truncates the file; true when every byte was written.
bool writeFileBytes(const std::string& path, const std::string& bytes);
// The same for a test's own set-up, which reports a failure on the error stream.
void putFile(const std::string& path, const std::string& bytes);
void makeDirectory(const std::string& path);
void setReadOnly(const std::string& file);
// A file or a directory of that name (a pattern: anything that it matches).
bool pathExists(const std::string& path);
// The file, or the directory with everything in it, write permissions given back first. What it
// holds is found by its Unicode names, which the ANSI code page may have no characters for.
void removeTree(const std::string& path);
void removeTree(const std::u16string& path);

// A fresh directory under the system's temporary folder; with a name, a directory of exactly
// that name inside a fresh one. When it goes, every program still running from inside it is
// ended and it is removed with everything it holds.
class TempDir {
 public:
  explicit TempDir(std::string_view name = "");
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "\\" + std::string(name); }
  // A name that GBK may not write, for the wide functions.
  std::u16string operator/(std::u16string_view name) const;

 private:
  std::string root_;  // what this object made, and removes
  std::string path_;
};

// Every entry below a directory by its relative path: "dir" for a directory, fileEntry() for a
// file. Two snapshots compare equal when nothing on disk changed in between.
using DirectorySnapshot = std::map<std::string, std::string>;
DirectorySnapshot snapshotOf(const std::string& directory);
std::string fileEntry(const std::string& bytes, bool readOnly = false);

// Whether this user may create a file in the directory, tried for real.
bool canCreateFileIn(const std::string& directory);
// Takes away (gives back) this user's right to create files in the directory, for real: the
// owner's permission, not the read-only attribute, which the system ignores for directories.
// True once the directory behaves so.
bool denyWritesTo(const std::string& directory);
bool allowWritesTo(const std::string& directory);

// A directory that refuses writes while the object lives, and takes them again when it goes,
// however the test ended.
class ReadOnlyDirectory {
 public:
  explicit ReadOnlyDirectory(std::string directory);
  ReadOnlyDirectory(const ReadOnlyDirectory&) = delete;
  ReadOnlyDirectory& operator=(const ReadOnlyDirectory&) = delete;
  ~ReadOnlyDirectory();
  // False when the directory could not be made read-only.
  bool denied() const { return denied_; }

 private:
  std::string directory_;
  bool denied_;
};

// A free drive letter ("R:") whose root is the directory, while the object lives; the root of a
// drive is the one directory whose path ends in a backslash. Empty name when none could be made.
// Under Wine a link in the prefix's dosdevices directory, on Windows DefineDosDevice (as subst).
class MappedDrive {
 public:
  explicit MappedDrive(const std::string& directory);
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;
  ~MappedDrive();
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};
