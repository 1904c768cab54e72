// Measures the stopwatch against the bare reference programs, all in one run on one machine, and
// prints the figures as Markdown (GBK text; the caller converts it). Figures only: a missed goal is
// printed as missed, the run never fails because of one.
//   bench_runner [--quick] [--only P1,P2,...] [--exe32 <the 32-bit program>]
// --quick shortens every measurement (for trying the runner out, not for figures).
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "../tests/e2e/app_driver.hpp"
#include "bare_window.hpp"
#include "measure.hpp"
#include "pe_facts.hpp"

namespace {

struct Options {
  bool quick = false;
  std::string only;   // empty: every part
  std::string exe32;  // the shipped 32-bit program, when there is one to look at
  bool wants(const char* part) const { return only.empty() || only.find(part) != std::string::npos; }
};

struct Goal {
  std::string what;
  std::string figure;
  bool met;
};

std::vector<Goal> goals;

void out(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}

void progress(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

std::string format(const char* pattern, ...) {
  char buffer[256];
  va_list args;
  va_start(args, pattern);
  std::vsnprintf(buffer, sizeof buffer, pattern, args);
  va_end(args);
  return buffer;
}

const char* verdict(bool met) { return met ? "met" : "**missed**"; }

std::string referencePath(const char* name) { return directoryOf(ownExecutable()) + "\\" + name; }

// "12秒345毫秒" as 12345; -1 when the text is not of that form.
double shownMs(HWND display) {
  const std::string text = App::text(display);
  std::size_t at = 0;
  auto number = [&](long long& value) {
    const std::size_t first = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') value = value * 10 + (text[at++] - '0');
    return at > first;
  };
  long long seconds = 0, milliseconds = 0;
  if (!number(seconds)) return -1;
  while (at < text.size() && !(text[at] >= '0' && text[at] <= '9')) ++at;
  if (!number(milliseconds)) return -1;
  return static_cast<double>(seconds * 1000 + milliseconds);
}

HWND windowOf(const App& process, const char* className, DWORD timeoutMs = 15000) {
  HWND found = nullptr;
  waitUntil([&] { return (found = findWindow(process.pid(), className)) != nullptr; }, timeoutMs);
  return found;
}

// ---- P1: accuracy ----------------------------------------------------------------------------

// A stopwatch as P1 drives it: start and stop buttons and the display they change.
struct Timed {
  HWND start;
  HWND stop;
  HWND display;
};

struct ClickTime {
  double before;
  double after;
  double middle() const { return (before + after) / 2; }
  double halfSpread() const { return (after - before) / 2; }
};

// The handler runs somewhere inside the send: the middle is the estimate, half the send the bound.
ClickTime timedClick(HWND button) {
  ClickTime t{nowMs(), 0};
  App::click(button);
  t.after = nowMs();
  return t;
}

struct Trial {
  double errorMs;  // shown - true
  double boundMs;  // how far the true interval can be off, from the two clicks
  bool read;
};

// Starts every stopwatch, waits, stops them in the same order; what each shows against the wall.
std::vector<Trial> timeTogether(const std::vector<Timed>& watches, double intervalMs) {
  std::vector<double> before;
  std::vector<ClickTime> starts, stops;
  for (const Timed& w : watches) before.push_back(shownMs(w.display));
  for (const Timed& w : watches) starts.push_back(timedClick(w.start));
  sleepUntilMs(starts.front().after + intervalMs);
  for (const Timed& w : watches) stops.push_back(timedClick(w.stop));
  std::vector<Trial> trials;
  for (std::size_t i = 0; i < watches.size(); ++i) {
    const double after = shownMs(watches[i].display);
    const double truth = stops[i].middle() - starts[i].middle();
    trials.push_back({after - before[i] - truth, starts[i].halfSpread() + stops[i].halfSpread(),
                      before[i] >= 0 && after >= 0});
  }
  return trials;
}

void measureAccuracy(const Options& options) {
  TempDir dir("p1");
  App lumo;
  App ticks;
  if (!lumo.start(dir.path()) || !ticks.startExisting(referencePath("bench_tick_stopwatch.exe"))) {
    out("P1: a program did not start.\n\n");
    return;
  }
  HWND tickWindow = windowOf(ticks, kTickStopwatchClass);
  const std::vector<Timed> watches = {
      {lumo.mainControl(k按钮1), lumo.mainControl(k按钮2), lumo.mainControl(k标签2)},
      {GetDlgItem(tickWindow, kBareStartButton), GetDlgItem(tickWindow, kBareStopButton),
       GetDlgItem(tickWindow, kBareDisplay)},
  };
  struct Row {
    double intervalMs;
    bool loaded;
    int runs;
  };
  const std::vector<Row> rows = options.quick
                                    ? std::vector<Row>{{2000, false, 1}, {2000, true, 1}}
                                    : std::vector<Row>{{10000, false, 5}, {10000, true, 5}, {60000, false, 2}, {60000, true, 2}};
  out("## P1 accuracy\n\n"
      "Both stopwatches run side by side: each is started, the runner waits the interval, each is stopped, "
      "and what its display gained is compared with the wall-clock time between the two clicks "
      "(performance counter of the runner, taken at the middle of each click). The click bound is how far that "
      "estimate can be off at most (half of each sent click, start and stop): errors below it are within what the "
      "runner can tell.\n\n"
      "| Interval | Load | Runs | Lumo \\|shown - true\\|, median (worst) | Tick counter \\|shown - true\\|, median (worst) "
      "| Tick counter shown - true, median | Click bound | Goal ≤ 16 ms |\n"
      "|---|---|---|---|---|---|---|---|\n");
  for (const Row& row : rows) {
    progress("P1: %.0f s, %s, %d runs", row.intervalMs / 1000, row.loaded ? "loaded" : "idle", row.runs);
    std::vector<double> lumoErrors, tickErrors, tickSigned, bounds;
    bool allRead = true;
    for (int run = 0; run < row.runs; ++run) {
      std::vector<Trial> trials;
      {
        std::optional<Spinners> load;
        if (row.loaded) load.emplace(ownExecutable());
        trials = timeTogether(watches, row.intervalMs);
      }
      allRead = allRead && trials[0].read && trials[1].read;
      lumoErrors.push_back(std::fabs(trials[0].errorMs));
      tickErrors.push_back(std::fabs(trials[1].errorMs));
      tickSigned.push_back(trials[1].errorMs);
      bounds.push_back(std::max(trials[0].boundMs, trials[1].boundMs));
      Sleep(200);
    }
    const bool met = allRead && median(lumoErrors) <= 16;
    out("| %.0f s | %s | %d | %.1f ms (%.1f) | %.1f ms (%.1f) | %+.1f ms | ≤ %.1f ms | %s%s |\n", row.intervalMs / 1000,
        row.loaded ? "both cores busy" : "idle", row.runs, median(lumoErrors), worst(lumoErrors), median(tickErrors),
        worst(tickErrors), median(tickSigned), worst(bounds), verdict(met), allRead ? "" : " (a display was unreadable)");
    goals.push_back({format("P1 accuracy, %.0f s, %s", row.intervalMs / 1000, row.loaded ? "loaded" : "idle"),
                     format("%.1f ms (tick counter %.1f ms)", median(lumoErrors), median(tickErrors)), met});
  }
  out("\n");
}

// ---- P2: CPU -----------------------------------------------------------------------------------

struct CpuFigure {
  double cpuMs;
  double percent;  // of one processor
};

CpuFigure cpuOver(HANDLE process, double windowMs) {
  const double cpuBefore = processCpuMs(process);
  const double wallBefore = nowMs();
  sleepUntilMs(wallBefore + windowMs);
  const double cpu = processCpuMs(process) - cpuBefore;
  return {cpu, 100.0 * cpu / (nowMs() - wallBefore)};
}

void measureCpu(const Options& options) {
  const double timingWindow = options.quick ? 3000 : 20000;
  const double stoppedWindow = options.quick ? 2000 : 10000;
  const int runs = options.quick ? 1 : 5;  // CPU time comes in 10 ms steps and varies from run to run
  progress("P2: %d runs of %.0f s timing and %.0f s stopped", runs, timingWindow / 1000, stoppedWindow / 1000);
  TempDir dir("p2");
  App lumo;
  if (!lumo.start(dir.path())) {
    out("P2: the stopwatch did not start.\n\n");
    return;
  }
  std::vector<double> lumoTiming, lumoStopped, repaint, idle;
  std::vector<double> lumoTimingPct, lumoStoppedPct, repaintPct, idlePct;
  for (int run = 0; run < runs; ++run) {
    {
      App reference;
      reference.startExisting(referencePath("bench_label_repaint.exe"));
      windowOf(reference, kLabelRepaintClass);
      Sleep(1000);
      const CpuFigure f = cpuOver(reference.process(), timingWindow);
      repaint.push_back(f.cpuMs);
      repaintPct.push_back(f.percent);
    }
    {
      App reference;
      reference.startExisting(referencePath("bench_two_windows.exe"));
      windowOf(reference, kTwoWindowsFirstClass);
      Sleep(1000);
      const CpuFigure f = cpuOver(reference.process(), stoppedWindow);
      idle.push_back(f.cpuMs);
      idlePct.push_back(f.percent);
    }
    lumo.clickMain(k按钮1);
    Sleep(1000);
    CpuFigure f = cpuOver(lumo.process(), timingWindow);
    lumoTiming.push_back(f.cpuMs);
    lumoTimingPct.push_back(f.percent);
    lumo.clickMain(k按钮2);
    Sleep(1000);
    f = cpuOver(lumo.process(), stoppedWindow);
    lumoStopped.push_back(f.cpuMs);
    lumoStoppedPct.push_back(f.percent);
  }
  const double ratio = median(lumoTiming) / median(repaint);
  const double stoppedLimit = stoppedWindow / 1000 * 2;  // 2 ms a second: 0.2 % of a processor
  out("## P2 CPU\n\n"
      "Process CPU time (user + kernel; under Wine from the process list, see above) over the window, median of %d runs. The reference "
      "while timing is a bare program that repaints one label (the same font, size and colours) every 10 ms; "
      "stopped, it is a bare program with two idle windows. The Wine server's and the X server's work on "
      "behalf of a process is not in its figure.\n\n"
      "| State | Window | Lumo | Reference | Ratio | Goal |\n|---|---|---|---|---|---|\n",
      runs);
  out("| timing | %.0f s | %.1f ms (%.2f %%) | %.1f ms (%.2f %%) | %.2f | ≤ 1.1: %s |\n", timingWindow / 1000,
      median(lumoTiming), median(lumoTimingPct), median(repaint), median(repaintPct), ratio, verdict(ratio <= 1.1));
  out("| stopped | %.0f s | %.1f ms (%.3f %%) | %.1f ms (%.3f %%) | — | ≈ 0 (≤ %.0f ms): %s |\n\n", stoppedWindow / 1000,
      median(lumoStopped), median(lumoStoppedPct), median(idle), median(idlePct), stoppedLimit,
      verdict(median(lumoStopped) <= stoppedLimit));
  goals.push_back({"P2 CPU while timing", format("%.2f× the label repaint", ratio), ratio <= 1.1});
  goals.push_back({"P2 CPU stopped", format("%.1f ms in %.0f s", median(lumoStopped), stoppedWindow / 1000),
                   median(lumoStopped) <= stoppedLimit});
}

// ---- P3 start-up and P4 footprint --------------------------------------------------------------

struct StartUp {
  double ms;  // CreateProcess to both windows visible; negative when they never were
  std::size_t privateBytes;
};

StartUp startAndMeasure(const std::string& exe, const char* firstClass, const char* secondClass) {
  App process;
  const double started = nowMs();
  if (!process.startExisting(exe)) return {-1, 0};
  auto visible = [&](const char* className) {
    HWND w = findWindow(process.pid(), className);
    return w != nullptr && IsWindowVisible(w);
  };
  const double deadline = started + 20000;
  while (!(visible(firstClass) && visible(secondClass))) {
    if (nowMs() > deadline) return {-1, 0};
    Sleep(1);
  }
  StartUp result{nowMs() - started, 0};
  Sleep(500);  // what start-up leaves behind, once the first paints are done
  result.privateBytes = privateBytes(process.process());
  return result;
}

std::string dllList(const PeFacts& facts) {
  std::string list;
  for (const std::string& dll : facts.importedDlls) list += (list.empty() ? "" : ", ") + dll;
  return list;
}

bool allSystem(const PeFacts& facts) {
  for (const std::string& dll : facts.importedDlls) {
    if (!isSystemDll(dll)) return false;
  }
  return true;
}

void measureStartUpAndFootprint(const Options& options) {
  const int runs = options.quick ? 2 : 7;
  progress("P3/P4: %d start-ups of each, alternating, after one of each to warm the caches", runs);
  TempDir dir("p3");
  const std::string lumoExe = dir.file("LumoStopwatch.exe");
  CopyFileA(builtExecutable().c_str(), lumoExe.c_str(), FALSE);
  const std::string bareExe = referencePath("bench_two_windows.exe");
  const std::string oleExe = referencePath("bench_two_windows_ole.exe");
  const std::string styledExe = referencePath("bench_styled_windows.exe");
  std::vector<double> lumoMs, bareMs, oleMs, styledMs, lumoBytes, bareBytes, styledBytes;
  for (int run = -1; run < runs; ++run) {
    const StartUp lumo = startAndMeasure(lumoExe, kMainClass, kViewerClass);
    const StartUp bare = startAndMeasure(bareExe, kTwoWindowsFirstClass, kTwoWindowsSecondClass);
    const StartUp ole = startAndMeasure(oleExe, kTwoWindowsFirstClass, kTwoWindowsSecondClass);
    const StartUp styled = startAndMeasure(styledExe, kStyledFirstClass, kStyledSecondClass);
    if (run < 0 || lumo.ms < 0 || bare.ms < 0) continue;
    lumoMs.push_back(lumo.ms);
    bareMs.push_back(bare.ms);
    if (ole.ms >= 0) oleMs.push_back(ole.ms);
    if (styled.ms >= 0) {
      styledMs.push_back(styled.ms);
      styledBytes.push_back(static_cast<double>(styled.privateBytes));
    }
    lumoBytes.push_back(static_cast<double>(lumo.privateBytes));
    bareBytes.push_back(static_cast<double>(bare.privateBytes));
  }
  auto range = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? std::string("—") : format("%.0f-%.0f ms", v.front(), v.back());
  };
  const double ratio = median(lumoMs) / median(bareMs);
  const double ownRatio = median(lumoMs) / median(styledMs);
  if (options.wants("P3")) {
    out("## P3 start-up\n\n"
        "From `CreateProcess` to both top-level windows visible (polled every millisecond), median of %zu "
        "start-ups each, alternating; the reference shows two plain windows. The last two rows are not "
        "references but a diagnosis: the same two windows after `OleInitialize`, which the stopwatch's "
        "start-up must call; and the two windows with everything the stopwatch's windows must have (OLE, "
        "the invisible owner, the manifest's common controls 6, the icons, the topmost band, the same "
        "buttons, edit boxes and labels in the same fonts) built straight on the API, without the "
        "stopwatch's code. Its last column compares Lumo with that row: what the stopwatch's own code "
        "adds to the start-up of the windows it must show.\n\n"
        "| Program | Runs | Median | Range | Ratio | Goal ≤ 1.1 |\n|---|---|---|---|---|---|\n"
        "| Lumo | %zu | %.0f ms | %s | %.2f | %s |\n| two windows | %zu | %.0f ms | %s | 1 | |\n"
        "| two windows after `OleInitialize` | %zu | %.0f ms | %s | %.2f | |\n"
        "| two windows with the stopwatch's look, API only | %zu | %.0f ms | %s | %.2f | Lumo against it: %.2f |\n\n",
        lumoMs.size(), lumoMs.size(), median(lumoMs), range(lumoMs).c_str(), ratio, verdict(ratio <= 1.1),
        bareMs.size(), median(bareMs), range(bareMs).c_str(), oleMs.size(), median(oleMs), range(oleMs).c_str(),
        median(oleMs) / median(bareMs), styledMs.size(), median(styledMs), range(styledMs).c_str(),
        median(styledMs) / median(bareMs), ownRatio);
    goals.push_back({"P3 start-up", format("%.2f× the two-window program (%.0f ms against %.0f ms); %.2f× the same "
                                           "windows built on the API alone",
                                           ratio, median(lumoMs), median(bareMs), ownRatio),
                     ratio <= 1.1});
  }
  if (!options.wants("P4")) return;
  struct Row {
    std::string name;
    std::string path;
  };
  std::vector<Row> rows = {{"LumoStopwatch.exe, measured here", builtExecutable()}};
  if (!options.exe32.empty()) rows.push_back({"LumoStopwatch.exe, the shipped build", windowsPathOf(options.exe32)});
  rows.push_back({"two windows reference", bareExe});
  rows.push_back({"two windows with the look, API only", styledExe});
  out("## P4 footprint\n\n"
      "| Executable | Bits | Bytes | Imported DLLs (import table) | All in the system directory |\n|---|---|---|---|---|\n");
  for (const Row& row : rows) {
    const PeFacts facts = readPeFacts(row.path);
    if (!facts.readable) {
      out("| %s | — | — | unreadable: %s | — |\n", row.name.c_str(), row.path.c_str());
      continue;
    }
    out("| %s | %d | %llu | %s | %s |\n", row.name.c_str(), facts.is64Bit ? 64 : 32,
        static_cast<unsigned long long>(facts.fileBytes), dllList(facts).c_str(), allSystem(facts) ? "yes" : "**no**");
  }
  out("\nPrivate bytes (`PROCESS_MEMORY_COUNTERS_EX.PrivateUsage`, or `PagefileUsage`, the same figure, which is all that Wine fills for another process) half a second after both windows showed, "
      "median of the start-ups above: Lumo %.0f KiB, two windows %.0f KiB, ratio %.2f; the two windows with the "
      "stopwatch's look built on the API alone %.0f KiB, Lumo against them %.2f. Under Wine this is "
      "the Linux process's anonymous memory, Wine's own included.\n\n",
      median(lumoBytes) / 1024, median(bareBytes) / 1024, median(lumoBytes) / median(bareBytes),
      median(styledBytes) / 1024, median(lumoBytes) / median(styledBytes));
}

// ---- P5: laps ----------------------------------------------------------------------------------

// The first and the last block of laps: their total times and each lap's time.
struct LapTimes {
  double firstMs;
  double lastMs;
  std::vector<double> firstEach;
  std::vector<double> lastEach;
  double ratio() const { return lastMs / firstMs; }
  double medianRatio() const { return median(lastEach) / median(firstEach); }
  double growthUs() const { return (lastMs - firstMs) * 1000 / static_cast<double>(firstEach.size()); }
};

LapTimes firstAndLast(const std::vector<double>& each, std::size_t block) {
  LapTimes t{0, 0, {}, {}};
  for (std::size_t i = 0; i < block; ++i) {
    t.firstEach.push_back(each[i]);
    t.lastEach.push_back(each[each.size() - block + i]);
    t.firstMs += each[i];
    t.lastMs += each[each.size() - block + i];
  }
  return t;
}

void pumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

std::string lapLine(int lap) { return std::to_string(lap) + "." + bareElapsedText(lap * 137LL) + "\r\n"; }

// The edit control's own cost: a box of the lap viewer's styles and size in this process, appended
// to with the usual idiom (caret to the end, replace the empty selection), painted as it goes. The
// first block is timed on the empty box; the laps between the blocks go in at once, since only
// the length they leave matters; then the last block is timed.
LapTimes bareEditBlocks(int laps, int block) {
  static const bool registered = registerBareClass(GetModuleHandleA(nullptr), "LumoBenchEditHost", DefWindowProcA,
                                                   GetSysColorBrush(COLOR_BTNFACE));
  LapTimes t{0, 0, {}, {}};
  if (!registered) return t;
  HWND host = createBareWindow("LumoBenchEditHost", "edit control", 760, 380, 387, 298);
  HWND box = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                             WS_CHILD | WS_VISIBLE | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL,
                             0, 0, 384, 248, host, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(box, EM_LIMITTEXT, 0, 0);
  pumpMessages();
  auto append = [box](const std::string& text) {
    const int end = GetWindowTextLengthA(box);
    SendMessageA(box, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageA(box, EM_SCROLLCARET, 0, 0);
    SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    pumpMessages();
  };
  auto timedBlock = [&](int first, std::vector<double>& each) {
    for (int lap = first; lap < first + block; ++lap) {
      const std::string line = lapLine(lap);
      const double before = nowMs();
      append(line);
      each.push_back(nowMs() - before);
    }
  };
  timedBlock(1, t.firstEach);
  std::string between;
  for (int lap = block + 1; lap <= laps - block; ++lap) between += lapLine(lap);
  append(between);
  timedBlock(laps - block + 1, t.lastEach);
  DestroyWindow(host);
  for (double ms : t.firstEach) t.firstMs += ms;
  for (double ms : t.lastEach) t.lastMs += ms;
  return t;
}

double plainWriteMs(const std::string& path, const std::string& bytes) {
  const double before = nowMs();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return nowMs() - before;
}

double roundTripMs(HWND window) {
  std::vector<double> each;
  for (int i = 0; i < 200; ++i) {
    const double before = nowMs();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &result);
    each.push_back(nowMs() - before);
  }
  return median(each);
}

std::size_t fileBytes(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

// One series: 10,000 laps is itself a long run, and each block figure is a sum over 1,000 laps.
void measureLaps(const Options& options) {
  const int laps = options.quick ? 2000 : 10000;
  const int block = laps / 10;
  const int saveCount = 5;
  progress("P5: %d laps, then %d saves", laps, saveCount);
  TempDir dir("p5");
  App lumo;
  if (!lumo.start(dir.path())) {
    out("P5: the stopwatch did not start.\n\n");
    return;
  }
  HWND lapButton = lumo.mainControl(k按钮3);
  std::vector<double> each;
  each.reserve(static_cast<std::size_t>(laps));
  const double lapsStarted = nowMs();
  for (int lap = 0; lap < laps; ++lap) {
    const double before = nowMs();
    App::click(lapButton);
    each.push_back(nowMs() - before);
  }
  const double lapsMs = nowMs() - lapsStarted;
  const bool countRight = lumo.mainText(k标签3) == std::to_string(laps);
  const LapTimes app = firstAndLast(each, static_cast<std::size_t>(block));

  lumo.clickMain(k按钮2);  // the display stops repainting while the saves are timed
  const std::string text = lumo.viewerText() + "\r\n";
  const std::string log = dir.file("Lumo秒计时器记次复制文本.txt");
  std::vector<double> saves, writes;
  bool savesLanded = true;
  for (int save = 0; save < saveCount; ++save) {
    const std::size_t sizeBefore = fileBytes(log);
    const double before = nowMs();
    lumo.clickSave();
    saves.push_back(nowMs() - before);
    savesLanded = savesLanded && fileBytes(log) == sizeBefore + text.size();
    writes.push_back(plainWriteMs(dir.file("plain.txt"), text));
  }
  const double trip = roundTripMs(lumo.viewer());
  progress("P5: the bare edit control");
  const LapTimes edit = bareEditBlocks(laps, block);

  const double ratio = app.ratio();
  out("## P5 laps\n\n"
      "%d laps through `BM_CLICK`, sent, so that each returns when the lap is recorded; one series of %.0f s.%s "
      "Beside it, the edit control's own cost: a box of the lap viewer's styles and size in the runner's "
      "process, appended to with the usual idiom (caret to the end, `EM_REPLACESEL`) and painted, without "
      "any message crossing processes; its first block is timed on the empty box, the laps between the blocks "
      "go in at once, then its last block is timed.\n\n"
      "| Figure | Lumo | Bare edit control |\n|---|---|---|\n"
      "| first %d laps | %.0f ms | %.0f ms |\n| last %d laps | %.0f ms | %.0f ms |\n"
      "| last / first | %.2f (goal ≤ 1.5: %s) | %.2f |\n"
      "| last / first, median lap | %.2f (%.2f ms against %.2f ms) | %.2f (%.2f ms against %.2f ms) |\n"
      "| growth per lap, first to last block | %.0f us | %.0f us |\n\n",
      laps, lapsMs / 1000, countRight ? "" : " **The lap count shown was not the number of clicks.**", block,
      app.firstMs, edit.firstMs, block, app.lastMs, edit.lastMs, ratio, verdict(ratio <= 1.5), edit.ratio(),
      app.medianRatio(), median(app.lastEach), median(app.firstEach), edit.medianRatio(), median(edit.lastEach),
      median(edit.firstEach), app.growthUs(), edit.growthUs());
  out("Saving the resulting %zu bytes (the viewer's text and CR LF), median of %d saves: the save button "
      "(`BM_CLICK`, sent) %.2f ms; a plain `CreateFile`/`WriteFile`/`CloseHandle` of the same bytes "
      "in the runner %.2f ms; ratio %.1f. A message round trip to the program alone (`WM_NULL`, sent) "
      "takes %.2f ms.%s\n\n",
      text.size(), saveCount, median(saves), median(writes), median(saves) / median(writes), trip,
      savesLanded ? " Every save grew the log by exactly those bytes." : " **A save did not grow the log by the text's bytes.**");
  goals.push_back({"P5 laps, last 1,000 against the first 1,000",
                   format("%.2f (the bare edit control: %.2f)", ratio, edit.ratio()), ratio <= 1.5});
}

void printGoals() {
  out("## Goals\n\n| Goal | Figure | |\n|---|---|---|\n");
  for (const Goal& goal : goals) out("| %s | %s | %s |\n", goal.what.c_str(), goal.figure.c_str(), verdict(goal.met));
  out("\n");
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == kSpinSwitch) spinForever();
    if (arg == "--quick") {
      options.quick = true;
    } else if (arg == "--only" && i + 1 < argc) {
      options.only = argv[++i];
    } else if (arg == "--exe32" && i + 1 < argc) {
      options.exe32 = argv[++i];
    } else {
      std::fprintf(stderr, "usage: bench_runner [--quick] [--only P1,P2,...] [--exe32 <program>]\n");
      return 2;
    }
  }
  const double started = nowMs();
  if (options.wants("P1")) measureAccuracy(options);
  if (options.wants("P2")) measureCpu(options);
  if (options.wants("P3") || options.wants("P4")) measureStartUpAndFootprint(options);
  if (options.wants("P5")) measureLaps(options);
  printGoals();
  progress("bench: %.1f minutes", (nowMs() - started) / 60000);
  return 0;
}
