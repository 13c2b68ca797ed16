// kitdata: writes a KIT licence data set.
//   kitdata DIR RECORDS [--extended]
//     from a tab-separated list, one record a line: call, class, ZIP (US) or
//     postal code (VE), year of birth, day of birth, first name, middle
//     initial, last name, street, city, state. Calls beginning with V go to
//     the VE set. Lines starting with # are skipped.
//   kitdata DIR --calls FILE [--count N] [--extended]
//     a realistic set for the benchmark: the US and Canadian calls of FILE
//     (one a line, as MASTER.SCP), each with invented holder data, and a
//     ZIP-county file for the ZIPs used.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "kitinvent.h"

namespace {

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool readList(const std::string& file, kitapi::writer::KitDataSet& set) {
  std::ifstream in(file);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    std::stringstream fields(line);
    std::string cell;
    while (std::getline(fields, cell, '\t')) f.push_back(cell);
    f.resize(11);
    kitapi::writer::KitRecord r;
    r.call = upper(f[0]);
    r.licenceClass = f[1].empty() ? 'G' : static_cast<char>(std::toupper(static_cast<unsigned char>(f[1][0])));
    r.birthYear = std::atoi(f[3].c_str());
    r.birthDay = std::atoi(f[4].c_str());
    r.firstName = f[5];
    r.middle = f[6].empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(f[6][0])));
    r.lastName = f[7];
    r.street = f[8];
    r.city = f[9];
    r.state = f[10];
    if (!r.call.empty() && r.call[0] == 'V') {
      r.postal = upper(f[2]);
      set.ve.push_back(r);
    } else {
      r.zip = std::atol(f[2].c_str());
      set.us.push_back(r);
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: kitdata DIR RECORDS [--extended]\n"
                         "       kitdata DIR --calls FILE [--count N] [--extended]\n");
    return 2;
  }
  kitapi::writer::KitDataSet set;
  std::string calls, records;
  long count = 0;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--extended") == 0) set.extended = true;
    else if (std::strcmp(argv[i], "--calls") == 0 && i + 1 < argc) calls = argv[++i];
    else if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc) count = std::atol(argv[++i]);
    else if (argv[i][0] != '-') records = argv[i];
    else {
      std::fprintf(stderr, "kitdata: unknown option %s\n", argv[i]);
      return 2;
    }
  }
  const bool read = calls.empty() ? readList(records, set) : kstools::inventKitDataSet(calls, count, set);
  if (!read) {
    std::fprintf(stderr, "kitdata: cannot read %s\n", calls.empty() ? records.c_str() : calls.c_str());
    return 1;
  }
  const std::string problem = kitapi::writer::writeKitDataSet(argv[1], set);
  if (!problem.empty()) {
    std::fprintf(stderr, "kitdata: %s\n", problem.c_str());
    return 1;
  }
  std::printf("%zu US and %zu VE records, %zu ZIP counties written to %s\n", set.us.size(),
              set.ve.size(), set.counties.size(), argv[1]);
  return 0;
}
