// The lap log on real files: created when missing, appended to, whole across processes, and
// every failure reported with the disk left as it was.
#include "lapfile/lap_log.hpp"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <vector>

#include "services/files.hpp"
#include "services/handles.hpp"
#include "services/system_error.hpp"
#include "system_wording.hpp"
#include "test_support.hpp"

namespace {

const std::string kTwoLaps = "1.0秒52毫秒\r\n2.1秒3毫秒\r\n";

class LapLogTest : public testing::Test {
 protected:
  LapLogResult save(const std::string& text) {
    return appendLapLogIn(dir.path(), lapLogBaseName, text);
  }
  std::string logPath() const { return dir / std::string(lapLogFileName); }

  TempDir dir{"lumo-laplog"};
};

TEST_F(LapLogTest, CreatesTheFileThenAppendsTheSameBlockAgain) {
  const LapLogResult first = save(kTwoLaps);
  EXPECT_TRUE(first.saved);
  EXPECT_EQ(first.path, toSystemText(logPath()));
  EXPECT_EQ(first.systemError, 0u);
  EXPECT_EQ(readFileBytes(logPath()), kTwoLaps + "\r\n");
  EXPECT_TRUE(save(kTwoLaps).saved);
  EXPECT_EQ(readFileBytes(logPath()), kTwoLaps + "\r\n" + kTwoLaps + "\r\n");
}

TEST_F(LapLogTest, AnEmptyTextAddsTwoBytesAndMakesAMissingFile) {
  EXPECT_TRUE(save("").saved);
  EXPECT_EQ(readFileBytes(logPath()), "\r\n");
  EXPECT_TRUE(save("").saved);
  EXPECT_EQ(readFileBytes(logPath()), "\r\n\r\n");
}

TEST_F(LapLogTest, AppendsRightAfterALastByteThatEndsNoLine) {
  putFile(logPath(), "old");
  const std::string typed = "用户\r\n写的　字 \t";  // whatever the user typed, unchanged
  EXPECT_TRUE(save(typed).saved);
  EXPECT_EQ(readFileBytes(logPath()), "old" + typed + "\r\n");
}

struct RunDirectoryRow {
  const char16_t* name;
  const char* why;
};

const RunDirectoryRow kRunDirectories[] = {
    {u"lumo", "a plain directory"},
    {u"綷", "BE 5C in GBK: a trail byte with the backslash's value"},
    {u"x\u20AC", "ending in the euro sign, 0x80 in GBK: a character of one byte"},
    {u"타이머", "a name that GBK cannot write"},
    {u"\U0001F600 计时", "a character beyond the BMP"},
};

void PrintTo(const RunDirectoryRow& row, std::ostream* out) { *out << row.why; }

class LapLogPlace : public testing::TestWithParam<RunDirectoryRow> {};

// The log, found by its real Unicode name (written out here as the oracle), holds the laps' GBK
// bytes.
TEST_P(LapLogPlace, LiesNextToTheExecutable) {
  TempDir parent("lumo-laplog");
  const SystemText dir = parent / GetParam().name;
  makeDirectory(dir);
  ASSERT_TRUE(copyTestProgramTo(dir + u"\\lumo.exe"));
  ChildProcess child = startChild(dir + u"\\lumo.exe", {"--child=save-lap", "1.0秒1毫秒"});
  EXPECT_EQ(waitForExit(child, 20000), 0u);
  EXPECT_EQ(readFileBytes(dir + u"\\Lumo秒计时器记次复制文本.txt"), "1.0秒1毫秒\r\n");
  EXPECT_FALSE(fileExists(parent / std::string(lapLogFileName)))
      << "the parent was taken for the run directory";
}

INSTANTIATE_TEST_SUITE_P(RunDirectories, LapLogPlace, testing::ValuesIn(kRunDirectories));

// The warning names the log as the system has it, also where GBK has no characters for its path.
TEST(LapLogWarning, NamesALogInADirectoryGbkCannotWriteAsItIs) {
  TempDir parent("lumo-laplog");
  const SystemText dir = parent / u"타이머";
  makeDirectory(dir);
  const SystemText log = dir + u"\\Lumo秒计时器记次复制文本.txt";
  makeDirectory(log);  // where the log should be
  const LapLogResult result = appendLapLogIn(dir, lapLogBaseName, "1.0秒1毫秒");
  ASSERT_FALSE(result.saved);
  EXPECT_EQ(result.path, log);
  EXPECT_NE(lapLogWarningText(result).find(toSystemText("文件：") + log + toSystemText("\r\n原因：")),
            SystemText::npos);
}

TEST_F(LapLogTest, FailuresAreReportedAndChangeNothing) {
  struct Row {
    const char* what;
    void (*arrange)(const std::string& directory, const std::string& log);
    DWORD error;  // the system's reason
  };
  const Row rows[] = {
      {"a directory with the log's name",
       [](const std::string&, const std::string& log) { makeDirectory(log); },
       ERROR_ACCESS_DENIED},
      {"a read-only log file",
       [](const std::string&, const std::string& log) {
         putFile(log, "kept");
         setReadOnly(log);
       },
       ERROR_ACCESS_DENIED},
      {"a read-only directory without the log",
       [](const std::string& directory, const std::string&) {
         ASSERT_TRUE(denyWritesTo(directory));
       },
       ERROR_ACCESS_DENIED},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    removeTree(dir.path());
    makeDirectory(dir.path());
    row.arrange(dir.path(), logPath());
    const DirectorySnapshot before = snapshotOf(dir.path());
    const LapLogResult result = save(kTwoLaps);
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.path, toSystemText(logPath()));
    EXPECT_EQ(result.systemError, row.error);
    EXPECT_EQ(snapshotOf(dir.path()), before);
    const std::string reason = systemWording(row.error);
    ASSERT_FALSE(reason.empty());
    EXPECT_EQ(lapLogWarningText(result),
              toSystemText("记次文本没有保存。\r\n\r\n文件：" + logPath() + "\r\n原因：" + reason));
  }
}

// The reason's wording as the system gives it, and the code itself where the system has none.
TEST(SystemErrorText, IsTheSystemsWordingOrNamesTheCode) {
  EXPECT_EQ(systemErrorText(ERROR_DISK_FULL), toSystemText(systemWording(ERROR_DISK_FULL)));
  EXPECT_NE(systemErrorText(ERROR_DISK_FULL), systemErrorText(ERROR_ACCESS_DENIED));
  constexpr DWORD kNoSuchError = 0x2000ABCD;  // the customer bit: never one of the system's
  ASSERT_EQ(systemWording(kNoSuchError), "");
  EXPECT_EQ(systemErrorText(kNoSuchError), toSystemText("系统错误 536914893"));
}

// On a real full disk: a small file system that scripts/test.sh mounts and names in
// LUMO_FULL_DISK, filled to its last byte before the save.
class LapLogOnAFullDisk : public testing::Test {
 protected:
  void SetUp() override {
    char disk[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA("LUMO_FULL_DISK", disk, sizeof disk);
    if (length == 0 || length >= sizeof disk) {
      GTEST_SKIP() << "LUMO_FULL_DISK names no small file system to fill; scripts/test.sh "
                      "mounts one and sets it";
    }
    top = std::string(disk) + "\\lumo-laplog-" + std::to_string(GetCurrentProcessId());
    dir = top + "\\log";
    ASSERT_TRUE(CreateDirectoryA(top.c_str(), nullptr)) << top << ": error " << GetLastError();
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  }
  void TearDown() override {
    if (!top.empty()) removeTree(top);
  }

  // Writes a filler file beside the log's directory until not one more byte goes in.
  void fillTheDisk() {
    const FileHandle filler(CreateFileA((top + "\\filler").c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(filler.valid());
    const std::string page(4096, 'f');
    constexpr int kWriteLimit = 1 << 16;  // a disk that takes more is not the small one
    for (const DWORD size : {DWORD{4096}, DWORD{1}}) {
      DWORD written = size;
      for (int i = 0; i < kWriteLimit && written == size; ++i) {
        if (!WriteFile(filler.get(), page.data(), size, &written, nullptr)) written = 0;
      }
      ASSERT_LT(written, size) << "the disk did not fill";
    }
    ULARGE_INTEGER available{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(top.c_str(), &available, nullptr, nullptr));
    ASSERT_EQ(available.QuadPart, 0u);
  }

  LapLogResult save() { return appendLapLogIn(dir, lapLogBaseName, laps); }
  std::string logPath() const { return dir + "\\" + std::string(lapLogFileName); }

  // A full disk fails a write, or cuts it short, which the services report as a full disk too.
  static bool isFullDisk(std::uint32_t error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
  }

  // More than a block of the file system, so that a log's last, partly used block cannot take it.
  const std::string laps = [] {
    std::string text;
    for (int i = 0; i < 500; ++i) text += kTwoLaps;
    return text;
  }();
  std::string top;
  std::string dir;
};

TEST_F(LapLogOnAFullDisk, AFailedFirstSaveLeavesNoLog) {
  ASSERT_NO_FATAL_FAILURE(fillTheDisk());
  const LapLogResult result = save();
  EXPECT_FALSE(result.saved);
  EXPECT_PRED1(isFullDisk, result.systemError);
  EXPECT_EQ(snapshotOf(dir), DirectorySnapshot());
}

TEST_F(LapLogOnAFullDisk, AFailedSaveLeavesAnExistingLogByteForByte) {
  const std::string old = "1.0秒1毫秒\r\n\r\n";
  putFile(logPath(), old);
  ASSERT_NO_FATAL_FAILURE(fillTheDisk());
  const LapLogResult result = save();
  EXPECT_FALSE(result.saved);
  EXPECT_PRED1(isFullDisk, result.systemError);
  EXPECT_EQ(snapshotOf(dir), (DirectorySnapshot{{std::string(lapLogFileName), fileEntry(old)}}));
}

// Several instances save into one log at once: every block arrives once and whole.
TEST_F(LapLogTest, ConcurrentSavesFromManyProcessesAllArriveWhole) {
  constexpr int kWorkers = 8;
  constexpr int kBlocksEach = 50;
  constexpr int kBlockSize = 12 * 1024;
  const std::string startName = "lumo-append-start-" + std::to_string(GetCurrentProcessId());
  const KernelHandle start(CreateEventA(nullptr, TRUE, FALSE, startName.c_str()));
  ASSERT_TRUE(start.valid());
  std::vector<ChildProcess> children;
  for (int worker = 0; worker < kWorkers; ++worker) {
    children.push_back(startChild(testProgramPath(),
                                  {"--child=append", dir.path(), std::string(lapLogBaseName),
                                   std::to_string(worker), std::to_string(kBlocksEach),
                                   std::to_string(kBlockSize), startName}));
    ASSERT_NE(children.back().process, nullptr);
  }
  SetEvent(start.get());  // kept open until all are done: a late child must still find it
  for (ChildProcess& child : children) EXPECT_EQ(waitForExit(child, 120000), 0u);

  const std::string log = readFileBytes(logPath());
  EXPECT_EQ(log.size(), std::size_t{kWorkers} * kBlocksEach * (kBlockSize + 2));
  std::map<std::string, int> seen;
  int broken = 0;
  for (std::size_t at = 0; at < log.size();) {
    const std::size_t end = log.find("\r\n", at);
    const std::string block = log.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? log.size() : end + 2;
    const std::size_t colon = block.find(':');
    const std::string id = block.substr(0, colon);
    const std::size_t dot = id.find('.');
    bool whole = block.size() == kBlockSize && colon != std::string::npos && dot != std::string::npos;
    if (whole) {
      const int worker = std::atoi(id.c_str());
      const int index = std::atoi(id.c_str() + dot + 1);
      const char filler = static_cast<char>('a' + (worker + index) % 26);
      whole = block.find_first_not_of(filler, colon + 1) == std::string::npos;
    }
    if (whole) {
      ++seen[id];
    } else {
      ++broken;
    }
  }
  EXPECT_EQ(broken, 0);
  EXPECT_EQ(seen.size(), std::size_t{kWorkers} * kBlocksEach);
  for (const auto& [id, count] : seen) EXPECT_EQ(count, 1) << id;
}

}  // namespace
