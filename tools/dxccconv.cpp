// dxccconv: the DXCC entity numbers of data/DXCC.TXT from Debian's cty.csv.
//
//   dxccconv /usr/share/hamradio-files/cty.csv data/DXCC.TXT
//
// cty.csv carries each entity of cty.dat with its primary prefix (the key
// of the country list) and its entity number; entities not counted for
// DXCC ("*" before the prefix) carry the number of the entity they belong
// to. The entities that left the DXCC list are not in cty.csv: their
// numbers follow, by the keys the country list gives them.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

namespace {

struct Deleted {
  const char* key;
  int number;
};

const Deleted kDeleted[] = {
    {"VO", 186},   {"FI8", 58},   {"FN8", 67},   {"9S4", 210},   {"ZD4", 102},
    {"CN2", 264},  {"UN1", 128},  {"VQ6", 26},   {"9U5", 208},   {"JZ0", 184},
    {"VS2", 155},  {"VS4", 220},  {"ZC5", 25},   {"VS9H", 139},  {"ZC6", 196},
    {"KR6", 193},  {"KS4", 261},  {"DA-DM", 81}, {"AC4", 268},   {"AC3", 231},
    {"VQ9/G", 93}, {"KZ5", 28},   {"VS9K", 127}, {"4W/Y", 154},  {"VS9A", 243},
    {"Y2-9", 229}, {"OK-OM", 218}, {"ZS9", 488}, {"ST0", 244},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dxccconv CTY.CSV OUTPUT\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "dxccconv: cannot read %s\n", argv[1]);
    return 1;
  }
  std::map<std::string, int> numbers;
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (line.empty()) continue;
    std::istringstream fields(line);
    std::string prefix, name, number;
    std::getline(fields, prefix, ',');
    std::getline(fields, name, ',');
    std::getline(fields, number, ',');
    if (!prefix.empty() && prefix[0] == '*') prefix.erase(0, 1);
    int value = 0;
    try {
      value = std::stoi(number);
    } catch (...) {
      value = 0;
    }
    if (prefix.empty() || value <= 0) {
      std::fprintf(stderr, "dxccconv: %s:%d: no prefix and entity number\n", argv[1], lineNo);
      return 1;
    }
    numbers[prefix] = value;
  }
  for (const Deleted& entity : kDeleted) numbers.emplace(entity.key, entity.number);

  std::ofstream out(argv[2], std::ios::trunc);
  out << "# DXCC entity numbers by the country list's prefix, made by tools/dxccconv\n"
         "# from cty.csv (Debian's hamradio-files) and the deleted entities.\n";
  for (const auto& [prefix, number] : numbers) out << prefix << ' ' << number << '\n';
  out.close();
  if (!out) {
    std::fprintf(stderr, "dxccconv: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
