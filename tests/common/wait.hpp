// The one bounded wait of the tests: polls a condition until it holds or the deadline passes.
#pragma once

#include <windows.h>

// True when the condition held before the time ran out; it is checked after the last pause too.
template <typename Condition>
bool pollUntil(DWORD timeoutMs, Condition condition) {
  constexpr DWORD kPollPeriodMs = 20;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollPeriodMs);
  }
}
