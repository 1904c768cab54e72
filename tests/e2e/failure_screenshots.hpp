// What the desktop showed when an end-to-end test failed: the first thing anyone debugging a GUI
// test wants to see, taken at the failure itself, while the test's windows are still up.
#pragma once

#include <gtest/gtest.h>

#include <string>

// At a test's first failure, saves a screenshot of the desktop into the directory as
// "<suite>.<test>.bmp" ('/' of a parameterised name as '-') and prints its path right below the
// failure. The directory is given as the caller has it: a Unix path under Wine, which is also how
// the path is printed.
class FailureScreenshots : public testing::EmptyTestEventListener {
 public:
  explicit FailureScreenshots(std::string directory);

  void OnTestStart(const testing::TestInfo& test) override;
  void OnTestPartResult(const testing::TestPartResult& result) override;

 private:
  std::string directory_;
  std::string shot_;  // the path of this test's screenshot, once taken
};
