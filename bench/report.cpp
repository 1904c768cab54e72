#include "report.hpp"

#include <cmath>
#include <cstdio>
#include <locale>
#include <sstream>

namespace {

std::string number(double value, int decimals, bool sign) {
  if (!std::isfinite(value)) return "—";
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text.setf(std::ios::fixed);
  if (sign) text.setf(std::ios::showpos);
  text.precision(decimals);
  text << value;
  return text.str();
}

// A bound as it is written in the goal: 16, 1.1, 0.5.
std::string shortest(double value) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text << value;
  return text.str();
}

void appendRow(std::string& out, const std::vector<std::string>& cells, std::size_t columns) {
  out += '|';
  for (std::size_t i = 0; i < columns; ++i) {
    out += ' ';
    const std::string cell = i < cells.size() ? cells[i] : std::string();
    for (std::size_t at = 0; at < cell.size(); ++at) {
      const unsigned char c = static_cast<unsigned char>(cell[at]);
      if (c >= 0x81 && at + 1 < cell.size()) {
        out += cell.substr(at++, 2);  // a GBK pair, whose second byte may look like a '|'
        continue;
      }
      if (c == '|') out += '\\';
      out += cell[at];
    }
    out += " |";
  }
  out += '\n';
}

}  // namespace

std::string fixed(double value, int decimals) { return number(value, decimals, false); }
std::string signedFixed(double value, int decimals) { return number(value, decimals, true); }

std::string markdown(const Table& table) {
  const std::size_t columns = table.header.size();
  std::string out;
  appendRow(out, table.header, columns);
  for (std::size_t i = 0; i < columns; ++i) out += "|---";
  out += "|\n";
  for (const std::vector<std::string>& row : table.rows) appendRow(out, row, columns);
  return out;
}

std::string Goal::verdict() const { return met() ? "met" : "**missed**"; }

std::string Goal::bounded() const { return "≤ " + shortest(bound) + unit + ": " + verdict(); }

std::string goalsTable(const std::vector<Goal>& goals) {
  Table table{{"Goal", "Figure", "Bound", "Verdict"}, {}};
  for (const Goal& goal : goals) {
    std::string figure = fixed(goal.figure, goal.decimals) + goal.unit;
    if (!goal.beside.empty()) figure += " (" + goal.beside + ")";
    table.rows.push_back({goal.name, figure, "≤ " + shortest(goal.bound) + goal.unit, goal.verdict()});
  }
  return markdown(table);
}

void progress(const std::string& line) {
  std::fputs((line + "\n").c_str(), stderr);
  std::fflush(stderr);
}
