// The Windows tests' entry point. The same program also serves as the child process that some
// tests start: with a mode as its first argument it does that one thing and exits.
#include <gtest/gtest.h>

#include <cstring>

#include "test_support.hpp"

int main(int argc, char** argv) {
  if (argc >= 2 && std::strncmp(argv[1], "--child=", 8) == 0) return runChildMode(argc, argv);
  if (isRestartProbe()) return runRestartProbe();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
