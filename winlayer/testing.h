/* Hooks of the window layer that only tests use: the clock, key states,
 * failing modules and print steps, and what the data table and the printer
 * were left holding. They are not exported from libkswin.so: tests link the
 * layer statically. */
#ifndef KESTREL_WINLAYER_TESTING_H
#define KESTREL_WINLAYER_TESTING_H

#include <string>
#include <string_view>
#include <vector>

#include "winlayer/host.h"

namespace kswin {

/* Stops the clock (timers, GetTickCount) at its current time (on) or lets
 * it run again; advanceClock moves the stopped clock forward. */
void useTestClock(bool on);
void advanceClock(unsigned milliseconds);
/* Marks a key held down or released for GetKeyState (shift, control). */
void setKeyDown(int virtualKey, bool down);
/* Makes LoadLibrary of `name` fail (or succeed again). */
void setLibraryMissing(std::string_view name, bool missing);

/* ---- The data table as its callers left it (for tests) ----------------- */
struct DataTableColumn {
  int type = 0, length = 0, flags = 0, width = 0;
  size_t offset = 0;  // in the row record
  std::string mask, title;
};
struct DataTableView {
  std::vector<DataTableColumn> columns;
  size_t recordSize = 0;
  size_t rows = 0;
  int current = -1, marked = -1, focused = -1, scrolledTo = -1, doubleClicked = -1;
  int sortKeys[3] = {-1, -1, -1};
  COLORREF background = 0, text = 0;
  bool redraw = true;
};
/* What a data table window holds; an empty view for other windows. */
DataTableView dataTableView(HWND table);

/* ---- Printing -------------------------------------------------------------*/
struct PrintedText {
  int x = 0, y = 0;
  std::string text;
};
struct PrintedPage {
  std::vector<PrintedText> texts;  // in the order printed
};
struct PrintedDocument {
  std::string name;
  std::string output;  // the PDF file
  std::vector<PrintedPage> pages;
  bool ended = false;    // EndDoc
  bool aborted = false;  // AbortDoc, or the abort procedure said stop
};
/* Every document printed in this process, oldest first. */
std::vector<PrintedDocument> printedDocuments();
void clearPrintedDocuments();
/* Makes the next call of `step` ("SetAbortProc", "StartDoc") fail. */
void failNextPrintStep(std::string_view step);

/* ---- What windows drew --------------------------------------------------- */
struct StretchRecord {
  HWND window = nullptr;  // null: the window has not stretched a bitmap
  int x = 0, y = 0, width = 0, height = 0;
  int srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0;
  const void* bits = nullptr;  // the caller's pixels, as passed
  const void* info = nullptr;  // its BITMAPINFOHEADER and colour table
  UINT usage = 0;
  DWORD rop = 0;
  int stretchMode = 0;  // of the device context at the time
};
/* The last StretchDIBits made on a device context of `window`. */
StretchRecord lastStretch(HWND window);

}  // namespace kswin

#endif
