// What makes each editor program of the skeleton: its names, form, record,
// list, text form and printing. country.cpp and qslmgr.cpp define them.
#ifndef KESTREL_EDITORS_KIND_H
#define KESTREL_EDITORS_KIND_H

#include <cstdio>
#include <string>
#include <vector>

#include "editor.h"
#include "recdb/dbengine.h"

namespace kseditor {

// How an import of lines ended.
struct LinesResult {
  int stored = 0;
  int emptyKeyLine = 0;  // the line (from 1) whose first field was empty
  int failedLine = 0;    // the line whose record the engine refused
};

struct Kind {
  const char* className;
  const char* title;
  const char* menuName;
  const char* iniFile;  // placement (and colours)
  const char* helpFile;
  const char* helpKeys[3];  // keyboard, commands, procedures
  const char* aboutItem;
  const char* version;
  const char* database;  // "COUNTRY", without extension
  UINT doneMessage;      // to the main program at the end
  const char* (*message)(int id);
  const char* storedCaption;  // of messages 17 and 18
  const char* importCaption;  // of message 31
  const char* printTitle;     // the "Printing" dialog's title
  const char* printHeader;    // "Country Database: %s"
  std::vector<FormField> form;
  int keyField;          // the form field holding the key
  long keyNumber;        // the key's field number
  std::size_t keyWidth;  // bytes of the key value
  std::size_t recordSize;
  int bandTop;  // line heights: the button band, two lines high
  Span indicatorX, indicatorY;
  int listTop;  // line heights
  bool table;   // a data table (QSL manager) rather than a list box
  const char* listCaption;
  int listColumn;         // list box column width, characters
  int emptyKeyMessage;    // import line without its key: 30 or 39
  int storeErrorMessage;  // import line whose record was refused: 16 or 41
  int backFromFirst;      // where Shift+Tab goes from the first field
  bool listWhenOpenFails;

  // The form from a record, and a record from the form: 0, or the message
  // of the first check that fails with the field to put the focus on.
  void (*toForm)(const void* record);
  int (*fromForm)(void* record, int* focus);
  std::string (*listLine)(const void* record);  // list box kinds
  std::string (*exportLine)(const void* record);
  LinesResult (*importLines)(std::FILE* file, DB_TASK* task, int db);
  std::vector<std::string> (*printLines)(const void* record);

  // Data table kinds: the columns, a row from a record and its address,
  // the form from a row, a row's address and its fields for a reader.
  std::size_t rowSize;
  void (*defineTable)(HWND table);
  void (*toRow)(const void* record, DB_ADDR address, void* row);
  void (*rowToForm)(const void* row);
  DB_ADDR (*rowAddress)(const void* row);
  std::string (*rowText)(const void* row);
};

// For the kinds: the text of a form field, and setting it.
std::string formText(int index);
void setFormText(int index, const std::string& text);

}  // namespace kseditor

#endif
