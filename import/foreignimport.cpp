#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "foreign.h"
#include "foreignread.h"
#include "recdb/recdb.h"
#include "session.h"
#include "strings.h"
#include "winlayer/winlayer.h"

namespace ksimport {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

struct FormatInfo {
  ForeignFormat format;
  Importer importer;
  ImporterTexts texts;
  bool lines;  // read as text lines (else records)
};

constexpr FormatInfo kFormats[] = {
    {ForeignFormat::Ct, Importer::Ct, {50, 52, 51, 53}, true},
    {ForeignFormat::DxBase, Importer::Other, {23, 25, 24, 26}, true},
    {ForeignFormat::EasyDx, Importer::Other, {35, 37, 36, 38}, false},
    {ForeignFormat::LogView, Importer::Other, {31, 33, 32, 34}, false},
    {ForeignFormat::LogMaster, Importer::Other, {8, 10, 9, 11}, false},
    {ForeignFormat::HyperLog, Importer::Other, {27, 29, 28, 30}, true},
    {ForeignFormat::PakRatt, Importer::Other, {59, 61, 60, 62}, true},
    {ForeignFormat::Rtty, Importer::Rtty, {67, 69, 68, 70}, false},
};

const FormatInfo& infoOf(ForeignFormat format) {
  for (const FormatInfo& info : kFormats)
    if (info.format == format) return info;
  return kFormats[0];
}

}  // namespace

ReadResult readForeign(ForeignFormat format, std::FILE* file, ReadContext& context,
                       const ContactSink& sink) {
  switch (format) {
    case ForeignFormat::Ct: return foreign::readCt(file, context.fileName, context, sink);
    case ForeignFormat::DxBase: return foreign::readDxBase(file, context.fileName, context, sink);
    case ForeignFormat::HyperLog: return foreign::readHyperLog(file, context.fileName, context, sink);
    case ForeignFormat::PakRatt: return foreign::readPakRatt(file, context.fileName, context, sink);
    case ForeignFormat::EasyDx: return foreign::readEasyDx(file, context, sink);
    case ForeignFormat::LogView: return foreign::readLogView(file, context, sink);
    case ForeignFormat::LogMaster: return foreign::readLogMaster(file, context, sink);
    case ForeignFormat::Rtty: return foreign::readRtty(file, context, sink);
  }
  return {};
}

ImportEnd importForeign(ForeignFormat format, HWND window, DB_TASK* task, ImportFrame& frame,
                        ForeignServices& services, const ForeignOptions& options,
                        const std::string& path) {
  const FormatInfo& info = infoOf(format);
  // Only a name that is not there is "no such file"; a directory or a FIFO
  // cannot be opened.
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
  std::setvbuf(file.get(), nullptr, _IOFBF, 1 << 16);

  LogHeader header{};
  const char marker[4] = {'X', 'X', 'X', '\0'};
  const bool haveHeader = dbKeyFind(logfield::kHeaderMarker, marker, task, 0) == RECDB_OK &&
                          dbRecordRead(&header, task, 0) == RECDB_OK;

  ImportSession session(window, task, frame, info.importer, info.texts);
  if (!session.begin(path)) return ImportEnd::NotStarted;

  ReadContext context{services, options, session.tagForLabels(), path.c_str()};
  bool failed = false;
  bool cancelled = false;
  const ReadResult result = readForeign(format, file.get(), context, [&](const Contact& contact) {
    const std::string line =
        contact.errorLine.empty() ? tenTextLine(contact.record) : contact.errorLine;
    if (!session.complete(contact.record, contact.errors(), &line)) {
      failed = true;
      return false;
    }
    cancelled = frame.cancelled();
    return !cancelled;
  });
  file.reset();
  if (failed) {
    session.abandon();
    return ImportEnd::Failed;
  }

  const bool cutShort = result.end != ReadEnd::EndOfFile && result.end != ReadEnd::Stopped;
  if (result.end == ReadEnd::Malformed) {
    const char* unit = info.lines ? "line" : "record";
    const std::string where = result.where > 0
                                  ? std::string(unit) + " " + std::to_string(result.where)
                                  : std::string("its start");
    char text[512];
    std::snprintf(text, sizeof text, message(kBrokenFileMessage), path.c_str(), where.c_str(),
                  result.detail.c_str());
    frame.console(text);
  }
  if (result.end == ReadEnd::Incompatible) frame.console(message(71));
  if (!session.end(cancelled, haveHeader ? &header : nullptr, cutShort)) return ImportEnd::Failed;

  // What stopped the reading is said once the files are closed.
  switch (result.end) {
    case ReadEnd::ReadError:
      if (!info.lines)
        MessageBox(window, messageWith(17, path).c_str(), nullptr, MB_OK | MB_ICONWARNING);
      break;
    case ReadEnd::TooLarge:
      MessageBox(window, messageWith(14, path).c_str(), nullptr, MB_OK | MB_ICONWARNING);
      break;
    case ReadEnd::FewFields: {
      char text[128];
      std::snprintf(text, sizeof text, message(22), static_cast<int>(result.where));
      MessageBox(window, text, "HyperLog Import", MB_OK | MB_ICONWARNING);
      break;
    }
    case ReadEnd::Incompatible:
      MessageBox(window, message(71), nullptr, MB_OK | MB_ICONWARNING);
      break;
    default: break;
  }
  if (cancelled) return ImportEnd::Cancelled;
  return cutShort ? ImportEnd::Failed : ImportEnd::Completed;
}

}  // namespace ksimport
