// Start-up: from CreateProcess to both windows visible, the stopwatch alternating with bare programs
// that show two windows. Footprint: the executables' size and imports, what the linker put into the
// shipped program, and the private bytes each start-up leaves.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "../bare_window.hpp"
#include "../pe_facts.hpp"
#include "sections.hpp"

namespace {

constexpr double kStartUpBound = 1.1;  // the two-window program's start-up, times this
constexpr double kShippedKiBBound = 200;  // the shipped 32-bit LumoStopwatch.exe
constexpr std::size_t kContributorsShown = 10;

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

// One program's start-ups: their times and the private bytes each left.
struct Program {
  std::string exe;
  const char* firstClass;
  const char* secondClass;
  std::vector<double> ms;
  std::vector<double> bytes;

  StartUp start() const { return startAndMeasure(exe, firstClass, secondClass); }
  void add(const StartUp& s) {
    ms.push_back(s.ms);
    bytes.push_back(static_cast<double>(s.privateBytes));
  }
  double medianMs() const { return median(ms); }
  double medianKiB() const { return median(bytes) / 1024; }
  std::string range() const {
    if (ms.empty()) return "—";
    const auto [least, most] = std::minmax_element(ms.begin(), ms.end());
    return fixed(*least, 0) + "-" + fixed(*most, 0) + " ms";
  }
};

std::string dllList(const PeFacts& facts) {
  std::string list;
  for (const std::string& dll : facts.importedDlls) list += (list.empty() ? "" : ", ") + dll;
  return list;
}

bool allSystem(const PeFacts& facts) {
  return std::all_of(facts.importedDlls.begin(), facts.importedDlls.end(), isSystemDll);
}

// An executable's size, bits and imports, as a row of the footprint table.
std::vector<std::string> footprintRow(const std::string& name, const std::string& path) {
  const PeFacts facts = readPeFacts(path);
  if (!facts.readable) return {name, "—", "—", "unreadable: " + path, "—"};
  return {name, facts.is64Bit ? "64" : "32", std::to_string(facts.fileBytes), dllList(facts),
          allSystem(facts) ? "yes" : "**no**"};
}

struct Contributor {
  std::string input;  // "libstdc++.a(string-inst.o)", "liblumo_win.a(shell.cpp.obj)"
  std::uint64_t bytes;
};

// The archive and member, or the file, without its directory.
std::string inputName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\", path.find('('));
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What each input of the link put into the file, from the linker's map: the lines that place an
// input section (" .text  0x00401000  0x4e0  liblumo_win.a(handlers.cpp.obj)", the figures on the
// next line after a long section name), summed per input, largest first. .bss and the debugging
// sections take no room in the file.
std::vector<Contributor> mapContributors(const std::string& mapPath) {
  std::ifstream map(mapPath);
  std::map<std::string, std::uint64_t> bytes;
  std::string line;
  bool placing = false;          // past the list of discarded sections, into the memory map
  std::string output;            // the output section being placed
  bool awaitingFigures = false;  // an input section's name stood alone on the line before
  while (std::getline(map, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("Linker script and memory map", 0) == 0) placing = true;
    if (!placing) continue;
    if (!line.empty() && line[0] != ' ') {
      output = line.substr(0, line.find(' '));
      awaitingFigures = false;
      continue;
    }
    const bool counted = output != ".bss" && output != "/DISCARD/" && output.rfind(".debug", 0) != 0 &&
                         output.rfind(".zdebug", 0) != 0 && output.rfind(".stab", 0) != 0;
    std::istringstream fields(line);
    std::string first, address, size, input;
    if (line.rfind(" .", 0) == 0 || line.rfind(" COMMON", 0) == 0) {
      fields >> first;
      if (!(fields >> address)) {
        awaitingFigures = true;
        continue;
      }
    } else if (awaitingFigures) {
      fields >> address;
    } else {
      continue;
    }
    awaitingFigures = false;
    fields >> size;
    std::getline(fields >> std::ws, input);
    if (!counted || address.rfind("0x", 0) != 0 || size.rfind("0x", 0) != 0 || input.empty()) continue;
    bytes[inputName(input)] += std::stoull(size, nullptr, 16);
  }
  std::vector<Contributor> contributors;
  for (const auto& [input, total] : bytes) {
    if (total != 0) contributors.push_back({input, total});
  }
  std::sort(contributors.begin(), contributors.end(),
            [](const Contributor& a, const Contributor& b) { return a.bytes > b.bytes; });
  return contributors;
}

// The program's own code: its libraries and the objects linked straight into it.
bool isOwnCode(const std::string& input) {
  return input.rfind("liblumo_", 0) == 0 || (input.rfind("objects.a(", 0) == 0 && input.find(".res)") == std::string::npos);
}

// The shipped program's size held to its goal, and what its largest inputs put into it.
Report shippedFootprint(const std::string& exePath) {
  const PeFacts facts = readPeFacts(exePath);
  const double kib = facts.readable ? static_cast<double>(facts.fileBytes) / 1024 : NAN;
  Report report;
  report.goals = {{"footprint", kib, kShippedKiBBound, " KiB", 1,
                   "the shipped 32-bit LumoStopwatch.exe, " + std::to_string(facts.fileBytes) + " bytes"}};
  const std::string mapPath = exePath.substr(0, exePath.rfind('.')) + ".map";
  const std::vector<Contributor> contributors = mapContributors(mapPath);
  if (contributors.empty()) {
    report.markdown = "No linker map beside the shipped program (" + mapPath + ").\n\n";
    return report;
  }

  std::uint64_t total = 0, own = 0;
  for (const Contributor& c : contributors) {
    total += c.bytes;
    if (isOwnCode(c.input)) own += c.bytes;
  }
  Table largest{{"Input of the link", "Bytes", "Share"}, {}};
  for (std::size_t i = 0; i < contributors.size() && i < kContributorsShown; ++i) {
    largest.rows.push_back({"`" + contributors[i].input + "`", std::to_string(contributors[i].bytes),
                            fixed(100.0 * contributors[i].bytes / total, 1) + " %"});
  }
  report.markdown = "The shipped program is " + std::to_string(facts.fileBytes) + " bytes (" + fixed(kib, 1) +
                    " KiB; goal " + report.goals[0].bounded() + "). What its inputs put into it, from the map of " +
                    "the same link (`" + inputName(mapPath) + "`, which names every input though the file " +
                    "carries no symbols): " + std::to_string(total) + " bytes of sections from " +
                    std::to_string(contributors.size()) + " inputs, " + std::to_string(own) + " bytes (" +
                    fixed(100.0 * own / total, 1) + " %) of them the program's own code. The largest:\n\n" +
                    markdown(largest) + "\n";
  return report;
}

}  // namespace

Report measureStartUp(const Settings& settings) {
  const int runs = settings.quick ? 2 : 7;
  progress("startup: " + std::to_string(runs) +
           " start-ups of each, alternating, after one of each to warm the caches");
  TempDir dir("startup");
  const std::string lumoExe = dir / ("LumoStopwatch.exe");
  CopyFileA(builtExecutable().c_str(), lumoExe.c_str(), FALSE);
  Program lumo{lumoExe, kMainClass, kViewerClass, {}, {}};
  Program bare{referencePath("bench_two_windows.exe"), kTwoWindowsFirstClass, kTwoWindowsSecondClass, {}, {}};
  Program ole{referencePath("bench_two_windows_ole.exe"), kTwoWindowsFirstClass, kTwoWindowsSecondClass, {}, {}};
  Program styled{referencePath("bench_styled_windows.exe"), kStyledFirstClass, kStyledSecondClass, {}, {}};
  for (int run = -1; run < runs; ++run) {
    const StartUp lumoRun = lumo.start();
    const StartUp bareRun = bare.start();
    const StartUp oleRun = ole.start();
    const StartUp styledRun = styled.start();
    if (run < 0 || lumoRun.ms < 0 || bareRun.ms < 0) continue;
    lumo.add(lumoRun);
    bare.add(bareRun);
    if (oleRun.ms >= 0) ole.add(oleRun);
    if (styledRun.ms >= 0) styled.add(styledRun);
  }

  const double ratio = lumo.medianMs() / bare.medianMs();
  const double ownRatio = lumo.medianMs() / styled.medianMs();
  Report report;
  report.goals = {{"start-up", ratio, kStartUpBound, "×", 2,
                   "against the two-window program; " + fixed(lumo.medianMs(), 0) + " ms against " +
                       fixed(bare.medianMs(), 0) + " ms; " + fixed(ownRatio, 2) +
                       "× the same windows built on the API alone"}};
  auto row = [&](const std::string& name, const Program& p, const std::string& goal) {
    return std::vector<std::string>{name,
                                    std::to_string(p.ms.size()),
                                    fixed(p.medianMs(), 0) + " ms",
                                    p.range(),
                                    fixed(p.medianMs() / bare.medianMs(), 2),
                                    goal};
  };
  const Table startUps{{"Program", "Runs", "Median", "Range", "Ratio", "Goal"},
                       {row("Lumo", lumo, report.goals[0].bounded()), row("two windows", bare, ""),
                        row("two windows after `OleInitialize`", ole, ""),
                        row("two windows with the stopwatch's look, API only", styled, "")}};

  Table executables{{"Executable", "Bits", "Bytes", "Imported DLLs (import table)", "All in the system directory"}, {}};
  executables.rows.push_back(footprintRow("LumoStopwatch.exe, measured here", builtExecutable()));
  if (!settings.shippedExe.empty()) {
    executables.rows.push_back(
        footprintRow("LumoStopwatch.exe, the shipped build", windowsPathOf(settings.shippedExe)));
  }
  executables.rows.push_back(footprintRow("two windows reference", bare.exe));
  executables.rows.push_back(footprintRow("two windows with the look, API only", styled.exe));

  std::string& page = report.markdown;
  page = "From `CreateProcess` to both top-level windows visible (polled every millisecond), median of " +
         std::to_string(lumo.ms.size()) +
         " start-ups each, alternating; the reference shows two plain windows. The last two rows are not "
         "references but a diagnosis: the same two windows after `OleInitialize`, which the stopwatch's start-up "
         "must call; and the two windows with everything the stopwatch's windows must have (OLE, the invisible "
         "owner, the manifest's common controls 6, the icons, the topmost band, the same buttons, edit boxes and "
         "labels in the same fonts) built straight on the API, without the stopwatch's code. Lumo against that last "
         "row, which is what the stopwatch's own code adds to the start-up of the windows it must show: " +
         fixed(ownRatio, 2) + ".\n\n";
  page += markdown(startUps) + "\n";
  page += "### Footprint\n\n" + markdown(executables) + "\n";
  const Report shipped =
      shippedFootprint(settings.shippedExe.empty() ? builtExecutable() : windowsPathOf(settings.shippedExe));
  page += shipped.markdown;
  report.goals.insert(report.goals.end(), shipped.goals.begin(), shipped.goals.end());
  page += "Private bytes (`PROCESS_MEMORY_COUNTERS_EX.PrivateUsage`, or `PagefileUsage`, the same figure, which is "
          "all that Wine fills for another process) half a second after both windows showed, median of the "
          "start-ups above: Lumo " + fixed(lumo.medianKiB(), 0) + " KiB, two windows " +
          fixed(bare.medianKiB(), 0) + " KiB, ratio " + fixed(lumo.medianKiB() / bare.medianKiB(), 2) +
          "; the two windows with the stopwatch's look built on the API alone " + fixed(styled.medianKiB(), 0) +
          " KiB, Lumo against them " + fixed(lumo.medianKiB() / styled.medianKiB(), 2) +
          ". Under Wine this is the Linux process's anonymous memory, Wine's own included.\n\n";
  return report;
}
