#include "adifimport.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "funct/ksfunct.h"
#include "adifloop.h"
#include "strings.h"
#include "recdb/recdb.h"
#include "winlayer/winlayer.h"

namespace ksimport {
namespace {

// Problems of the file shown on the console, at most this many.
constexpr long kProblemsShown = 20;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

ImportEnd importAdif(HWND window, DB_TASK* task, ImportFrame& frame, RecordServices& services,
                     AdifSettings settings, const std::string& path) {
  // Only a name that is not there is "no such file"; a directory, a FIFO (which
  // would wait for a writer) or a file that cannot be read cannot be opened.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
    MessageBox(window, messageWith(12, path).c_str(), nullptr, MB_OK | MB_ICONWARNING);
    return ImportEnd::NotStarted;
  }
  std::unique_ptr<std::FILE, FileCloser> file(
      S_ISREG(st.st_mode) ? std::fopen(path.c_str(), "rb") : nullptr);
  if (!file) {
    MessageBox(window, messageWith(16, path).c_str(), nullptr, MB_OK | MB_ICONWARNING);
    return ImportEnd::NotStarted;
  }

  LogHeader header{};
  const char marker[4] = {'X', 'X', 'X', '\0'};
  const bool haveHeader = dbKeyFind(logfield::kHeaderMarker, marker, task, 0) == RECDB_OK &&
                          dbRecordRead(&header, task, 0) == RECDB_OK;

  AdifReader reader(window, path.c_str(), file.get());
  if (reader.allocationFailure() != 0) {
    MessageBox(window, message(reader.allocationFailure()), nullptr, MB_OK | MB_ICONERROR);
    return ImportEnd::NotStarted;
  }
  ImportSession session(window, task, frame, Importer::Adif, {116, 117, 118, 119});
  if (!session.begin(path)) return ImportEnd::NotStarted;

  long problems = 0;
  reader.setProblemSink([&](long line, const std::string& text) {
    if (++problems <= kProblemsShown)
      frame.console("Line " + std::to_string(line) + ": " + text + "\n");
    else if (problems == kProblemsShown + 1)
      frame.console("Further problems of the file are not shown.\n");
  });

  settings.tagForLabels = session.tagForLabels();
  AdifRecordBuilder builder(services, settings);
  bool failed = false;
  bool cancelled = false;
  long endsBeforeHeader = 0;
  const LoopEnd end = readAdifRecords(reader, builder, [&](const AdifRecordBuilder& record) {
    if (!session.complete(record.record(), record.errors())) {
      failed = true;
      return false;
    }
    cancelled = frame.cancelled();
    return !cancelled;
  }, &endsBeforeHeader);
  if (endsBeforeHeader > 0)
    frame.console("The file has no <EOH> ending its header: " + std::to_string(endsBeforeHeader) +
                  " records were not read.\n");
  file.reset();

  if (failed) {
    session.abandon();
    return ImportEnd::Failed;
  }
  if (!session.end(cancelled, haveHeader ? &header : nullptr, end == LoopEnd::ReadError))
    return ImportEnd::Failed;
  if (cancelled) return ImportEnd::Cancelled;
  return end == LoopEnd::ReadError ? ImportEnd::Failed : ImportEnd::Completed;
}

}  // namespace ksimport
