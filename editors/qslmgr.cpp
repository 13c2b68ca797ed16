// The QSL manager editor (Kestrel QSL Manager): call sign, manager, name,
// address and comment, listed in a data table sorted by call sign.
#include <cstdio>
#include <cstddef>
#include <cstring>
#include <vector>

#include "base/fields.h"
#include "funct/ksfunct.h"
#include "kind.h"
#include "schema/mainwindow.h"
#include "schema/qsldb.h"
#include "strings.h"
#include "winlayer/datatable.h"
#include "winlayer/winlayer.h"

namespace kseditor {
namespace {

enum Field { kCall, kVia, kName, kAddress1, kAddress2, kAddress3, kComment };

// One row of the table: the record's texts at the table's widths, then the
// record's database address.
#pragma pack(push, 1)
struct QslRow {
  char call[15];
  char via[15];
  char name[40];
  char address1[40];
  char address2[40];
  char address3[40];
  char comment[80];
  char pad[2];
  std::int32_t address;
};
#pragma pack(pop)
static_assert(sizeof(QslRow) == 276);
static_assert(offsetof(QslRow, comment) == 190);
static_assert(offsetof(QslRow, address) == 272);

struct Column {
  const char* title;
  int bytes;
  int width;
};
constexpr Column kColumns[] = {{"Callsign", 15, 56},        {"QSL Via", 15, 56},
                               {"Name", 40, 156},           {"Address Line 1", 40, 156},
                               {"Address Line 2", 40, 156}, {"Address Line 3", 40, 156},
                               {"Comment", 80, 316}};

void defineTable(HWND table) {
  SendMessage(table, DT_RESET, 0, 0);
  SendMessage(table, DT_SETCOLUMNCOUNT, 8, 0);
  WPARAM col = 0;
  for (const Column& c : kColumns) {
    SendMessage(table, DT_SETCOLUMNFLAGS, col, DT_FLAG_LEFT);
    SendMessage(table, DT_SETCOLUMNTYPE, col, DT_TYPE_TEXT);
    SendMessage(table, DT_SETCOLUMNLENGTH, col, c.bytes);
    SendMessage(table, DT_SETCOLUMNWIDTH, col, c.width);
    SendMessage(table, DT_SETCOLUMNTITLE, col, reinterpret_cast<LPARAM>(c.title));
    ++col;
  }
  SendMessage(table, DT_SETCOLUMNFLAGS, col, DT_FLAG_HIDDEN);
  SendMessage(table, DT_SETCOLUMNTYPE, col, DT_TYPE_INT32);
  SendMessage(table, DT_SETCOLUMNLENGTH, col, 4);
  SendMessage(table, DT_SETCOLUMNWIDTH, col, 0);
  SendMessage(table, DT_DELETEALLROWS, 0, 0);
  SendMessage(table, DT_SETCURRENTROW, 0, DT_NOROW);
}

const QslManagerRecord& asRecord(const void* record) {
  return *static_cast<const QslManagerRecord*>(record);
}
const QslRow& asRow(const void* row) { return *static_cast<const QslRow*>(row); }

// A form field's text without its trailing blanks.
std::string stripped(int index) {
  std::string text = formText(index);
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  Strip(buffer.data());
  return buffer.data();
}

std::vector<FormField> qslForm() {
  const Span editRow{1, 5}, labelRow{0, 4};
  return {
      {"call", "Call", {1, 0}, labelRow, {1, 0}, editRow, {15, 0}, 14, true},
      {"via", "QSL Via", {1, 0}, {3, 12}, {1, 0}, {5, 0}, {15, 0}, 14, true},
      {"name", "Name", {18, 0}, labelRow, {18, 0}, editRow, {41, 0}, 39, false},
      {"address1", "Address Line 1", {61, 0}, {3, 2}, {18, 0}, {3, 2}, {41, 0}, 39, false},
      {"address2", "Address Line 2", {61, 0}, {5, 0}, {18, 0}, {5, 0}, {41, 0}, 39, false},
      {"address3", "Address Line 3", {61, 0}, {7, -1}, {18, 0}, {7, -1}, {41, 0}, 39, false},
      // The record holds 77 characters of comment and its terminator; the
      // field takes no more, so that what is typed is what is stored.
      {"comment", "Comment", {1, 0}, {8, -1}, {1, 0}, {9, 0}, {76, 4},
       static_cast<int>(qsltext::kCommentWidth), false},
  };
}

Kind makeQslKind() {
  Kind k{};
  k.className = "KSQSLMgrWClass";
  k.title = "Kestrel QSL Manager";
  k.menuName = "KSQSLMgrMenu";
  k.iniFile = "KSQSLMGR.INI";
  k.helpFile = "KSQSLMGR.HLP";
  k.helpKeys[0] = "KSQSLMgr Keys";
  k.helpKeys[1] = "KSQSLMgr Commands";
  k.helpKeys[2] = "KSQSLMgr Procedures";
  k.aboutItem = "&About QSL Manager...";
  k.version = "4.00";
  k.database = "QSLMGR";
  k.doneMessage = KM_QSL_EDITOR_DONE;
  k.message = qslMessage;
  k.storedCaption = "QSL Manager";
  k.importCaption = "QSL Manager";
  k.printTitle = "KSQSLMgr";
  k.printHeader = "QSL Manager Database: %s";
  k.form = qslForm();
  k.keyField = kCall;
  k.keyNumber = reffield::kQslCall;
  k.keyWidth = sizeof(QslManagerRecord::call);
  k.recordSize = sizeof(QslManagerRecord);
  k.bandTop = 11;
  k.indicatorX = {74, 0};
  k.indicatorY = {11, 6};
  k.listTop = 14;
  k.table = true;
  k.listCaption = "";
  k.listColumn = 0;
  k.emptyKeyMessage = 30;
  k.storeErrorMessage = 16;
  k.backFromFirst = kComment;
  k.listWhenOpenFails = true;
  k.toForm = [](const void* record) {
    const QslManagerRecord& r = asRecord(record);
    setFormText(kCall, ksbase::fieldText(r.call));
    setFormText(kVia, ksbase::fieldText(r.via));
    setFormText(kName, ksbase::fieldText(r.name));
    setFormText(kAddress1, ksbase::fieldText(r.address1));
    setFormText(kAddress2, ksbase::fieldText(r.address2));
    setFormText(kAddress3, ksbase::fieldText(r.address3));
    setFormText(kComment, ksbase::fieldText(r.comment));
  };
  k.fromForm = [](void* record, int*) {
    auto& r = *static_cast<QslManagerRecord*>(record);
    r = QslManagerRecord{};
    ksbase::putField(r.call, stripped(kCall));
    ksbase::putField(r.via, stripped(kVia));
    ksbase::putField(r.name, stripped(kName));
    ksbase::putField(r.address1, stripped(kAddress1));
    ksbase::putField(r.address2, stripped(kAddress2));
    ksbase::putField(r.address3, stripped(kAddress3));
    ksbase::putField(r.comment, stripped(kComment));
    return 0;
  };
  k.exportLine = [](const void* record) {
    return qsltext::formatQslLine(qsltext::fromQslRecord(asRecord(record)));
  };
  k.importLines = [](std::FILE* file, DB_TASK* task, int db) {
    const qsltext::ImportResult r = qsltext::importQslLines(file, task, db);
    return LinesResult{r.stored, 0, r.failedLine};
  };
  k.printLines = [](const void* record) {
    const qsltext::QslLine r = qsltext::fromQslRecord(asRecord(record));
    std::vector<std::string> lines(3);
    char line[512];
    std::snprintf(line, sizeof line, "%-14s %-14s %-s", r.call.c_str(), r.via.c_str(),
                  r.name.c_str());
    lines[0] = line;
    std::snprintf(line, sizeof line, "%-40s %-40s", r.address1.c_str(), r.address2.c_str());
    lines[1] = line;
    std::snprintf(line, sizeof line, "%-40s %-40s", r.address3.c_str(), r.comment.c_str());
    lines[2] = line;
    return lines;
  };
  k.rowSize = sizeof(QslRow);
  k.defineTable = defineTable;
  k.toRow = [](const void* record, DB_ADDR address, void* out) {
    const QslManagerRecord& r = asRecord(record);
    QslRow& row = *static_cast<QslRow*>(out);
    row = QslRow{};
    ksbase::copyField(row.call, r.call);
    ksbase::copyField(row.via, r.via);
    ksbase::copyField(row.name, r.name);
    ksbase::copyField(row.address1, r.address1);
    ksbase::copyField(row.address2, r.address2);
    ksbase::copyField(row.address3, r.address3);
    ksbase::copyField(row.comment, r.comment);
    row.address = address;
  };
  k.rowToForm = [](const void* row) {
    const QslRow& r = asRow(row);
    setFormText(kCall, ksbase::fieldText(r.call));
    setFormText(kVia, ksbase::fieldText(r.via));
    setFormText(kName, ksbase::fieldText(r.name));
    setFormText(kAddress1, ksbase::fieldText(r.address1));
    setFormText(kAddress2, ksbase::fieldText(r.address2));
    setFormText(kAddress3, ksbase::fieldText(r.address3));
    setFormText(kComment, ksbase::fieldText(r.comment));
  };
  k.rowAddress = [](const void* row) { return static_cast<DB_ADDR>(asRow(row).address); };
  k.rowText = [](const void* row) {
    const QslRow& r = asRow(row);
    return ksbase::fieldText(r.call) + '\t' + ksbase::fieldText(r.via) + '\t' +
           ksbase::fieldText(r.name) + '\t' + ksbase::fieldText(r.address1) + '\t' +
           ksbase::fieldText(r.address2) + '\t' + ksbase::fieldText(r.address3) + '\t' +
           ksbase::fieldText(r.comment);
  };
  return k;
}

}  // namespace

const Kind& qslEditor() {
  static const Kind kind = makeQslKind();
  return kind;
}

}  // namespace kseditor
