#include "failure_screenshots.hpp"

#include <windows.h>

#include <cstdio>
#include <utility>

#include "app_driver.hpp"

namespace {

// The file name of the running test's screenshot; a failure outside any test is the program's.
std::string shotName() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "e2e_tests";
  for (char& c : name) {
    if (c == '/') c = '-';
  }
  return name + ".bmp";
}

// Creates the directory and any missing directory above it; they may exist already.
void makeDirectories(const std::string& path) {
  std::string::size_type end = path.find('\\', 3);  // past a drive's root
  for (;;) {
    CreateDirectoryA(path.substr(0, end).c_str(), nullptr);  // fails harmlessly where one exists
    if (end == std::string::npos) return;
    end = path.find('\\', end + 1);
  }
}

}  // namespace

FailureScreenshots::FailureScreenshots(std::string directory) : directory_(std::move(directory)) {}

void FailureScreenshots::OnTestStart(const testing::TestInfo&) { shot_.clear(); }

void FailureScreenshots::OnTestPartResult(const testing::TestPartResult& result) {
  if (!result.failed()) return;
  if (!shot_.empty()) {
    std::printf("screenshot at this test's first failure: %s\n", shot_.c_str());
  } else {
    const char separator = directory_.find('/') != std::string::npos ? '/' : '\\';
    const std::string shot = directory_ + separator + shotName();
    const std::string windowsDirectory = windowsPathOf(directory_);
    makeDirectories(windowsDirectory);
    if (saveDesktopBitmap(windowsDirectory + "\\" + shotName())) {
      shot_ = shot;
      std::printf("screenshot of the desktop at this failure: %s\n", shot_.c_str());
    } else {
      std::printf("no screenshot of the desktop: %s could not be written (error %lu)\n", shot.c_str(),
                  GetLastError());
    }
  }
  std::fflush(stdout);
}
