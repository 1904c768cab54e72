// The file services on real files in a temporary directory of each test's own.
#include "services/files.hpp"

#include <gtest/gtest.h>

#include <set>

#include "test_support.hpp"

namespace {

// A directory with a file, a read-only file and a subdirectory.
class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    putFile(dir / "a.txt", "xy");
    putFile(dir / "ro.txt", "keep");
    setReadOnly(dir / "ro.txt");
    makeDirectory(dir / "sub");
  }

  TempDir dir{"lumo-files"};
};

TEST(ExecutableLocation, IsTheModulePathAndTheCurrentDirectory) {
  recordExecutableLocation();
  EXPECT_EQ(runDirectory() + "\\" + executableName(), testProgramPath());
  char current[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof current, current);
  EXPECT_EQ(std::string(current), runDirectory());
  EXPECT_EQ(systemRunDirectory() + u"\\" + systemExecutableName(), testProgramSystemPath());
  EXPECT_EQ(fromSystemText(systemRunDirectory()), runDirectory());
}

// The wide forms reach what GBK cannot name; the GBK forms, converted, reach the same files.
TEST_F(FilesTest, WideFormsReachANameThatGbkCannotWrite) {
  const SystemText korean = dir / u"타이머.txt";  // names outside the macros, which spell them in GBK
  const SystemText missing = dir / u"타이머 missing.txt";
  EXPECT_TRUE(writeFile(korean, {toBytes("1.0秒"), toBytes("\r\n")}));
  EXPECT_EQ(readFileBytes(korean), "1.0秒\r\n");
  EXPECT_TRUE(fileExists(korean));
  EXPECT_FALSE(fileExists(missing));
  EXPECT_FALSE(fileExists(SystemText()));
  bool created = true;
  const FileNumber file = openFile(korean, kReadWriteExisting, kShareReadWrite, created);
  ASSERT_NE(file, kNoFile);
  EXPECT_FALSE(created);
  EXPECT_TRUE(seekToEnd(file));
  EXPECT_TRUE(writeText(file, {"x"}));
  closeFile(file);
  EXPECT_EQ(readFileBytes(korean), "1.0秒\r\nx");
  const FileNumber fresh = openFile(dir / u"\U0001F600.txt", kReadWriteCreating, kShareReadWrite, created);
  EXPECT_NE(fresh, kNoFile);
  EXPECT_TRUE(created);
  closeFile(fresh);
  EXPECT_TRUE(pathExists(dir / u"\U0001F600.txt"));
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(writeFile(SystemText(), {toBytes("x")}));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
  // A GBK path reaches its Unicode name whatever the system's code page.
  EXPECT_TRUE(writeFile(dir / "秒.txt", {toBytes("gbk")}));
  EXPECT_EQ(readFileBytes(dir / u"秒.txt"), "gbk");
}

// The walks over paths and texts take the lead bytes the system itself takes.
TEST(LeadBytes, AreTheSystemsOwnForCodePage936) {
  for (unsigned byte = 0; byte <= 0xFF; ++byte) {
    EXPECT_EQ(isLeadByte(static_cast<unsigned char>(byte)),
              IsDBCSLeadByteEx(936, static_cast<BYTE>(byte)) != FALSE)
        << std::hex << byte;
  }
}

TEST_F(FilesTest, FileExistsForFilesAndDirectories) {
  EXPECT_TRUE(fileExists(dir / "a.txt"));
  EXPECT_TRUE(fileExists(dir / "sub"));
  EXPECT_TRUE(fileExists(dir / "*.txt"));
  EXPECT_FALSE(fileExists(dir / "missing.txt"));
  EXPECT_FALSE(fileExists(""));
}

TEST_F(FilesTest, FindFileKeepsTheSearchOpenOnAMatchOnly) {
  FindHandle search;
  EXPECT_EQ(findFile(dir / "a.txt", search), "a.txt");
  EXPECT_TRUE(search.valid());
  closeFileSearch(search);
  EXPECT_FALSE(search.valid());

  // A directory of that name is no match; a search left open before is closed.
  EXPECT_EQ(findFile(dir / "a.txt", search), "a.txt");
  EXPECT_EQ(findFile(dir / "sub", search), "");
  EXPECT_FALSE(search.valid());
  EXPECT_EQ(findFile(dir / "missing.txt", search), "");
  EXPECT_FALSE(search.valid());
  closeFileSearch(search);  // on a closed search: nothing
}

TEST_F(FilesTest, FindFileSkipsDirectoriesAndContinuesWithAnEmptyPath) {
  FindHandle search;
  std::set<std::string> names;
  for (std::string name = findFile(dir / "*", search); !name.empty(); name = findFile("", search)) {
    names.insert(name);
  }
  EXPECT_EQ(names, (std::set<std::string>{"a.txt", "ro.txt"}));
  EXPECT_FALSE(search.valid());
  // With a mask, entries that share one of its bits: here the read-only file alone.
  EXPECT_EQ(findFile(dir / "*.txt", FILE_ATTRIBUTE_READONLY, search), "ro.txt");
  EXPECT_EQ(findFile(dir / "*", FILE_ATTRIBUTE_DIRECTORY, search).front(), '.');
}

TEST_F(FilesTest, WriteFileEmptiesOrCreatesAndSkipsEmptyByteSets) {
  EXPECT_TRUE(writeFile(dir / "a.txt", {toBytes("")}));
  EXPECT_EQ(readFileBytes(dir / "a.txt"), "");
  EXPECT_TRUE(writeFile(dir / "new.txt", {toBytes("ab"), Bytes(), toBytes("秒\r\n")}));
  EXPECT_EQ(readFileBytes(dir / "new.txt"), "ab\xC3\xEB\r\n");
}

struct FailureRow {
  const char* name;  // relative to the test directory; "" is the empty path itself
  const char* what;
};

const FailureRow kWriteFileFailures[] = {
    {"", "empty path"},
    {"ro.txt", "read-only file"},
    {"sub", "a directory of that name"},
    {"missing\\b.txt", "missing directory"},
};

TEST_F(FilesTest, WriteFileFailsAndLeavesTheDiskAsItWas) {
  for (const FailureRow& row : kWriteFileFailures) {
    SCOPED_TRACE(row.what);
    const DirectorySnapshot before = snapshotOf(dir.path());
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(writeFile(*row.name ? dir / row.name : "", {toBytes("new")}));
    EXPECT_NE(GetLastError(), 0xdeadbeefu);
    EXPECT_EQ(snapshotOf(dir.path()), before);
  }
  // A file that another holder has open.
  const HANDLE held = CreateFileA((dir / "a.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(writeFile(dir / "a.txt", {toBytes("new")}));
  CloseHandle(held);
  EXPECT_EQ(readFileBytes(dir / "a.txt"), "xy");
}

struct OpenFailureRow {
  const char* name;
  std::int32_t mode;
  std::int32_t sharing;
  const char* what;
};

const OpenFailureRow kOpenFailures[] = {
    {"", 3, 1, "empty path"},
    {"a.txt", 0, 1, "mode below 1"},
    {"a.txt", 7, 1, "mode above 6"},
    {"a.txt", 3, 0, "sharing below 1"},
    {"a.txt", 3, 5, "sharing above 4"},
    {"missing.txt", 3, 1, "missing file: mode 3 opens existing files only"},
    {"ro.txt", 3, 1, "read-only file: mode 3 asks for writing"},
    {"sub", 3, 1, "a directory of that name"},
    {"sub", 6, 1, "a directory of that name, mode 6"},
};

TEST_F(FilesTest, OpenFileFailsWithZeroAndLeavesTheDiskAsItWas) {
  for (const OpenFailureRow& row : kOpenFailures) {
    SCOPED_TRACE(row.what);
    const DirectorySnapshot before = snapshotOf(dir.path());
    SetLastError(0xdeadbeef);
    const FileNumber file = openFile(*row.name ? dir / row.name : "", row.mode, row.sharing);
    EXPECT_EQ(file, kNoFile);
    EXPECT_NE(GetLastError(), 0xdeadbeefu);
    // Zero then reaches nothing.
    EXPECT_FALSE(seekToEnd(file));
    EXPECT_FALSE(writeText(file, {"z"}));
    EXPECT_FALSE(appendLocked(file, toBytes("z")));
    closeFile(file);
    EXPECT_EQ(snapshotOf(dir.path()), before);
  }
}

struct ModeRow {
  std::int32_t mode;
  bool opensMissing;     // and so creates it
  bool emptiesExisting;
  bool writes;
};

const ModeRow kModes[] = {
    {1, false, false, false},
    {2, false, false, true},
    {3, false, false, true},
    {4, true, true, true},
    {5, true, false, true},
    {6, true, false, true},
};

TEST_F(FilesTest, OpenFileModes) {
  for (const ModeRow& row : kModes) {
    SCOPED_TRACE(row.mode);
    bool created = !row.opensMissing;
    const FileNumber missing = openFile(dir / "new.txt", row.mode, kShareReadWrite, created);
    EXPECT_EQ(missing != kNoFile, row.opensMissing);
    EXPECT_EQ(fileExists(dir / "new.txt"), row.opensMissing);
    EXPECT_EQ(created, row.opensMissing);
    closeFile(missing);
    DeleteFileA((dir / "new.txt").c_str());

    putFile(dir / "b.txt", "old");
    created = true;
    const FileNumber existing = openFile(dir / "b.txt", row.mode, kShareReadWrite, created);
    ASSERT_NE(existing, kNoFile);
    EXPECT_FALSE(created);
    EXPECT_EQ(readFileBytes(dir / "b.txt"), row.emptiesExisting ? "" : "old");
    EXPECT_EQ(writeText(existing, {"N"}), row.writes);
    closeFile(existing);
    EXPECT_EQ(readFileBytes(dir / "b.txt"), row.emptiesExisting ? "N" : row.writes ? "Nld" : "old");
  }
}

struct SharingRow {
  std::int32_t sharing;
  bool othersRead;
  bool othersWrite;
};

const SharingRow kSharing[] = {{1, true, true}, {2, false, true}, {3, true, false}, {4, false, false}};

TEST_F(FilesTest, OpenFileSharing) {
  for (const SharingRow& row : kSharing) {
    SCOPED_TRACE(row.sharing);
    const FileNumber file = openFile(dir / "a.txt", kReadWriteExisting, row.sharing);
    ASSERT_NE(file, kNoFile);
    for (const auto& [access, allowed] : {std::pair<DWORD, bool>{GENERIC_READ, row.othersRead},
                                         std::pair<DWORD, bool>{GENERIC_WRITE, row.othersWrite}}) {
      const HANDLE other = CreateFileA((dir / "a.txt").c_str(), access,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
      EXPECT_EQ(other != INVALID_HANDLE_VALUE, allowed) << "access " << std::hex << access;
      if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    }
    closeFile(file);
  }
}

TEST_F(FilesTest, FileNumbersAreDistinctAndDieWithCloseFile) {
  const FileNumber first = openFile(dir / "a.txt");
  const FileNumber second = openFile(dir / "a.txt");  // defaults: read-write, others too
  ASSERT_NE(first, kNoFile);
  ASSERT_NE(second, kNoFile);
  EXPECT_NE(first, second);
  closeFile(first);
  closeFile(first);  // twice: nothing
  EXPECT_FALSE(writeText(first, {"closed"}));
  EXPECT_FALSE(seekToEnd(first));
  EXPECT_TRUE(writeText(second, {"Q"}));  // the other number still names its file
  closeFile(second);
  EXPECT_EQ(readFileBytes(dir / "a.txt"), "Qy");  // the position started at the beginning
}

TEST_F(FilesTest, WriteTextAddsNoTerminatorAndSeekToEndAppendsAfterTheLastByte) {
  const FileNumber fresh = openFile(dir / "five.txt", kReadWriteCreating);
  EXPECT_TRUE(writeText(fresh, {"abc"}));
  EXPECT_TRUE(writeText(fresh, {"\r\n"}));
  EXPECT_TRUE(writeText(fresh, {""}));
  closeFile(fresh);
  EXPECT_EQ(readFileBytes(dir / "five.txt"), "abc\r\n");

  // "xy" ends no line; the text goes right after it.
  const FileNumber file = openFile(dir / "a.txt");
  EXPECT_TRUE(seekToEnd(file));
  EXPECT_TRUE(writeText(file, {"1.", "0秒5毫秒", "\r\n"}));
  closeFile(file);
  EXPECT_EQ(readFileBytes(dir / "a.txt"), "xy1.0秒5毫秒\r\n");
}

TEST_F(FilesTest, FailedWritesLeaveTheFileAsItWas) {
  const FileNumber readOnly = openFile(dir / "a.txt", kReadExisting);
  ASSERT_NE(readOnly, kNoFile);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(writeText(readOnly, {"abc"}));
  EXPECT_NE(GetLastError(), 0xdeadbeefu);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(appendLocked(readOnly, toBytes("abc")));
  EXPECT_NE(GetLastError(), 0xdeadbeefu);
  closeFile(readOnly);
  EXPECT_EQ(readFileBytes(dir / "a.txt"), "xy");
}

TEST_F(FilesTest, AppendLockedGoesAfterTheLastByteWhateverThePosition) {
  const FileNumber first = openFile(dir / "a.txt");
  const FileNumber second = openFile(dir / "a.txt");
  EXPECT_TRUE(appendLocked(first, toBytes("z")));
  EXPECT_TRUE(appendLocked(second, toBytes("w")));  // moves the end under the first
  EXPECT_TRUE(appendLocked(first, toBytes("\r\n")));
  EXPECT_TRUE(appendLocked(first, Bytes()));
  // Other holders can still read the log while it is open for appending.
  EXPECT_EQ(readFileBytes(dir / "a.txt"), "xyzw\r\n");
  closeFile(first);
  closeFile(second);
}

// In WriteFile's place: the first half of the bytes reaches the disk, then the write stops, with
// success and a short count (as a disk that fills on the way reports it) or with an error.
BOOL WINAPI writeHalfShort(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                           LPOVERLAPPED overlapped) {
  return WriteFile(file, data, size / 2, written, overlapped);
}

BOOL WINAPI writeHalfThenFail(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                              LPOVERLAPPED overlapped) {
  (void)WriteFile(file, data, size / 2, written, overlapped);
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

struct BrokenWriteRow {
  const char* what;
  WriteFileFunction write;
  DWORD error;  // what appendLocked leaves in GetLastError
};

const BrokenWriteRow kBrokenWrites[] = {
    {"a short write", writeHalfShort, ERROR_HANDLE_DISK_FULL},
    {"a write that fails half-way", writeHalfThenFail, ERROR_DISK_FULL},
};

TEST_F(FilesTest, AppendLockedCutsOffAWriteThatStopsInTheMiddle) {
  for (const BrokenWriteRow& row : kBrokenWrites) {
    SCOPED_TRACE(row.what);
    putFile(dir / "a.txt", "xy");
    const FileNumber file = openFile(dir / "a.txt");
    ASSERT_NE(file, kNoFile);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(appendLocked(file, toBytes("1.0秒5毫秒\r\n"), row.write));
    EXPECT_EQ(GetLastError(), row.error);
    EXPECT_EQ(readFileBytes(dir / "a.txt"), "xy");
    // The lock is free again, and the next block goes right after the old end.
    EXPECT_TRUE(appendLocked(file, toBytes("z")));
    closeFile(file);
    EXPECT_EQ(readFileBytes(dir / "a.txt"), "xyz");
  }
}

}  // namespace
