// The stopwatch and a bare tick-counting stopwatch run side by side; what each display gained is
// compared with the wall-clock time between its start and stop clicks.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "../bare_window.hpp"
#include "sections.hpp"

namespace {

constexpr double kBoundMs = 16;  // the most the shown time may be off the true one

// A stopwatch as this section drives it: start and stop buttons and the display they change.
struct Timed {
  HWND start;
  HWND stop;
  HWND display;
};

// "12秒345毫秒" as 12345; -1 when the text is not of that form.
double shownMs(HWND display) { return static_cast<double>(elapsedMillisOf(App::text(display))); }

struct ClickTime {
  double before;
  double after;
  double middle() const { return (before + after) / 2; }
  double halfSpread() const { return (after - before) / 2; }
};

// The handler runs somewhere inside the send: the middle is the estimate, half the send the bound.
ClickTime timedClick(HWND button) {
  ClickTime t{nowMs(), 0};
  (void)App::click(button);  // a click that did not land shows in the display it reads next
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
    trials.push_back(
        {after - before[i] - truth, starts[i].halfSpread() + stops[i].halfSpread(), before[i] >= 0 && after >= 0});
  }
  return trials;
}

struct Interval {
  double ms;
  bool loaded;
  int runs;
};

}  // namespace

Report measureAccuracy(const Settings& settings) {
  TempDir dir("accuracy");
  App lumo;
  App ticks;
  if (!lumo.start(dir.path()) || !ticks.startExisting(referencePath("bench_tick_stopwatch.exe"))) {
    return {"A program did not start.\n\n", {}};
  }
  HWND tickWindow = windowOf(ticks, kTickStopwatchClass);
  const std::vector<Timed> watches = {
      {lumo.mainControl(mainControls::按钮1), lumo.mainControl(mainControls::按钮2), lumo.mainControl(mainControls::标签2)},
      {GetDlgItem(tickWindow, kBareStartButton), GetDlgItem(tickWindow, kBareStopButton),
       GetDlgItem(tickWindow, kBareDisplay)},
  };
  const std::vector<Interval> intervals =
      settings.quick ? std::vector<Interval>{{2000, false, 1}, {2000, true, 1}}
                     : std::vector<Interval>{{10000, false, 5}, {10000, true, 5}, {60000, false, 2}, {60000, true, 2}};

  Report report;
  Table table{
      {"Interval", "Load", "Runs", "Lumo |shown - true|, median (worst)", "Tick counter |shown - true|, median (worst)",
       "Tick counter shown - true, median", "Click bound", "Goal"},
      {}};
  for (const Interval& interval : intervals) {
    const std::string seconds = fixed(interval.ms / 1000, 0) + " s";
    progress("accuracy: " + seconds + ", " + (interval.loaded ? "loaded" : "idle") + ", " +
             std::to_string(interval.runs) + " runs");
    std::vector<double> lumoErrors, tickErrors, tickSigned, bounds;
    bool allRead = true;
    for (int run = 0; run < interval.runs; ++run) {
      std::vector<Trial> trials;
      {
        std::optional<Spinners> load;
        if (interval.loaded) load.emplace(ownExecutable());
        trials = timeTogether(watches, interval.ms);
      }
      allRead = allRead && trials[0].read && trials[1].read;
      lumoErrors.push_back(std::fabs(trials[0].errorMs));
      tickErrors.push_back(std::fabs(trials[1].errorMs));
      tickSigned.push_back(trials[1].errorMs);
      bounds.push_back(std::max(trials[0].boundMs, trials[1].boundMs));
      Sleep(200);
    }
    const Goal goal{"accuracy, " + seconds + ", " + (interval.loaded ? "loaded" : "idle"),
                    allRead ? median(lumoErrors) : std::numeric_limits<double>::quiet_NaN(),
                    kBoundMs,
                    " ms",
                    1,
                    "tick counter " + fixed(median(tickErrors), 1) + " ms"};
    table.rows.push_back({seconds, interval.loaded ? "both cores busy" : "idle", std::to_string(interval.runs),
                          fixed(goal.figure, 1) + " ms (" + fixed(worst(lumoErrors), 1) + ")",
                          fixed(median(tickErrors), 1) + " ms (" + fixed(worst(tickErrors), 1) + ")",
                          signedFixed(median(tickSigned), 1) + " ms", "≤ " + fixed(worst(bounds), 1) + " ms",
                          goal.bounded() + (allRead ? "" : " (a display was unreadable)")});
    report.goals.push_back(goal);
  }
  report.markdown =
      "Both stopwatches run side by side: each is started, the runner waits the interval, each is stopped, and "
      "what its display gained is compared with the wall-clock time between the two clicks (performance counter "
      "of the runner, taken at the middle of each click). The click bound is how far that estimate can be off at "
      "most (half of each sent click, start and stop): errors below it are within what the runner can tell.\n\n" +
      markdown(table) + "\n";
  return report;
}
