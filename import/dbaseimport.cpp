#include "dbaseimport.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/fields.h"
#include "dbf/dbtable.h"
#include "foreignrecord.h"
#include "funct/ksfunct.h"
#include "strings.h"
#include "winlayer/winlayer.h"

namespace ksimport {
namespace {

using ksbase::putField;

// The handles the importers ask the table reader for.
constexpr int kTableHandles = 20;
constexpr size_t kMaxErrors = 10;

struct FormatTexts {
  DbaseFormat format;
  ImporterTexts texts;
};
constexpr FormatTexts kTexts[] = {
    {DbaseFormat::DxLog, {43, 45, 44, 46}},
    {DbaseFormat::DxDesktop, {63, 65, 64, 66}},
    {DbaseFormat::LogPlus, {73, 75, 74, 76}},
    {DbaseFormat::SecondOp, {39, 40, 41, 42}},
};

ImporterTexts textsOf(DbaseFormat format) {
  for (const FormatTexts& entry : kTexts)
    if (entry.format == format) return entry.texts;
  return kTexts[0].texts;
}

const char* reasonOf(int code) {
  switch (code) {
    case TABLE_BAD_VERSION: return "its first byte is not that of a dBASE III or IV table";
    case TABLE_BAD_LAYOUT:
      return "its field lengths do not add up to its record length, or its header is cut short";
    case TABLE_NO_HANDLES: return "no table handle is free";
    default: return "the file could not be read";
  }
}

// A logical field: dBASE writes true as T or Y, either case.
bool isTrue(std::string_view text) {
  text = trimBlanks(text);
  return !text.empty() && (text[0] == 'T' || text[0] == 't' || text[0] == 'Y' || text[0] == 'y');
}

// Whether the open table has the layout's fields: enough of them, and date
// fields where the layout has its dates.
bool fitsLayout(int handle, const DbaseLayout& layout) {
  if (TableFieldCount(handle) < static_cast<int>(layout.columns.size())) return false;
  for (size_t i = 0; i < layout.columns.size(); ++i) {
    const DbaseColumn& column = layout.columns[i];
    if (column.use != DbaseUse::Date && column.use != DbaseUse::QslDate) continue;
    char type = 0;
    if (TableFieldInfo(handle, static_cast<int>(i), nullptr, &type, nullptr, nullptr) !=
            TABLE_OK ||
        type != 'D')
      return false;
  }
  return true;
}

class RecordReader {
 public:
  RecordReader(ImportContext& context, DbaseFormat format, int handle)
      : context_(context), layout_(dbaseLayout(format)), format_(format), handle_(handle),
        countries_(context.task) {}

  // Builds the contact of the current record.
  void read();

  const LogRecord& record() const { return record_; }
  std::span<const int> errors() const { return {errors_.data(), errorCount_}; }

 private:
  std::string_view text(size_t position) {
    FieldText(handle_, static_cast<int>(position), buffer_, sizeof buffer_);
    return trimBlanks(buffer_);
  }
  void addError(int code) {
    if (errorCount_ < kMaxErrors) errors_[errorCount_++] = code;
  }

  ImportContext& context_;
  const DbaseLayout& layout_;
  DbaseFormat format_;
  int handle_;
  CountryByPrefix countries_;
  LogRecord record_{};
  std::array<int, kMaxErrors> errors_{};
  size_t errorCount_ = 0;
  char buffer_[256] = {};
};

void RecordReader::read() {
  record_ = LogRecord{};
  putField(record_.qslSent, "N");
  putField(record_.qslRcvd, "N");
  errorCount_ = 0;

  std::string prefix, remarks, remarksMore, mode, freq;
  int cqZone = 0, ituZone = 0;
  int year = 0, month = 0, day = 0;
  int qslYear = 0, qslMonth = 0, qslDay = 0;
  for (size_t i = 0; i < layout_.columns.size(); ++i) {
    const int position = static_cast<int>(i);
    switch (layout_.columns[i].use) {
      case DbaseUse::Ignored: break;
      case DbaseUse::Call: putField(record_.call, upperCase(withoutBlanks(text(i)))); break;
      case DbaseUse::Prefix: prefix = withoutBlanks(text(i)); break;
      case DbaseUse::State: {
        const std::string state = upperCase(text(i));
        if (isState(state.c_str())) putField(record_.state, state);
        break;
      }
      case DbaseUse::CqZone: cqZone = decimalValue(text(i)); break;
      case DbaseUse::ItuZone: ituZone = decimalValue(text(i)); break;
      case DbaseUse::Date: FieldDate(handle_, position, &year, &month, &day); break;
      case DbaseUse::QslDate: FieldDate(handle_, position, &qslYear, &qslMonth, &qslDay); break;
      case DbaseUse::Time: putField(record_.time, logTime(text(i))); break;
      case DbaseUse::Freq: freq = withoutBlanks(text(i)); break;
      case DbaseUse::Mode: mode = text(i); break;
      case DbaseUse::RstSent: putField(record_.rstSent, text(i)); break;
      case DbaseUse::RstRcvd: putField(record_.rstRcvd, text(i)); break;
      case DbaseUse::QslRcvd: putField(record_.qslRcvd, isTrue(text(i)) ? "Y" : "N"); break;
      case DbaseUse::QslSent: putField(record_.qslSent, isTrue(text(i)) ? "Y" : "N"); break;
      case DbaseUse::Remarks: remarks = text(i); break;
      case DbaseUse::RemarksMore: remarksMore = text(i); break;
      case DbaseUse::Name: putField(record_.name, text(i)); break;
      case DbaseUse::City: putField(record_.city, text(i)); break;
      case DbaseUse::Power: putField(record_.power, text(i)); break;
      case DbaseUse::Grid: putField(record_.grid, upperCase(text(i))); break;
      case DbaseUse::DxccFlag: record_.dxccFlag = isTrue(text(i)) ? 1 : 0; break;
      case DbaseUse::DxccModeFlag: record_.dxccModeFlag = isTrue(text(i)) ? 1 : 0; break;
      case DbaseUse::DxccBandFlag: record_.dxccBandFlag = isTrue(text(i)) ? 1 : 0; break;
    }
  }
  putField(record_.remarks, remarks + remarksMore);

  // The day: its year made two-digit and written by the date setting.
  const bool haveCall = record_.call[0] != '\0';
  bool dateGood = false;
  if (year != 0) {
    const AdifDate date = logDate(year, month, day, context_.dateFormat);
    putField(record_.date, date.text);
    dateGood = date.inWindow && CheckDate(record_.date) != 0;
    record_.julianDay = dateGood ? CalcJulianDate(record_.date) : 0;
  }

  // The logger's own prefix names the country when the country database
  // knows it; else the call is searched on its day.
  bool noPrefix = false;
  if (!countries_.find(prefix, record_) && haveCall && dateGood)
    noPrefix = !context_.services->resolveCountry(record_);
  // A zone column left empty keeps the country's zone.
  if (cqZone >= 1 && cqZone <= 40) record_.cqZone = static_cast<uint16_t>(cqZone);
  if (ituZone >= 1 && ituZone <= 90) record_.ituZone = static_cast<uint16_t>(ituZone);

  putField(record_.freq, freq);
  record_.band = static_cast<uint16_t>(
      freq.empty() ? 0 : context_.services->bandOf(std::strtod(record_.freq, nullptr)));

  std::string word = logMode(mode);
  if (format_ == DbaseFormat::DxDesktop && word == "RTY") word = "RTTY";
  putField(record_.mode, word);
  const bool modeGood = record_.mode[0] != '\0' && (isPhone(record_.mode) || isCW(record_.mode) ||
                                                    isFSK(record_.mode) || isSSTV(record_.mode));

  // The card's day, when a card went or came.
  if (qslYear != 0 && (record_.qslSent[0] == 'Y' || record_.qslRcvd[0] == 'Y')) {
    const AdifDate date = logDate(qslYear, qslMonth, qslDay, context_.dateFormat);
    if (date.inWindow) putField(record_.qslDate, date.text);
  }

  if (!haveCall) addError(kMissingCall);
  if (noPrefix) addError(kNoPrefix);
  if (record_.band == 0) addError(kBadFrequency);
  if (!modeGood) addError(kBadMode);
  if (!dateGood) addError(kBadDate);
}

}  // namespace

ImportEnd importDbase(ImportContext& context, DbaseFormat format, const std::string& path) {
  if (!checkInputFile(context.window, path)) return ImportEnd::NotStarted;
  const DbaseLayout& layout = dbaseLayout(format);
  ImportFrame& frame = *context.frame;

  TableInit(kTableHandles, 0);
  int handle = -1;
  const int opened = TableOpen(&handle, path.c_str(), 0);
  if (opened < 0 || !fitsLayout(handle, layout)) {
    char line[1024];
    if (opened < 0)
      std::snprintf(line, sizeof line, message(210), path.c_str(), reasonOf(opened));
    else
      std::snprintf(line, sizeof line, message(213), path.c_str(), layout.program);
    if (handle >= 0) TableClose(handle);
    frame.console(line);
    MessageBox(context.window, messageWith(16, path).c_str(), nullptr, MB_OK | MB_ICONWARNING);
    return ImportEnd::NotStarted;
  }

  LogHeader header{};
  const bool haveHeader = readLogHeader(context.task, header);
  ImportSession session(context.window, context.task, frame, Importer::Other, textsOf(format));
  if (!session.begin(path)) {
    TableClose(handle);
    return ImportEnd::NotStarted;
  }
  const long count = TableRecordCount(handle);
  if (opened == TABLE_SIZE_WARNING) frame.console(messageWithNumber(211, count));

  RecordReader reader(context, format, handle);
  bool cancelled = false, cutShort = false;
  long deleted = 0;
  for (long n = 1; n <= count && !cancelled; ++n) {
    if (TableGoto(handle, n) != TABLE_OK) {
      cutShort = true;
      break;
    }
    if (TableRecordDeleted(handle) == 1) {
      ++deleted;
      continue;
    }
    reader.read();
    const std::string line =
        reader.errors().empty() ? std::string() : tenFieldErrorLine(reader.record());
    if (!session.complete(reader.record(), reader.errors(), &line)) {
      TableClose(handle);
      session.abandon();
      return ImportEnd::Failed;
    }
    cancelled = frame.cancelled();
  }
  TableClose(handle);
  if (deleted > 0) frame.console(messageWithNumber(212, deleted));
  if (!session.end(cancelled, haveHeader ? &header : nullptr, cutShort)) return ImportEnd::Failed;
  if (cancelled) return ImportEnd::Cancelled;
  return cutShort ? ImportEnd::Failed : ImportEnd::Completed;
}

ImportEnd importDxLog(ImportContext& context, const std::string& path) {
  return importDbase(context, DbaseFormat::DxLog, path);
}
ImportEnd importDxDesktop(ImportContext& context, const std::string& path) {
  return importDbase(context, DbaseFormat::DxDesktop, path);
}
ImportEnd importLogPlus(ImportContext& context, const std::string& path) {
  return importDbase(context, DbaseFormat::LogPlus, path);
}
ImportEnd importSecondOp(ImportContext& context, const std::string& path) {
  return importDbase(context, DbaseFormat::SecondOp, path);
}

}  // namespace ksimport
