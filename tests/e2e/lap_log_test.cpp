// Saving the lap list through the viewer's button: what the log file holds afterwards, what the
// user is told when it cannot be written, and many instances saving into one log at once.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

#include "app_driver.hpp"
#include "lapfile/lap_log.hpp"

namespace {

const std::string kLogName(lapLogFileName);

class LapLogTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(app.start(dir.path(), kExeName)) << "the program did not show its windows"; }

  std::string logPath() const { return dir / kLogName; }
  std::string log() const { return readFileBytes(logPath()); }

  TempDir dir;
  App app;
};

TEST_F(LapLogTest, TwoLapsSavedTwiceAppendTheSameBlockTwice) {
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  ASSERT_TRUE(app.clickMain(mainControls::按钮2));
  const std::string laps = app.viewerText();
  ASSERT_EQ(laps.rfind("1.0秒0毫秒\r\n2.", 0), 0u) << laps;
  ASSERT_EQ(laps.substr(laps.size() - 2), "\r\n");
  ASSERT_FALSE(pathExists(logPath()));

  ASSERT_TRUE(app.clickSave());
  EXPECT_EQ(log(), laps + "\r\n");
  ASSERT_TRUE(app.clickSave());
  EXPECT_EQ(log(), laps + "\r\n" + laps + "\r\n");
  EXPECT_EQ(app.viewerText(), laps);  // a save does not clear the list
  // The log is all that the saves left behind.
  const std::map<std::string, std::string> expected = {
      {kExeName, fileEntry(readFileBytes(dir / kExeName))},
      {kLogName, fileEntry(laps + "\r\n" + laps + "\r\n")},
  };
  EXPECT_EQ(snapshotOf(dir.path()), expected);
}

struct SaveCase {
  const char* name;  // for the test's name
  const char* what;
  bool logExists;
  const char* logBefore;
  const char* viewerText;
};

void PrintTo(const SaveCase& c, std::ostream* out) { *out << c.what; }

class LapLogSaveTest : public LapLogTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(LapLogSaveTest, AppendsTheListAndCrLfRightAfterTheLastByte) {
  const SaveCase& c = GetParam();
  if (c.logExists) {
    ASSERT_TRUE(writeFileBytes(logPath(), c.logBefore));
  }
  ASSERT_TRUE(App::setText(app.viewerControl(viewerControls::编辑框1), c.viewerText));
  ASSERT_EQ(app.viewerText(), c.viewerText);

  ASSERT_TRUE(app.clickSave());
  EXPECT_EQ(log(), std::string(c.logBefore) + c.viewerText + "\r\n");
  EXPECT_EQ(app.viewerText(), c.viewerText);
  EXPECT_EQ(findMessageBox(app.pid()), nullptr);
}

const SaveCase kSaveCases[] = {
    {"NoLogEmptyList", "empty list, no log yet: created with CR LF alone", false, "", ""},
    {"EmptyList", "empty list: the log grows by two bytes", true, "1.0秒0毫秒\r\n\r\n", ""},
    {"LogWithoutFinalCrLf", "a log not ending in CR LF", true, "旧记录没有换行", "1.0秒0毫秒\r\n"},
    {"EmptyLog", "an empty log", true, "", "1.0秒0毫秒\r\n"},
    {"UserText", "the user's own text, GBK, several lines, the last without CR LF", false, "",
     "第一次比赛：\r\n1.2秒30毫秒\r\n\r\n备注\t（手动）"},
};

INSTANTIATE_TEST_SUITE_P(Cases, LapLogSaveTest, ::testing::ValuesIn(kSaveCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Failed saves -------------------------------------------------------------------------------

struct FailureCase {
  const char* name;  // for the test's name
  const char* what;
  // Makes the log unwritable; a guard to undo it, where one is needed.
  std::unique_ptr<ReadOnlyDirectory> (*prepare)(const std::string& directory, const std::string& log);
  DWORD systemError;  // the reason the box must give
};

std::string systemText(DWORD error) {
  char buffer[512];
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                 buffer, sizeof buffer, nullptr);
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.what; }

class LapLogFailureTest : public LapLogTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LapLogFailureTest, WarnsFromTheViewerKeepsTheTextAndLeavesTheDiskAlone) {
  const FailureCase& c = GetParam();
  const std::string laps = "1.0秒0毫秒\r\n未保存的记次\r\n";
  ASSERT_TRUE(App::setText(app.viewerControl(viewerControls::编辑框1), laps));
  const std::unique_ptr<ReadOnlyDirectory> undo = c.prepare(dir.path(), logPath());
  const auto before = snapshotOf(dir.path());

  HWND viewer = app.viewer();
  ASSERT_TRUE(App::postClick(app.viewerControl(viewerControls::按钮1)));
  HWND box = nullptr;
  ASSERT_TRUE(pollUntil(5000, [&] { return (box = findMessageBox(app.pid())) != nullptr && IsWindowVisible(box); }))
      << "no warning box";
  EXPECT_EQ(GetWindow(box, GW_OWNER), viewer);
  const std::string text = messageBoxText(box);
  EXPECT_NE(text.find(logPath()), std::string::npos) << text;
  EXPECT_NE(text.find("没有保存"), std::string::npos) << text;
  const std::string reason = systemText(c.systemError);
  EXPECT_NE(text.find(reason), std::string::npos) << text << "\nwanted: " << reason;
  // A warning of its own, not the fatal box after which the program would end.
  EXPECT_NE(App::text(box).find("未保存"), std::string::npos) << App::text(box);
  EXPECT_NE(App::text(box), "错误");

  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(pollUntil(3000, [&] { return !IsWindow(box); }));
  EXPECT_TRUE(app.running());
  EXPECT_EQ(app.viewer(), viewer);
  EXPECT_EQ(app.viewerText(), laps);
  EXPECT_EQ(snapshotOf(dir.path()), before);
  // And it runs on as before.
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  EXPECT_EQ(app.mainText(mainControls::标签3), "1");
}

const FailureCase kFailureCases[] = {
    {"ReadOnlyDirectory", "a read-only directory without the log",
     [](const std::string& directory, const std::string&) {
       auto readOnly = std::make_unique<ReadOnlyDirectory>(directory);
       EXPECT_TRUE(readOnly->denied());
       return readOnly;
     },
     ERROR_ACCESS_DENIED},
    {"ReadOnlyLog", "a read-only log file",
     [](const std::string&, const std::string& log) {
       EXPECT_TRUE(writeFileBytes(log, "旧的记次\r\n"));
       EXPECT_TRUE(SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_READONLY));
       return std::unique_ptr<ReadOnlyDirectory>();
     },
     ERROR_ACCESS_DENIED},
    {"DirectoryOfThatName", "a directory with the log's name",
     [](const std::string&, const std::string& log) {
       EXPECT_TRUE(CreateDirectoryA(log.c_str(), nullptr));
       return std::unique_ptr<ReadOnlyDirectory>();
     },
     ERROR_ACCESS_DENIED},
};

INSTANTIATE_TEST_SUITE_P(Cases, LapLogFailureTest, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Several instances ------------------------------------------------------------------------

// Instances of the program in one directory share its log. Each saves its own block many times,
// all at once; every block must arrive whole and exactly as often as it was saved. Large blocks
// keep the writes long enough to overlap: an append that seeks to the end and then writes,
// without a lock, fails here in most runs (6 of 6 under Wine 8, against 5 of 6 with 32 KB).
TEST(LapLogInstancesTest, SavesFromSeveralInstancesAtOnceAllArriveWhole) {
  constexpr int kInstances = 8;
  constexpr int kSavesEach = 20;
  constexpr std::size_t kBlockSize = 64 * 1024;
  TempDir dir;
  std::vector<std::unique_ptr<App>> apps;
  std::vector<std::string> blocks;  // what one save appends: the list and CR LF
  for (int i = 0; i < kInstances; ++i) {
    apps.push_back(std::make_unique<App>());
    ASSERT_TRUE(apps.back()->start(dir.path(), "LumoStopwatch" + std::to_string(i) + ".exe")) << i;
    std::string text = "实例" + std::to_string(i) + "：";
    while (text.size() < kBlockSize) text += "第" + std::to_string(i) + "个实例的记次\r\n";
    ASSERT_TRUE(App::setText(apps.back()->viewerControl(viewerControls::编辑框1), text));
    ASSERT_EQ(apps.back()->viewerText(), text);
    blocks.push_back(text + "\r\n");
  }

  std::size_t total = 0;
  for (const auto& block : blocks) total += block.size() * kSavesEach;
  for (int round = 0; round < kSavesEach; ++round) {
    for (const auto& app : apps) App::postClick(app->viewerControl(viewerControls::按钮1));
  }
  // A selection posted behind the clicks is made once every click before it has been handled.
  constexpr int kMark = 1;
  for (const auto& app : apps) PostMessageA(app->viewerControl(viewerControls::编辑框1), EM_SETSEL, kMark, kMark);
  for (const auto& app : apps) {
    ASSERT_TRUE(pollUntil(30000, [&] { return editSelection(app->viewerControl(viewerControls::编辑框1)).first == kMark; }));
  }

  const std::string bytes = readFileBytes(dir / kLogName);
  EXPECT_EQ(bytes.size(), total);
  std::vector<int> seen(kInstances, 0);
  for (std::size_t at = 0; at < bytes.size();) {
    int which = -1;
    for (int i = 0; i < kInstances; ++i) {
      if (bytes.compare(at, blocks[i].size(), blocks[i]) == 0) which = i;
    }
    ASSERT_NE(which, -1) << "no whole block at byte " << at;
    ++seen[which];
    at += blocks[which].size();
  }
  for (int i = 0; i < kInstances; ++i) EXPECT_EQ(seen[i], kSavesEach) << "instance " << i;
  for (const auto& app : apps) {
    EXPECT_EQ(findMessageBox(app->pid()), nullptr);
    EXPECT_TRUE(app->running());
  }
}

}  // namespace
