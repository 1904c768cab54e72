// The pieces the benchmark report is made of: numbers as text, Markdown tables, and the goals the
// figures are held to. Texts are GBK bytes, as everywhere in the program.
#pragma once

#include <string>
#include <vector>

// The value with that many decimals; "—" for one that could not be measured (not finite).
std::string fixed(double value, int decimals);
// The same with its sign always shown: "+1.5", "-10.0".
std::string signedFixed(double value, int decimals);

// A Markdown table: a header and rows of cells, each cell's text as it is (a '|' in it is escaped).
struct Table {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
};
std::string markdown(const Table& table);

// A figure held to an upper bound. A figure that could not be measured is NaN, and misses.
struct Goal {
  std::string name;
  double figure;
  double bound;        // the most the figure may be
  std::string unit;    // written after the figure and the bound: " ms", "×", or nothing
  int decimals;        // of the figure
  std::string beside;  // what the reader compares the figure with; may be empty

  bool met() const { return figure <= bound; }
  std::string verdict() const;  // "met" or "**missed**"
  std::string bounded() const;  // "≤ 16 ms: met", for a table's goal column
};
// The Goals section's table: each goal with its figure, its bound and whether it was met.
std::string goalsTable(const std::vector<Goal>& goals);

// What one section found: its part of the report (prose and tables) and its goals.
struct Report {
  std::string markdown;
  std::vector<Goal> goals;
};

// A line for the person waiting, on the error stream: the report itself goes to the output.
void progress(const std::string& line);
