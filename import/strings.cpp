#include "strings.h"

namespace ksimport {
namespace {

struct Entry {
  int id;
  const char* text;
};

// Kept byte for byte as users have always seen them, spelling included.
constexpr Entry kMessages[] = {
    {1, "Do you wish to close %s."},
    {2, "Do you wish to overwrite\n%s?"},
    {3, "Not enough space on the\ndestination drive for\nfile copy/rename."},
    {4, "The source and destination databases must be different."},
    {5, "Do you wish to rename\n%s?"},
    {6, "Kestrel is running.\nPlease exit Kestrel\nand restart this program."},
    {7, "Kestrel has not been run before.\n\nPlease run Kestrel so that\nKSIMPORT maybe configured."},
    {8, "Beginning LogMaster Import.\n"},
    {9, "LM File Import terminated due to an error.\n"},
    {10, "LM File Import Complete.\n"},
    {11, "LogMaster Import terminated at user request.\n"},
    {12, "No such file: %s."},
    {13, "Importing LM Files\nrequires running the\nLM File Compression.\n\nHave you run this?"},
    {14, "Input record too large\nerror reading %s."},
    {15, "Database may been left\nin a unusable state."},
    {16, "Error Opening File %s."},
    {17, "Error Reading File %s."},
    {18, "Error Writing File %s."},
    {19, "No Errors.\n%ld records imported.\n"},
    {20, "%ld records imported.\n%ld records not imported.\nSee %s for details.\n"},
    {21, "Import terminated due\nto an Database Error."},
    // The ASCII file and the dBASE tables of other loggers.
    {22, "Not enough fields to complete at line %d"},
    {39, "Beginning Q6QB 2nd Op File Import.\n"},
    {40, "Q6QB 2nd Op Import Complete.\n"},
    {41, "Q6QB 2nd Op Import terminated due to an error.\n"},
    {42, "Q6QB 2nd Op Import terminated at user request.\n"},
    {43, "Beginning DXLog File Import.\n"},
    {44, "DXLog File Import terminated due to an error.\n"},
    {45, "DXLog File Import Complete.\n"},
    {46, "DXLog Import terminated at user request.\n"},
    {54, "Beginning ASCII File Import.\n"},
    {55, "ASCII Import terminated due to an error.\n"},
    {56, "ASCII File Import Complete.\n"},
    {57, "ASCII File Import terminated at user request.\n"},
    {63, "Beginning DX Desktop File Import.\n"},
    {64, "DX Desktop Import terminated due to an error.\n"},
    {65, "DX Desktop Import Complete.\n"},
    {66, "DX Desktop Import terminated at user request.\n"},
    {73, "Beginning LogPlus! File Import.\n"},
    {74, "LogPlus! Import terminated due to an error.\n"},
    {75, "LogPlus! Import Complete.\n"},
    {76, "LogPlus! Import terminated at user request.\n"},
    {210, "%s cannot be read as a dBASE table: %s.\n"},
    {211, "The table's header does not match its size: the %ld whole records in it are read.\n"},
    {212, "%ld deleted records skipped.\n"},
    {213, "%s does not hold the fields of a %s log.\n"},
    {217, "Lines %ld and on were not read.\n"},
    {23, "Beginning DXBase File Import.\n"},
    {24, "DXBase Import terminated due to an error."},
    {25, "DXBase File Import Complete.\n"},
    {26, "DXBase File Import terminated at user request.\n"},
    {27, "Beginning HyperLog File Import.\n"},
    {28, "HyperLog Import terminated due to an error.\n"},
    {29, "Hyperlog File Import Complete.\n"},
    {30, "HyperLog File Import terminated at user request.\n"},
    {31, "Beginning Log View File Import."},
    {32, "Log View Import terminated due to an error.\n"},
    {33, "Log View Import Complete.\n"},
    {34, "Log View File Import terminated at user request.\n"},
    {35, "Beginning Easy-DX Import.\n"},
    {36, "Easy-DX File Import terminated due to an error.\n"},
    {37, "Easy-DX File Import Complete.\n"},
    {38, "Easy-DX Import terminated at user request.\n"},
    {47, "Do you wish to tag all CT records for labels?"},
    {48, "Do you wish to view the Import award value report?"},
    {49, "Error starting %s."},
    {50, "Beginning CT File Import.\n"},
    {51, "CT Import terminated due to an error.\n"},
    {52, "CT File Import Complete.\n"},
    {53, "CT Import terminated at user request."},
    {58, "No import fields\nhave been selected."},
    {59, "Beginning PakRatt File Import.\n"},
    {60, "PakRatt Import terminated due to an error.\n"},
    {61, "PakRatt File Import Complete.\n"},
    {62, "PakRatt File Import terminated at user request.\n"},
    {67, "Beginning RTTY by Q1QA File Import.\n"},
    {68, "RTTY by Q1QA Import terminated due to an error.\n"},
    {69, "RTTY by Q1QA Import Complete.\n"},
    {70, "RTTY by Q1QA Import terminated at user request.\n"},
    {71, "Incompatible version of file."},
    {72, "Do you wish to tag all Q1QA records for labels?"},
    {77, "Do you wish to tag all impoted records for labels?\n(Used mostly for contest imports)"},
    {100, "CQWW CW Contest"},
    {101, "CQWW SSB Contest"},
    {102, "Sweepstakes CW Contest"},
    {103, "Sweepstakes SSB Contest"},
    {104, "ARRL DX CW Contest"},
    {105, "ARRL DX SSB Contest"},
    {106, "Field Day"},
    {107, "ARRL VHF/UHF Contest"},
    {108, "WAE CW Contest"},
    {109, "WAE SSB Contest"},
    {110, "WPX CW Contest"},
    {111, "WPX SSB Contest"},
    {113, "V1.0 Database detected.\nDo you wish to upgrade it to V2.0?"},
    {114,
     "The conversion will take several minutes to complete.\nThe screen will blank and a DOS "
     "based procedure will be run.\nWhen it is complete,  you may reopen your updated logbook\n"
     "using the Kestrel File Open menu command."},
    {115, "Database operations are not\nallowed on a reference database."},
    {116, "Beginning ADIF File Import.\n"},
    {117, "ADIF Import Complete.\n"},
    {118, "ADIF Import terminated due to an error.\n"},
    {119, "ADIF Import terminated at user request.\n"},
    {120, "Error allocating ADIF input buffer memory."},
    {121, "Error allocating ADIF field buffer memory."},
    {122, "Error allocating ADIF line buffer memory."},
    {123,
     "Do you wish to generate a report which indicates the\nvalue of all imported contacts for "
     "standard awards?\n(Typically used for contest type imports)."},
    {214, "ARRL 160 Meter Contest"},
    {215, "ARRL 10 Meter Contest"},
    {216, "DXPEDITION"},
    {200, "%ld records stored.\n"},
    {201, "%s is open in another program (process %ld).\nIt was left as it is."},
    {230, "Stopped reading %s at %s: %s.\nThe contacts before it are kept.\n"},
};

}  // namespace

const char* message(int id) {
  for (const Entry& entry : kMessages)
    if (entry.id == id) return entry.text;
  return "";
}

std::string messageWith(int id, const std::string& file) {
  std::string text = message(id);
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, file);
  return text;
}

}  // namespace ksimport
