// The column layouts of the dBASE logs of DXLog, DX Desktop, LogPlus! and
// Q6QB 2nd Op: which field of the table holds what, by position. The
// importers read them so and the table writer of the tools writes them so;
// docs/formats.md describes them for users of those programs.
#ifndef KESTREL_IMPORT_DBASELAYOUT_H
#define KESTREL_IMPORT_DBASELAYOUT_H

#include <span>

namespace ksimport {

enum class DbaseFormat { DxLog, DxDesktop, LogPlus, SecondOp };

// What a column means to the import.
enum class DbaseUse {
  Ignored,
  Call,
  Prefix,        // the logger's country prefix, a key of the country database
  State,
  CqZone,
  ItuZone,
  Date,          // the contact's day (a date field)
  Time,
  Freq,
  Mode,
  RstSent,
  RstRcvd,
  QslRcvd,       // logical
  QslSent,       // logical
  QslDate,       // the day of the card (a date field)
  Remarks,       // the remarks start with this column ...
  RemarksMore,   // ... and go on with this one when it is not empty
  Name,
  City,
  Power,
  Grid,
  DxccFlag,      // logical award flags
  DxccModeFlag,
  DxccBandFlag,
};

struct DbaseColumn {
  const char* name;  // the field's name as the logger writes it
  char type;         // C, N, D or L
  int length;
  int decimals;
  DbaseUse use;
};

struct DbaseLayout {
  DbaseFormat format;
  const char* program;  // as users know it
  std::span<const DbaseColumn> columns;  // by position in the table
};

const DbaseLayout& dbaseLayout(DbaseFormat format);

}  // namespace ksimport

#endif
