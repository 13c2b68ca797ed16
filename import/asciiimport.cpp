#include "asciiimport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/fields.h"
#include "foreignrecord.h"
#include "funct/ksfunct.h"
#include "strings.h"
#include "textread.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"

namespace ksimport {
namespace {

using ksbase::putField;

constexpr const char* kNames[kAsciiColumns] = {
    "Call",     "Date",    "Time",      "Mode",     "Freq",      "RST Rcv",  "RST Sent",
    "Power",    "Name",    "City",      "State",    "QTH",       "Grid",     "Remarks",
    "QSL Sent", "QSL Rcv", "QSL Date",  "Prefix",   "CQ Zone",   "ITU Zone", "Continent",
    "Sat Id",   "DXCC",    "DXCC Mode", "DXCC Band", "CQ",       "CQ Mode",  "CQ Band",
    "Sat",      "USCA",    "VUCC",      "WAS",      "WAS Mode",  "WAS Band", "Band"};

constexpr int kSizes[kAsciiColumns] = {15, 9, 6, 5, 14, 4, 4, 5, 11, 21, 3, 21,
                                       7,  33, 2, 2, 9, 6, 3, 3, 4, 6, 3, 3,
                                       3,  3, 3, 3, 3, 3, 3, 3, 3, 3, 6};

enum Column {
  kCall, kDate, kTime, kMode, kFreq, kRstRcv, kRstSent, kPower, kName, kCity, kState, kQth,
  kGrid, kRemarks, kQslSent, kQslRcv, kQslDate, kPrefix, kCqZone, kItuZone, kContinent, kSatId,
  kDxcc, kDxccMode, kDxccBand, kCq, kCqMode, kCqBand, kSat, kUsca, kVucc, kWas, kWasMode,
  kWasBand, kBand
};

// Date and mode columns are read whole up to this many characters: a
// four-digit year is never cut to its century, and a mode's full name goes
// through the mode table before it is cut to the log's four characters.
constexpr int kWideTokenSize = 32;
// Longer lines are read to their end; what lies past this is dropped.
constexpr size_t kLongestLine = 1 << 20;
constexpr size_t kMaxErrors = 10;

// Dialog controls.
constexpr int kAllList = 200, kChosenList = 201, kAdd = 202, kRemove = 203, kAddAll = 204;
constexpr int kFirstDateButton = 206, kFirstDelimiterButton = 210, kQuotedBox = 213;

struct DialogState {
  int dateFormat = 0;
  AsciiColumns* answer = nullptr;
};
DialogState& dialogState() {
  static DialogState instance;
  return instance;
}

void registerAsciiDialog() {
  using namespace kswin::controls;
  kswin::DialogTemplate dialog;
  dialog.title = "Field Selection for ASCII File";
  dialog.cx = 290;
  dialog.cy = 190;
  auto at = [](kswin::ControlTemplate control, int x, int y, int cx, int cy) {
    control.x = x;
    control.y = y;
    control.cx = cx;
    control.cy = cy;
    return control;
  };
  dialog.controls = {
      at(listBox(kAllList), 8, 8, 80, 150),
      at(pushButton(kAdd, "---&Add--->"), 96, 20, 60, 14),
      at(pushButton(kRemove, "&Remove->"), 96, 40, 60, 14),
      at(pushButton(kAddAll, "Add Al&l"), 96, 60, 60, 14),
      at(listBox(kChosenList), 164, 8, 80, 150),
      at(groupBox(-1, "&Date Format"), 8, 160, 130, 24),
      at(radioButton(206, "MM&-DD-YY", true), 12, 170, 40, 10),
      at(radioButton(207, "DD&/MM/YY"), 54, 170, 40, 10),
      at(radioButton(208, "YY&.MM.DD"), 96, 170, 40, 10),
      at(groupBox(-1, "Da&te Delimiter"), 144, 160, 140, 24),
      at(radioButton(210, "&Hypen (-)", true), 148, 170, 44, 10),
      at(radioButton(211, "&Slash (/)"), 194, 170, 44, 10),
      at(radioButton(212, "&Period (.)"), 240, 170, 44, 10),
      at(checkBox(kQuotedBox, "&Quoted Field Delimiter"), 96, 80, 90, 12),
      at(pushButton(IDOK, "OK", true), 250, 20, 36, 14),
      at(pushButton(IDCANCEL, "Cancel"), 250, 40, 36, 14),
  };
  kswin::registerDialog("ASCIIFILE", dialog);
}

int columnIndex(const char* name) {
  for (int i = 0; i < kAsciiColumns; ++i)
    if (std::strcmp(kNames[i], name) == 0) return i;
  return -1;
}

void addChosen(HWND dialog) {
  const LRESULT selected = SendDlgItemMessage(dialog, kAllList, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return;
  char name[32] = {};
  if (SendDlgItemMessage(dialog, kAllList, LB_GETTEXT, static_cast<WPARAM>(selected),
                         reinterpret_cast<LPARAM>(name)) == LB_ERR)
    return;
  if (SendDlgItemMessage(dialog, kChosenList, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(name)) != LB_ERR) {
    MessageBeep(0);
    return;
  }
  SendDlgItemMessage(dialog, kChosenList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
}

INT_PTR CALLBACK asciiDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogState& s = dialogState();
  switch (message) {
    case WM_INITDIALOG: {
      s.answer->map.fill(-1);
      for (const char* name : kNames)
        SendDlgItemMessage(dialog, kAllList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
      const int format = s.dateFormat >= 0 && s.dateFormat <= 2 ? s.dateFormat : 0;
      CheckRadioButton(dialog, 206, 208, kFirstDateButton + format);
      CheckRadioButton(dialog, 210, 212, kFirstDelimiterButton + format);
      CheckDlgButton(dialog, kQuotedBox, BST_CHECKED);
      kswin::centreWindow(dialog, GetParent(dialog));
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kAllList:
          if (HIWORD(wParam) == LBN_DBLCLK) addChosen(dialog);
          return TRUE;
        case kAdd: addChosen(dialog); return TRUE;
        case kRemove: {
          const LRESULT selected = SendDlgItemMessage(dialog, kChosenList, LB_GETCURSEL, 0, 0);
          if (selected != LB_ERR)
            SendDlgItemMessage(dialog, kChosenList, LB_DELETESTRING,
                               static_cast<WPARAM>(selected), 0);
          return TRUE;
        }
        case kAddAll:
          SendDlgItemMessage(dialog, kChosenList, LB_RESETCONTENT, 0, 0);
          for (const char* name : kNames)
            SendDlgItemMessage(dialog, kChosenList, LB_ADDSTRING, 0,
                               reinterpret_cast<LPARAM>(name));
          return TRUE;
        case IDOK: {
          const LRESULT count = SendDlgItemMessage(dialog, kChosenList, LB_GETCOUNT, 0, 0);
          if (count <= 0) {
            EndDialog(dialog, -1);
            return TRUE;
          }
          for (LRESULT i = 0; i < count && i < kAsciiColumns; ++i) {
            char name[32] = {};
            SendDlgItemMessage(dialog, kChosenList, LB_GETTEXT, static_cast<WPARAM>(i),
                               reinterpret_cast<LPARAM>(name));
            s.answer->map[static_cast<size_t>(i)] = columnIndex(name);
          }
          for (int b = 0; b < 3; ++b) {
            if (IsDlgButtonChecked(dialog, kFirstDateButton + b)) s.answer->dateOrder = b;
            if (IsDlgButtonChecked(dialog, kFirstDelimiterButton + b)) s.answer->dateDelimiter = b;
          }
          s.answer->quoted = IsDlgButtonChecked(dialog, kQuotedBox) == BST_CHECKED;
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    default:
      (void)lParam;
      return FALSE;
  }
}

// Reads one line of any length, its line end removed. 1 with a line, 0 at
// the end of the file, -1 after a read error (message 17 shown).
int readWholeLine(HWND window, const std::string& path, std::FILE* file, char* buffer, int size,
                  std::string& line) {
  line.clear();
  bool any = false;
  for (;;) {
    const int length = ReadLine(window, path.c_str(), file, buffer, size, 1);
    if (length == kEndOfFile) break;
    if (length == 0 && std::ferror(file)) return -1;
    any = true;
    if (line.size() < kLongestLine) line.append(buffer, static_cast<size_t>(length));
    if ((length > 0 && buffer[length - 1] == '\n') || length < size - 1) break;
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return any ? 1 : 0;
}

bool blankLine(const std::string& line) {
  for (char c : line)
    if (c != ' ' && c != '\t' && c != '\r') return false;
  return true;
}

// Three numbers of a date column, split at "-", else "/", else ".".
bool dateParts(std::string_view text, int parts[3]) {
  const char separator = text.find('-') != std::string_view::npos   ? '-'
                         : text.find('/') != std::string_view::npos ? '/'
                                                                    : '.';
  for (int i = 0; i < 3; ++i) {
    const size_t end = i < 2 ? text.find(separator) : text.size();
    if (end == std::string_view::npos) return false;
    parts[i] = decimalValue(text.substr(0, end));
    if (parts[i] < 0 || end == 0) return false;
    text.remove_prefix(i < 2 ? end + 1 : end);
  }
  return true;
}

class LineBuilder {
 public:
  LineBuilder(ImportContext& context, const AsciiColumns& columns)
      : context_(context), columns_(columns), countries_(context.task) {}

  // Builds the contact of `line`; false when the line has fewer fields than
  // the columns.
  bool build(const std::string& line);

  const LogRecord& record() const { return record_; }
  std::span<const int> errors() const { return {errors_.data(), errorCount_}; }

 private:
  void apply(int column, std::string_view value);
  void finish();
  void addError(int code) {
    if (errorCount_ < kMaxErrors) errors_[errorCount_++] = code;
  }

  ImportContext& context_;
  const AsciiColumns& columns_;
  CountryByPrefix countries_;
  LogRecord record_{};
  std::array<int, kMaxErrors> errors_{};
  size_t errorCount_ = 0;
  bool dateGood_ = false, dateSeen_ = false;
  int bandColumn_ = 0;
  int cqZone_ = 0, ituZone_ = 0;
  std::string prefix_, continent_, mode_, qth_;
  bool prefixColumn_ = false;
};

bool LineBuilder::build(const std::string& line) {
  record_ = LogRecord{};
  putField(record_.qslSent, "N");
  putField(record_.qslRcvd, "N");
  errorCount_ = 0;
  dateGood_ = dateSeen_ = prefixColumn_ = false;
  bandColumn_ = cqZone_ = ituZone_ = 0;
  prefix_.clear();
  continent_.clear();
  mode_.clear();
  qth_.clear();

  const char* quotes = columns_.quoted ? "\"" : "";
  int position = 0;
  char previous = '\0';  // what ended the last field
  char token[kWideTokenSize];
  for (int column : columns_.map) {
    if (column < 0) break;
    const int size = column == kDate || column == kMode ? kWideTokenSize : kSizes[column];
    int quoted = 0;
    char delimiter = '\0';
    if (NextToken(0, token, size, line.c_str(), "\t", ",\r", quotes, '^', &delimiter, &position,
                  &quoted) == 1) {
      // A line that ends with a delimiter has one more, empty, field.
      if (previous != ',') return false;
      token[0] = '\0';
    }
    previous = delimiter;
    apply(column, token);
  }
  finish();
  return true;
}

void LineBuilder::apply(int column, std::string_view value) {
  switch (column) {
    case kCall: putField(record_.call, upperCase(withoutBlanks(value))); break;
    case kDate: {
      dateSeen_ = true;
      int parts[3] = {};
      if (!dateParts(trimBlanks(value), parts)) break;
      int month = parts[0], day = parts[1], year = parts[2];
      if (columns_.dateOrder == 1) month = parts[1], day = parts[0];
      if (columns_.dateOrder == 2) year = parts[0], month = parts[1], day = parts[2];
      const AdifDate date = logDate(year, month, day, context_.dateFormat);
      putField(record_.date, date.text);
      dateGood_ = date.inWindow && CheckDate(record_.date) != 0;
      record_.julianDay = dateGood_ ? CalcJulianDate(record_.date) : 0;
      break;
    }
    case kTime: putField(record_.time, logTime(value)); break;
    case kMode: mode_ = value; break;
    case kFreq: putField(record_.freq, withoutBlanks(value)); break;
    case kRstRcv: putField(record_.rstRcvd, value); break;
    case kRstSent: putField(record_.rstSent, value); break;
    case kPower: putField(record_.power, value); break;
    case kName: putField(record_.name, value); break;
    case kCity: putField(record_.city, value); break;
    case kState: putField(record_.state, upperCase(trimBlanks(value))); break;
    case kQth: qth_ = value; break;
    case kGrid: putField(record_.grid, value); break;
    case kRemarks: putField(record_.remarks, value); break;
    case kQslSent: record_.qslSent[0] = qslLetter(value); break;
    case kQslRcv: record_.qslRcvd[0] = qslLetter(value); break;
    case kQslDate: putField(record_.qslDate, value); break;
    case kPrefix:
      prefixColumn_ = true;
      prefix_ = withoutBlanks(value);
      break;
    case kCqZone: cqZone_ = decimalValue(value); break;
    case kItuZone: ituZone_ = decimalValue(value); break;
    case kContinent: continent_ = upperCase(trimBlanks(value)); break;
    case kSatId: putField(record_.satId, value); break;
    case kBand: bandColumn_ = normalisedBand(decimalValue(value)); break;
    default: {
      // The award flags, in list order.
      std::uint8_t* const flags[] = {
          &record_.dxccFlag, &record_.dxccModeFlag, &record_.dxccBandFlag, &record_.cqFlag,
          &record_.cqModeFlag, &record_.cqBandFlag, &record_.satFlag, &record_.uscaFlag,
          &record_.vuccFlag, &record_.wasFlag, &record_.wasModeFlag, &record_.wasBandFlag};
      const int index = column - kDxcc;
      const int number = decimalValue(value);
      if (index >= 0 && index < 12 && number >= 0 && number <= 255)
        *flags[index] = static_cast<std::uint8_t>(number);
      break;
    }
  }
}

void LineBuilder::finish() {
  const bool haveCall = record_.call[0] != '\0';
  bool noPrefix = false;
  if (haveCall && dateGood_) {
    LogRecord found = record_;
    noPrefix = !context_.services->resolveCountry(found);
    ksbase::copyField(record_.prefix, found.prefix);
    ksbase::copyField(record_.continent, found.continent);
    record_.cqZone = found.cqZone;
    record_.ituZone = found.ituZone;
    if (qth_.empty()) qth_ = ksbase::fieldText(found.qth);
  }
  // The file's own prefix, when the country database knows it.
  if (!prefix_.empty()) {
    LogRecord found{};
    if (countries_.find(prefix_, found)) {
      ksbase::copyField(record_.prefix, found.prefix);
      noPrefix = false;
    }
  }
  if (prefixColumn_ && record_.prefix[0] == '\0') noPrefix = true;
  // Zone and continent columns left empty keep the country's values.
  if (cqZone_ >= 1 && cqZone_ <= 40) record_.cqZone = static_cast<uint16_t>(cqZone_);
  if (ituZone_ >= 1 && ituZone_ <= 90) record_.ituZone = static_cast<uint16_t>(ituZone_);
  if (!continent_.empty()) putField(record_.continent, continent_);

  putField(record_.mode, logMode(mode_));
  const bool modeGood =
      record_.mode[0] != '\0' && (isPhone(record_.mode) || isCW(record_.mode) || isFSK(record_.mode));

  // The frequency's band; a valid band column stands in for a frequency
  // that gives none.
  const int freqBand =
      record_.freq[0] != '\0' ? context_.services->bandOf(std::strtod(record_.freq, nullptr)) : 0;
  if (freqBand != 0) {
    record_.band = static_cast<uint16_t>(freqBand);
  } else if (bandColumn_ != 0 && isBand(bandColumn_)) {
    record_.band = static_cast<uint16_t>(bandColumn_);
    if (record_.freq[0] == '\0') {
      char freq[16] = {};
      BandToFreq(bandColumn_, freq);
      putField(record_.freq, freq);
    }
  }

  if (record_.remarks[0] != '\0' && isState(record_.state) && isUSA(record_.prefix)) {
    const std::string county = upperCase(trimBlanks(std::string_view(record_.remarks).substr(0, 21)));
    const long address = context_.services->findCounty(record_.state, county.c_str());
    if (address != -1) {
      record_.countyNumber = static_cast<int32_t>(address);
      record_.uscaFlag = 1;
    }
  }

  if (!haveCall) addError(kMissingCall);
  if (noPrefix) addError(kNoPrefix);
  if (record_.band == 0) addError(kBadFrequency);
  if (!modeGood) addError(kBadMode);
  if (!dateGood_) addError(kBadDate);
  putField(record_.qth, qth_);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::span<const char* const> asciiColumnNames() { return kNames; }

int asciiColumnSize(int column) {
  return column >= 0 && column < kAsciiColumns ? kSizes[column] : 0;
}

int normalisedBand(int v) {
  if (v >= 10000 && v <= 10499) return 10000;
  if (v >= 5650 && v <= 5924) return 5650;
  if (v >= 3300 && v <= 3499) return 3300;
  if ((v >= 2300 && v <= 2309) || (v >= 2390 && v <= 2449)) return 2300;
  if (v >= 1240 && v <= 1299) return 1240;
  if (v >= 902 && v <= 927) return 902;
  if (v >= 432 && v <= 449) return 432;
  if (v >= 144 && v <= 147) return 2;
  if (v >= 220 && v <= 224) return 220;
  switch (v) {
    case 75: return 80;
    case 50: return 6;
    case 70: return 4;  // 70 MHz
    case 5: return 60;  // 5 MHz
    case 7: return 40;
    case 18: return 17;
    case 14: return 20;
    case 21: return 15;
    case 24: return 12;
    case 28: return 10;
    default: return v;
  }
}

int askAsciiColumns(HWND owner, int dateFormat, AsciiColumns& columns) {
  registerAsciiDialog();
  DialogState& s = dialogState();
  s.dateFormat = dateFormat;
  s.answer = &columns;
  columns.map.fill(-1);
  const INT_PTR answer = DialogBox(nullptr, "ASCIIFILE", owner, asciiDialogProc);
  s.answer = nullptr;
  return static_cast<int>(answer);
}

ImportEnd importAsciiFile(ImportContext& context, const AsciiColumns& columns,
                          const std::string& path) {
  if (!checkInputFile(context.window, path)) return ImportEnd::NotStarted;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    MessageBox(context.window, messageWith(16, path).c_str(), nullptr, MB_OK | MB_ICONWARNING);
    return ImportEnd::NotStarted;
  }
  LogHeader header{};
  const bool haveHeader = readLogHeader(context.task, header);
  ImportFrame& frame = *context.frame;
  ImportSession session(context.window, context.task, frame, Importer::Other, {54, 56, 55, 57});
  if (!session.begin(path)) return ImportEnd::NotStarted;

  constexpr int kPieceSize = 4096;
  auto piece = std::make_unique<char[]>(kPieceSize);
  LineBuilder builder(context, columns);
  std::string line;
  long lineNumber = 0;
  bool cancelled = false, readError = false;
  for (;;) {
    const int got = readWholeLine(context.window, path, file.get(), piece.get(), kPieceSize, line);
    if (got <= 0) {
      readError = got < 0;
      break;
    }
    ++lineNumber;
    if (line[0] == ';' || blankLine(line)) continue;  // comments and empty lines
    if (!builder.build(line)) {
      char text[128];
      std::snprintf(text, sizeof text, message(22), static_cast<int>(lineNumber));
      frame.console(message(55));
      file.reset();
      session.abandon();
      MessageBox(context.window, text, "ASCII Import", MB_OK | MB_ICONWARNING);
      return ImportEnd::Failed;
    }
    if (!session.complete(builder.record(), builder.errors(), &line)) {
      session.abandon();
      return ImportEnd::Failed;
    }
    cancelled = frame.cancelled();
    if (cancelled) break;
  }
  file.reset();
  if (!session.end(cancelled, haveHeader ? &header : nullptr, readError)) return ImportEnd::Failed;
  if (cancelled) return ImportEnd::Cancelled;
  return readError ? ImportEnd::Failed : ImportEnd::Completed;
}

ImportEnd importAscii(ImportContext& context, const std::string& path) {
  AsciiColumns columns;
  const int answer = askAsciiColumns(context.window, context.dateFormat, columns);
  if (answer == -1)
    MessageBox(context.window, message(58), "ASCII Import", MB_OK | MB_ICONWARNING);
  if (answer != 1) return ImportEnd::NotStarted;
  return importAsciiFile(context, columns, path);
}

}  // namespace ksimport
