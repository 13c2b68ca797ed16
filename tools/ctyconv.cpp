// ctyconv: writes the country database's text form from cty.dat (see
// ctyconvert.h for what it keeps).
//
//   ctyconv [--calls FILE] [CTY.DAT [OUTPUT]]
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ctyconvert.h"

namespace {

bool readWhole(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream whole;
  whole << in.rdbuf();
  text = whole.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf(
        "usage: ctyconv [--calls FILE] [CTY.DAT [OUTPUT]]\n"
        "Writes the country database's text form from cty.dat.\n"
        "CTY.DAT defaults to /usr/share/hamradio-files/cty.dat, OUTPUT to\n"
        "standard output. What is left out is reported on standard error.\n"
        "--calls FILE: a list of real calls, one per line (such as MASTER.SCP);\n"
        "  where an entity's prefixes exceed the 511 characters of its list,\n"
        "  those that begin the most of these calls are kept.\n");
    return 0;
  }
  std::vector<std::string> calls;
  if (argc > 2 && std::strcmp(argv[1], "--calls") == 0) {
    std::ifstream in(argv[2]);
    if (!in) {
      std::fprintf(stderr, "ctyconv: cannot read %s\n", argv[2]);
      return 1;
    }
    for (std::string call; std::getline(in, call);) {
      const auto first = call.find_first_not_of(" \t\r");
      const auto last = call.find_last_not_of(" \t\r");
      if (first != std::string::npos && call[first] != '#')
        calls.push_back(call.substr(first, last - first + 1));
    }
    argc -= 2;
    argv += 2;
  }
  const char* source = argc > 1 ? argv[1] : "/usr/share/hamradio-files/cty.dat";
  std::string cty;
  if (!readWhole(source, cty)) {
    std::fprintf(stderr, "ctyconv: cannot read %s\n", source);
    return 1;
  }
  ctyconv::Report report;
  const auto lines = ctyconv::convert(cty, calls, report);
  if (report.active + report.uncounted == 0) {
    std::fprintf(stderr, "ctyconv: no entities in %s\n", source);
    return 1;
  }

  const std::string text = ctyconv::countryFile(lines);
  std::FILE* out = stdout;
  if (argc > 2 && !(out = std::fopen(argv[2], "wb"))) {
    std::fprintf(stderr, "ctyconv: cannot write %s\n", argv[2]);
    return 1;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if (!written || (out != stdout && std::fclose(out) != 0)) {
    std::fprintf(stderr, "ctyconv: writing %s failed\n", argc > 2 ? argv[2] : "the output");
    return 1;
  }
  std::fputs(ctyconv::summary(report).c_str(), stderr);
  return report.notes.empty() ? 0 : 1;
}
