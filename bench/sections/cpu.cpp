// The stopwatch's CPU time while timing, against a bare program that repaints one label as often,
// and while stopped, against a bare program with two idle windows.
#include <vector>

#include "../bare_window.hpp"
#include "sections.hpp"

namespace {

constexpr double kTimingBound = 1.1;       // the label repaint's CPU time, times this
constexpr double kStoppedMsPerSecond = 2;  // 0.2 % of a processor: next to nothing

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

// The CPU figures of one program in one state, a run at a time.
struct Series {
  std::vector<double> ms;
  std::vector<double> percent;
  void add(const CpuFigure& f) {
    ms.push_back(f.cpuMs);
    percent.push_back(f.percent);
  }
  std::string cell(int percentDecimals) const {
    return fixed(median(ms), 1) + " ms (" + fixed(median(percent), percentDecimals) + " %)";
  }
};

// A bare reference program over the window, once its window is there and its start has settled.
CpuFigure referenceOver(const char* exeName, const char* className, double windowMs) {
  App reference;
  reference.startExisting(referencePath(exeName));
  windowOf(reference, className);
  Sleep(1000);
  return cpuOver(reference.process(), windowMs);
}

}  // namespace

Report measureCpu(const Settings& settings) {
  const double timingWindow = settings.quick ? 3000 : 20000;
  const double stoppedWindow = settings.quick ? 2000 : 10000;
  const int runs = settings.quick ? 1 : 5;  // CPU time comes in 10 ms steps and varies from run to run
  progress("cpu: " + std::to_string(runs) + " runs of " + fixed(timingWindow / 1000, 0) + " s timing and " +
           fixed(stoppedWindow / 1000, 0) + " s stopped");
  TempDir dir("cpu");
  App lumo;
  if (!lumo.start(dir.path())) return {"The stopwatch did not start.\n\n", {}};
  Series lumoTiming, lumoStopped, repaint, idle;
  for (int run = 0; run < runs; ++run) {
    repaint.add(referenceOver("bench_label_repaint.exe", kLabelRepaintClass, timingWindow));
    idle.add(referenceOver("bench_two_windows.exe", kTwoWindowsFirstClass, stoppedWindow));
    (void)lumo.clickMain(mainControls::按钮1);
    Sleep(1000);
    lumoTiming.add(cpuOver(lumo.process(), timingWindow));
    (void)lumo.clickMain(mainControls::按钮2);
    Sleep(1000);
    lumoStopped.add(cpuOver(lumo.process(), stoppedWindow));
  }

  const std::string timingSeconds = fixed(timingWindow / 1000, 0) + " s";
  const std::string stoppedSeconds = fixed(stoppedWindow / 1000, 0) + " s";
  const double ratio = median(lumoTiming.ms) / median(repaint.ms);
  Report report;
  report.goals = {
      {"CPU while timing", ratio, kTimingBound, "×", 2, "against the label repaint"},
      {"CPU stopped", median(lumoStopped.ms), stoppedWindow / 1000 * kStoppedMsPerSecond, " ms", 1,
       "in " + stoppedSeconds},
  };
  const Table table{
      {"State", "Window", "Lumo", "Reference", "Ratio", "Goal"},
      {{"timing", timingSeconds, lumoTiming.cell(2), repaint.cell(2), fixed(ratio, 2), report.goals[0].bounded()},
       {"stopped", stoppedSeconds, lumoStopped.cell(3), idle.cell(3), "—", report.goals[1].bounded()}}};
  report.markdown = "Process CPU time (user + kernel; under Wine from the process list, see above) over the "
                    "window, median of " + std::to_string(runs) + " runs. The reference while timing is a bare "
                    "program that repaints one label (the same font, size and colours) every 10 ms; stopped, it is "
                    "a bare program with two idle windows. The Wine server's and the X server's work on behalf of a "
                    "process is not in its figure.\n\n" +
                    markdown(table) + "\n";
  return report;
}
