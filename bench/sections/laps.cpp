// 10,000 laps: whether the last ones take longer than the first, beside a bare edit control
// appended to in the same way; then saving the list, beside a plain write of the same bytes.
#include <vector>

#include "../bare_window.hpp"
#include "lapfile/lap_log.hpp"
#include "sections.hpp"

namespace {

constexpr double kSlowdownBound = 1.5;  // the last block of laps against the first

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
  HWND box =
      CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                      WS_CHILD | WS_VISIBLE | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL, 0,
                      0, 384, 248, host, nullptr, GetModuleHandleA(nullptr), nullptr);
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

}  // namespace

// One series: 10,000 laps is itself a long run, and each block figure is a sum over 1,000 laps.
Report measureLaps(const Settings& settings) {
  const int laps = settings.quick ? 2000 : 10000;
  const int block = laps / 10;
  const int saveCount = 5;
  progress("laps: " + std::to_string(laps) + " laps, then " + std::to_string(saveCount) + " saves");
  TempDir dir("laps");
  App lumo;
  if (!lumo.start(dir.path())) return {"The stopwatch did not start.\n\n", {}};
  HWND lapButton = lumo.mainControl(mainControls::按钮3);
  std::vector<double> each;
  each.reserve(static_cast<std::size_t>(laps));
  const double lapsStarted = nowMs();
  for (int lap = 0; lap < laps; ++lap) {
    const double before = nowMs();
    (void)App::click(lapButton);  // a click that did not land shows in the count below
    each.push_back(nowMs() - before);
  }
  const double lapsMs = nowMs() - lapsStarted;
  const bool countRight = lumo.mainText(mainControls::标签3) == std::to_string(laps);
  const LapTimes app = firstAndLast(each, static_cast<std::size_t>(block));

  (void)lumo.clickMain(mainControls::按钮2);  // the display stops repainting while the saves are timed
  const std::string saved = lumo.viewerText() + "\r\n";
  const std::string log = dir / (std::string(lapLogFileName));
  std::vector<double> saves, writes;
  bool savesLanded = true;
  for (int save = 0; save < saveCount; ++save) {
    const std::size_t sizeBefore = fileBytes(log);
    const double before = nowMs();
    (void)lumo.clickSave();
    saves.push_back(nowMs() - before);
    savesLanded = savesLanded && fileBytes(log) == sizeBefore + saved.size();
    writes.push_back(plainWriteMs(dir / ("plain.txt"), saved));
  }
  const double trip = roundTripMs(lumo.viewer());
  progress("laps: the bare edit control");
  const LapTimes edit = bareEditBlocks(laps, block);

  const std::string blockLaps = std::to_string(block) + " laps";
  Report report;
  report.goals = {{"laps, the last " + blockLaps + " against the first", app.ratio(), kSlowdownBound, "", 2,
                   "the bare edit control: " + fixed(edit.ratio(), 2)}};
  auto medianLap = [](const LapTimes& t) {
    return fixed(t.medianRatio(), 2) + " (" + fixed(median(t.lastEach), 2) + " ms against " +
           fixed(median(t.firstEach), 2) + " ms)";
  };
  const Table table{
      {"Figure", "Lumo", "Bare edit control"},
      {{"first " + blockLaps, fixed(app.firstMs, 0) + " ms", fixed(edit.firstMs, 0) + " ms"},
       {"last " + blockLaps, fixed(app.lastMs, 0) + " ms", fixed(edit.lastMs, 0) + " ms"},
       {"last / first", fixed(app.ratio(), 2) + " (goal " + report.goals[0].bounded() + ")", fixed(edit.ratio(), 2)},
       {"last / first, median lap", medianLap(app), medianLap(edit)},
       {"growth per lap, first to last block", fixed(app.growthUs(), 0) + " us", fixed(edit.growthUs(), 0) + " us"}}};
  std::string& page = report.markdown;
  page = std::to_string(laps) + " laps through `BM_CLICK`, sent, so that each returns when the lap is recorded; "
         "one series of " + fixed(lapsMs / 1000, 0) + " s.";
  if (!countRight) page += " **The lap count shown was not the number of clicks.**";
  page += " Beside it, the edit control's own cost: a box of the lap viewer's styles and size in the runner's "
          "process, appended to with the usual idiom (caret to the end, `EM_REPLACESEL`) and painted, without any "
          "message crossing processes; its first block is timed on the empty box, the laps between the blocks go in "
          "at once, then its last block is timed.\n\n";
  page += markdown(table) + "\n";
  page += "Saving the resulting " + std::to_string(saved.size()) + " bytes (the viewer's page and CR LF), median of " +
          std::to_string(saveCount) + " saves: the save button (`BM_CLICK`, sent) " + fixed(median(saves), 2) +
          " ms; a plain `CreateFile`/`WriteFile`/`CloseHandle` of the same bytes in the runner " +
          fixed(median(writes), 2) + " ms; ratio " + fixed(median(saves) / median(writes), 1) +
          ". A message round trip to the program alone (`WM_NULL`, sent) takes " + fixed(trip, 2) + " ms.";
  page += savesLanded ? " Every save grew the log by exactly those bytes."
                      : " **A save did not grow the log by the page's bytes.**";
  page += "\n\n";
  return report;
}
