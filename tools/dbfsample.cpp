#include "dbfsample.h"

#include <cstdio>
#include <string>
#include <vector>

#include "dbf/dbfwrite.h"

namespace kstools {
namespace {

using ksimport::DbaseFormat;
using ksimport::DbaseUse;

// Calls, bands and modes of made-up contacts: the same for the same count.
constexpr const char* kFreqs[] = {"3.5250", "7.0250", "14.0250", "14.2000", "21.0500",
                                  "28.4000", "50.1250", "10.1200", "18.0900", "24.9000"};
constexpr const char* kModes[] = {"CW", "SSB", "RTTY", "FT8", "PSK31", "USB"};
constexpr const char* kPrefixes[] = {"K", "W", "N", "DL", "G", "F", "JA", "VK", "PY", "ZS"};
constexpr const char* kStates[] = {"MA", "CT", "NY", "TX", "CA", "OH", "WA", "FL"};

std::string valueFor(DbaseUse use, long n) {
  const unsigned long u = static_cast<unsigned long>(n) * 2654435761UL;
  char text[32];
  switch (use) {
    case DbaseUse::Call: {
      const char* prefix = kPrefixes[u % 10];
      std::snprintf(text, sizeof text, "%s%lu%c%c%c", prefix, (u >> 4) % 10,
                    static_cast<char>('A' + (u >> 8) % 26), static_cast<char>('A' + (u >> 13) % 26),
                    static_cast<char>('A' + (u >> 18) % 26));
      return text;
    }
    case DbaseUse::Date:
      std::snprintf(text, sizeof text, "%04lu%02lu%02lu", 1980 + (u >> 3) % 44, 1 + (u >> 9) % 12,
                    1 + (u >> 14) % 28);
      return text;
    case DbaseUse::Time:
      std::snprintf(text, sizeof text, "%02lu%02lu", (u >> 5) % 24, (u >> 11) % 60);
      return text;
    case DbaseUse::Freq: return kFreqs[(u >> 7) % 10];
    case DbaseUse::Mode: return kModes[(u >> 12) % 6];
    case DbaseUse::RstSent:
    case DbaseUse::RstRcvd: return "599";
    case DbaseUse::QslSent:
    case DbaseUse::QslRcvd: return (u >> 16) % 3 == 0 ? "T" : "F";
    case DbaseUse::State: return kStates[(u >> 6) % 8];
    case DbaseUse::Name: return "OP" + std::to_string(n % 1000);
    case DbaseUse::Remarks: return "contact " + std::to_string(n);
    default: return "";
  }
}

}  // namespace

bool writeDbaseSample(DbaseFormat format, long count, const std::string& path) {
  const ksimport::DbaseLayout& layout = ksimport::dbaseLayout(format);
  std::vector<ksdbf::writer::DbfColumn> columns;
  for (const ksimport::DbaseColumn& column : layout.columns)
    columns.push_back({column.name, column.type, column.length, column.decimals});
  ksdbf::writer::DbfWriter writer(columns);
  if (!writer.open(path)) return false;
  std::vector<std::string> values(columns.size());
  for (long n = 1; n <= count; ++n) {
    for (size_t i = 0; i < columns.size(); ++i) values[i] = valueFor(layout.columns[i].use, n);
    writer.add(values);
  }
  return writer.finish();
}


}  // namespace kstools
