// Measures the stopwatch against the bare reference programs, all in one run on one machine, and
// prints the figures as Markdown (GBK text; the caller converts it): a section per measurement,
// then the goals they were held to. Figures only: a missed goal is printed as missed, the run
// never fails because of one.
//   bench_runner [--quick] [--only SECTION,...] [--exe32 <the shipped 32-bit program>]
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "measure.hpp"
#include "report.hpp"
#include "sections/sections.hpp"

namespace {

struct Section {
  const char* name;   // as --only names it
  const char* title;  // its heading in the report
  Report (*measure)(const Settings&);
};

// In the order of the report.
constexpr Section kSections[] = {
    {"accuracy", "Accuracy", measureAccuracy},
    {"cpu", "CPU", measureCpu},
    {"startup", "Start-up and footprint", measureStartUp},
    {"laps", "Laps", measureLaps},
};

std::string sectionNames() {
  std::string names;
  for (const Section& section : kSections) names += (names.empty() ? "" : ", ") + std::string(section.name);
  return names;
}

// The sections a comma-separated list names, in the report's order; false when it names one that
// does not exist.
bool choose(const std::string& list, std::vector<const Section*>& chosen) {
  std::vector<std::string> names;
  for (std::size_t at = 0; at <= list.size();) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    names.push_back(list.substr(at, comma - at));
    at = comma + 1;
  }
  for (const std::string& name : names) {
    if (std::none_of(std::begin(kSections), std::end(kSections), [&](const Section& s) { return name == s.name; })) {
      std::fprintf(stderr, "bench_runner: no section is named \"%s\"; the sections are %s\n", name.c_str(),
                   sectionNames().c_str());
      return false;
    }
  }
  for (const Section& section : kSections) {
    if (std::find(names.begin(), names.end(), section.name) != names.end()) chosen.push_back(&section);
  }
  return true;
}

void print(const std::string& markdown) {
  std::fputs(markdown.c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  std::string only;  // empty: every section
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == kSpinSwitch) spinForever();
    if (arg == "--quick") {
      settings.quick = true;
    } else if (arg == "--only" && i + 1 < argc) {
      only = argv[++i];
    } else if (arg == "--exe32" && i + 1 < argc) {
      settings.shippedExe = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: bench_runner [--quick] [--only SECTION,...] [--exe32 <program>]\n"
                   "the sections: %s\n",
                   sectionNames().c_str());
      return 2;
    }
  }
  std::vector<const Section*> chosen;
  if (only.empty()) {
    for (const Section& section : kSections) chosen.push_back(&section);
  } else if (!choose(only, chosen)) {
    return 2;
  }

  const double started = nowMs();
  std::vector<Goal> goals;
  for (const Section* section : chosen) {
    const Report report = section->measure(settings);
    print("## " + std::string(section->title) + "\n\n" + report.markdown);
    goals.insert(goals.end(), report.goals.begin(), report.goals.end());
  }
  print("## Goals\n\n" + goalsTable(goals) + "\n");
  progress("bench: " + fixed((nowMs() - started) / 60000, 1) + " minutes");
  return 0;
}
