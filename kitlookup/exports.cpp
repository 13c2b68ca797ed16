// FindCall: finds the data set on first use, looks the callsign up and lays
// the record out; shows the start-up and fatal messages.
#include <cstring>
#include <new>

#include "kit.h"
#include "kitapi32.h"
#include "strings.h"
#include "winlayer/winlayer.h"

namespace kitapi {
namespace {

// Brings the files of the lookup's set up to date. Files opened by name are
// opened for this lookup. Kept files that changed on disk are a data set
// changed under us: it is opened again from its headers, as on first use
// (a message when that fails).
std::string prepareFiles(Module& m) {
  if (!m.keepFiles) {
    for (DataFile* f : {&m.db1, &m.db2, &m.db3, &m.births, &m.veFile})
      if (f->name().size() > 0) f->refresh();
    return {};
  }
  // Something happened in the directory: any file of the data set that
  // changed counts, whichever set this lookup is for.
  if (!m.watch.maybeChanged()) return {};
  bool changed = false;
  for (DataFile* f : {&m.db1, &m.db2, &m.db3, &m.births, &m.veFile}) changed = changed || f->changedOnDisk();
  if (!changed) return {};
  const std::string directory = m.directory;
  const int current = m.current;
  resetModule();
  std::string problem = openDataSet(directory);
  if (!problem.empty()) {
    resetModule();
    return problem;
  }
  m.found = true;
  m.current = current;
  return {};
}

}  // namespace

int findCall(const char* callsign, char* buffer, int length, const char* layout) {
  Module& m = module();
  if (!m.found) {
    const std::string problem = locateDataSet();
    if (!problem.empty()) {
      MessageBox(nullptr, problem.c_str(), message(kCaptionStart), MB_OK | MB_TASKMODAL);
      return 2;
    }
  }
  if (callsign == nullptr) callsign = "";
  while (*callsign == ' ') ++callsign;

  if (const std::string problem = prepareFiles(m); !problem.empty()) {
    MessageBox(nullptr, problem.c_str(), message(kCaptionStart), MB_OK | MB_TASKMODAL);
    return 2;
  }
  const bool wantVe = m.ve.available && (callsign[0] == 'V' || callsign[0] == 'v');
  const int setNumber = wantVe ? 1 : 0;
  if (setNumber != m.current) {
    m.caches = {};
    m.current = setNumber;
  }
  RecordSet& set = wantVe ? m.ve : m.us;

  char positions[6];
  const bool valid = normalise(callsign, positions);
  bool found = false;
  Decoded record;
  const int fault = lookUp(set, positions, found, record);
  if (fault != 0) {
    if (!m.keepFiles) closeFiles();
    MessageBox(nullptr, message(fault), message(kCaptionFatal),
               MB_OK | MB_ICONWARNING | MB_TASKMODAL);
    return 3;
  }
  int result = 1;
  if (found && valid) {
    renderLayout(record, layout != nullptr ? layout : message(kDefaultLayout), buffer, length,
                 countyOf);
    result = 0;
  }
  if (!m.keepFiles) closeFiles();
  return result;
}

}  // namespace kitapi

extern "C" int FindCall(const char* callsign, char* buffer, int length, const char* layout) {
  try {
    return kitapi::findCall(callsign, buffer, length, layout);
  } catch (...) {
    // Out of memory or the like: the lookup is abandoned as after a fatal
    // error, with the files closed.
    kitapi::closeFiles();
    return 3;
  }
}
