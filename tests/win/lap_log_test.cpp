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
#include "test_support.hpp"

namespace {

const std::string kTwoLaps = "1.0秒52毫秒\r\n2.1秒3毫秒\r\n";

class LapLogTest : public testing::Test {
 protected:
  LapLogResult save(const std::string& text) {
    return appendLapLogIn(dir.path(), lapLogBaseName, text);
  }
  std::string logPath() const { return dir / (std::string(lapLogBaseName) + ".txt"); }

  TempDir dir{"lumo-laplog"};
};

TEST_F(LapLogTest, CreatesTheFileThenAppendsTheSameBlockAgain) {
  const LapLogResult first = save(kTwoLaps);
  EXPECT_TRUE(first.saved);
  EXPECT_EQ(first.path, logPath());
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
  const char* name;
  const char* why;
};

const RunDirectoryRow kRunDirectories[] = {
    {"lumo", "a plain directory"},
    {"綷", "BE 5C: a trail byte with the backslash's value"},
    {"x\x80", "ending in 0x80, the euro sign: a character of one byte"},
};

void PrintTo(const RunDirectoryRow& row, std::ostream* out) { *out << row.why; }

class LapLogPlace : public testing::TestWithParam<RunDirectoryRow> {};

TEST_P(LapLogPlace, LiesNextToTheExecutable) {
  TempDir parent("lumo-laplog");
  const std::string dir = parent / GetParam().name;
  makeDirectory(dir);
  ASSERT_TRUE(CopyFileA(testProgramPath().c_str(), (dir + "\\lumo.exe").c_str(), FALSE));
  ChildProcess child = startChild(dir + "\\lumo.exe", {"--child=save-lap", "1.0秒1毫秒"});
  EXPECT_EQ(waitForExit(child, 20000), 0u);
  EXPECT_EQ(readFileBytes(dir + "\\" + std::string(lapLogFileName)), "1.0秒1毫秒\r\n");
  EXPECT_FALSE(fileExists(parent / std::string(lapLogFileName))) << "the parent taken for the run directory";
}

INSTANTIATE_TEST_SUITE_P(RunDirectories, LapLogPlace, testing::ValuesIn(kRunDirectories));

TEST_F(LapLogTest, FailuresAreReportedAndChangeNothing) {
  struct Row {
    const char* what;
    void (*arrange)(const std::string& directory, const std::string& log);
  };
  const Row rows[] = {
      {"a directory with the log's name",
       [](const std::string&, const std::string& log) { makeDirectory(log); }},
      {"a read-only log file",
       [](const std::string&, const std::string& log) {
         putFile(log, "kept");
         setReadOnly(log);
       }},
      {"a read-only directory without the log",
       [](const std::string& directory, const std::string&) {
         ASSERT_TRUE(denyWritesTo(directory));
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    removeTree(dir.path());
    makeDirectory(dir.path());
    row.arrange(dir.path(), logPath());
    const DirectorySnapshot before = snapshotOf(dir.path());
    const LapLogResult result = save(kTwoLaps);
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.path, logPath());
    EXPECT_NE(result.systemError, 0u);
    EXPECT_EQ(snapshotOf(dir.path()), before);
    const std::string text = lapLogWarningText(result);
    EXPECT_EQ(text, lapLogWarningText(logPath(), systemErrorText(result.systemError)));
    EXPECT_NE(text.find("没有保存"), std::string::npos);
    EXPECT_FALSE(systemErrorText(result.systemError).empty());
  }
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
