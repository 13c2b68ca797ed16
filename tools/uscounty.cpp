#include "uscounty.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>
#include <vector>

namespace kstools {
namespace {

// Longest first, so "City and Borough" goes before "Borough".
constexpr const char* kKinds[] = {" City and Borough", " Census Area", " Municipality",
                                  " Borough", " Parish", " County"};

constexpr const char* kStates[] = {
    "AL", "AK", "AZ", "AR", "CA", "CO", "CT", "DE", "FL", "GA", "HI", "ID", "IL",
    "IN", "IA", "KS", "KY", "LA", "ME", "MD", "MA", "MI", "MN", "MS", "MO", "MT",
    "NE", "NV", "NH", "NJ", "NM", "NY", "NC", "ND", "OH", "OK", "OR", "PA", "RI",
    "SC", "SD", "TN", "TX", "UT", "VT", "VA", "WA", "WV", "WI", "WY", "DC"};

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<std::string> splitCsv(const std::string& line) {
  std::vector<std::string> cells;
  std::string cell;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        cell += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cell += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      cells.push_back(cell);
      cell.clear();
    } else if (c != '\r') {
      cell += c;
    }
  }
  cells.push_back(cell);
  return cells;
}

}  // namespace

std::string countyName(const std::string& censusName) {
  std::string name = censusName;
  for (const char* kind : kKinds) {
    if (endsWith(name, kind)) {
      name.resize(name.size() - std::string(kind).size());
      break;
    }
  }
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

bool isCountyState(const std::string& postalCode) {
  return std::find(std::begin(kStates), std::end(kStates), postalCode) != std::end(kStates);
}

long convertCountyList(std::istream& in, std::ostream& out, std::string& error) {
  std::string line;
  if (!std::getline(in, line)) {
    error = "the list is empty";
    return -1;
  }
  std::vector<std::string> header = splitCsv(line);
  auto column = [&](const char* name) {
    auto at = std::find(header.begin(), header.end(), name);
    return at == header.end() ? -1L : static_cast<long>(at - header.begin());
  };
  const long stateColumn = column("state");
  const long nameColumn = column("countyname");
  if (stateColumn < 0 || nameColumn < 0) {
    error = "the first line does not name the columns \"state\" and \"countyname\"";
    return -1;
  }
  std::set<std::string> seen;
  long written = 0;
  for (long lineNumber = 2; std::getline(in, line); ++lineNumber) {
    if (line.empty() || line == "\r") continue;
    std::vector<std::string> cells = splitCsv(line);
    if (static_cast<long>(cells.size()) <= std::max(stateColumn, nameColumn)) {
      error = "line " + std::to_string(lineNumber) + " has too few columns";
      return -1;
    }
    const std::string& state = cells[static_cast<size_t>(stateColumn)];
    if (!isCountyState(state)) continue;
    std::string entry = state + "," + countyName(cells[static_cast<size_t>(nameColumn)]);
    if (!seen.insert(entry).second) {
      error = "line " + std::to_string(lineNumber) + ": " + entry + " comes twice";
      return -1;
    }
    out << entry << '\n';
    ++written;
  }
  return written;
}

}  // namespace kstools
