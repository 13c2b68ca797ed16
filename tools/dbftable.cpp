// dbftable: dBASE tables for the importers of the dBASE loggers.
//   dbftable layout FORMAT            the format's fields, one "NAME TYPE LENGTH DECIMALS" a line
//   dbftable sample FORMAT COUNT FILE a made-up log of COUNT contacts in that layout
//   dbftable dump FILE                every record as the import's reader sees it
// FORMAT is dxlog, dxdesktop, logplus or secondop. The layout listing ends
// each line with what the column means to the import.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dbf/dbtable.h"
#include "import/dbaselayout.h"
#include "dbfsample.h"

namespace {

using ksimport::DbaseFormat;
using ksimport::DbaseUse;

struct FormatName {
  const char* name;
  DbaseFormat format;
};
constexpr FormatName kFormats[] = {{"dxlog", DbaseFormat::DxLog},
                                   {"dxdesktop", DbaseFormat::DxDesktop},
                                   {"logplus", DbaseFormat::LogPlus},
                                   {"secondop", DbaseFormat::SecondOp}};

bool formatOf(const char* name, DbaseFormat& format) {
  for (const FormatName& entry : kFormats)
    if (std::strcmp(entry.name, name) == 0) {
      format = entry.format;
      return true;
    }
  return false;
}

// What a column means, as the layout listing names it.
const char* useName(DbaseUse use) {
  switch (use) {
    case DbaseUse::Ignored: return "ignored";
    case DbaseUse::Call: return "call";
    case DbaseUse::Prefix: return "prefix";
    case DbaseUse::State: return "state";
    case DbaseUse::CqZone: return "cq-zone";
    case DbaseUse::ItuZone: return "itu-zone";
    case DbaseUse::Date: return "date";
    case DbaseUse::Time: return "time";
    case DbaseUse::Freq: return "frequency";
    case DbaseUse::Mode: return "mode";
    case DbaseUse::RstSent: return "rst-sent";
    case DbaseUse::RstRcvd: return "rst-received";
    case DbaseUse::QslRcvd: return "qsl-received";
    case DbaseUse::QslSent: return "qsl-sent";
    case DbaseUse::QslDate: return "qsl-date";
    case DbaseUse::Remarks: return "remarks";
    case DbaseUse::RemarksMore: return "remarks-continued";
    case DbaseUse::Name: return "name";
    case DbaseUse::City: return "city";
    case DbaseUse::Power: return "power";
    case DbaseUse::Grid: return "grid";
    case DbaseUse::DxccFlag: return "dxcc";
    case DbaseUse::DxccModeFlag: return "dxcc-mode";
    case DbaseUse::DxccBandFlag: return "dxcc-band";
  }
  return "ignored";
}

int usage() {
  std::fprintf(stderr,
               "usage: dbftable layout FORMAT | sample FORMAT COUNT FILE | dump FILE\n"
               "FORMAT is dxlog, dxdesktop, logplus or secondop\n");
  return 2;
}

int dump(const char* path) {
  TableInit(20, 0);
  int handle = -1;
  const int code = TableOpen(&handle, path, 0);
  if (code < 0) {
    std::fprintf(stderr, "dbftable: %s: cannot be read as a table (code %d)\n", path, code);
    return 1;
  }
  if (code == TABLE_SIZE_WARNING)
    std::fprintf(stderr, "dbftable: %s: the size does not match the header\n", path);
  const int fields = TableFieldCount(handle);
  for (int f = 0; f < fields; ++f) {
    char name[11] = {};
    char type = 0;
    int length = 0, decimals = 0;
    TableFieldInfo(handle, f, name, &type, &length, &decimals);
    std::printf("%s%s %c %d %d", f ? "\t" : "", name, type, length, decimals);
  }
  std::printf("\n");
  const long count = TableRecordCount(handle);
  for (long n = 1; n <= count; ++n) {
    if (TableGoto(handle, n) != TABLE_OK) return 1;
    std::printf("%s", TableRecordDeleted(handle) == 1 ? "*" : " ");
    for (int f = 0; f < fields; ++f) {
      char type = 0;
      TableFieldInfo(handle, f, nullptr, &type, nullptr, nullptr);
      if (type == 'D') {
        int y = 0, m = 0, d = 0;
        FieldDate(handle, f, &y, &m, &d);
        std::printf("\t%04d-%02d-%02d", y, m, d);
        continue;
      }
      char text[256];
      FieldText(handle, f, text, sizeof text);
      std::string value = text;
      while (!value.empty() && value.back() == ' ') value.pop_back();
      value.erase(0, value.find_first_not_of(' ') == std::string::npos ? value.size()
                                                                        : value.find_first_not_of(' '));
      std::printf("\t%s", value.c_str());
    }
    std::printf("\n");
  }
  TableClose(handle);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  DbaseFormat format{};
  if (command == "layout" && argc == 3 && formatOf(argv[2], format)) {
    for (const ksimport::DbaseColumn& column : ksimport::dbaseLayout(format).columns)
      std::printf("%s %c %d %d %s\n", column.name, column.type, column.length, column.decimals,
                  useName(column.use));
    return 0;
  }
  if (command == "sample" && argc == 5 && formatOf(argv[2], format)) {
    const long count = std::strtol(argv[3], nullptr, 10);
    if (count < 0) return usage();
    if (kstools::writeDbaseSample(format, count, argv[4])) return 0;
    std::fprintf(stderr, "dbftable: cannot write %s\n", argv[4]);
    return 1;
  }
  if (command == "dump" && argc == 3) return dump(argv[2]);
  return usage();
}
