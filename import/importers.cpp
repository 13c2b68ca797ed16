#include "importers.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "asciiimport.h"
#include "dbaseimport.h"
#include "foreigncommands.h"
#include "program.h"
#include "recdb/recdb.h"
#include "strings.h"
#include "winlayer/winlayer.h"

namespace ksimport {
namespace {

struct Entry {
  UINT id;
  ImportFunction run;
};

// One line per format.
constexpr Entry kImporters[] = {
    {menu::kAscii, importAscii},
    {menu::kDxLog, importDxLog},
    {menu::kDxDesktop, importDxDesktop},
    {menu::kLogPlus, importLogPlus},
    {menu::kSecondOp, importSecondOp},
    {menu::kCt, importCt},
    {menu::kDxBase, importDxBase},
    {menu::kEasyDx, importEasyDx},
    {menu::kLogView, importLogView},
    {menu::kLogMaster, importLogMaster},
    {menu::kHyperlog, importHyperLog},
    {menu::kPakRatt, importPakRatt},
    {menu::kRtty, importRtty},
};

}  // namespace

ImportFunction importerFor(UINT id) {
  for (const Entry& entry : kImporters)
    if (entry.id == id) return entry.run;
  return nullptr;
}

bool checkInputFile(HWND window, const std::string& path) {
  // Only a name that is not there is "no such file"; a directory or a FIFO
  // cannot be opened.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
    MessageBox(window, messageWith(12, path).c_str(), nullptr, MB_OK | MB_ICONWARNING);
    return false;
  }
  std::FILE* probe = S_ISREG(st.st_mode) ? std::fopen(path.c_str(), "rb") : nullptr;
  if (probe == nullptr) {
    MessageBox(window, messageWith(16, path).c_str(), nullptr, MB_OK | MB_ICONWARNING);
    return false;
  }
  std::fclose(probe);
  return true;
}

bool readLogHeader(DB_TASK* task, LogHeader& header) {
  const char marker[4] = {'X', 'X', 'X', '\0'};
  return dbKeyFind(logfield::kHeaderMarker, marker, task, 0) == RECDB_OK &&
         dbRecordRead(&header, task, 0) == RECDB_OK;
}

std::string messageWithNumber(int id, long number) {
  char text[512];
  std::snprintf(text, sizeof text, message(id), number);
  return text;
}

}  // namespace ksimport
