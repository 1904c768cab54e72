// The end-to-end tests' entry point: GoogleTest, and a screenshot of the desktop at a failure
// when LUMO_SCREENSHOT_DIR names where (the test command's CTest sets it).
#include <gtest/gtest.h>

#include <cstdlib>

#include "failure_screenshots.hpp"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const char* screenshots = std::getenv("LUMO_SCREENSHOT_DIR");
  if (screenshots != nullptr && *screenshots != '\0') {
    testing::UnitTest::GetInstance()->listeners().Append(new FailureScreenshots(screenshots));  // gtest owns it
  }
  return RUN_ALL_TESTS();
}
