// Cursor shape, mouse capture and the message box call. One cursor and one
// capture per process, as on the platform.
#include <cstdint>

#include "host.h"

namespace {

HCURSOR currentCursor = reinterpret_cast<HCURSOR>(const_cast<char*>(IDC_ARROW));
HWND captureWindow = nullptr;

bool isWait(HCURSOR cursor) {
  return cursor == reinterpret_cast<HCURSOR>(const_cast<char*>(IDC_WAIT));
}

}  // namespace

extern "C" {

HCURSOR LoadCursor(void*, const char* name) {
  return reinterpret_cast<HCURSOR>(const_cast<char*>(name));
}

HICON LoadIcon(HINSTANCE, const char*) {
  static char icon;  // nothing is drawn: every icon is the same token
  return reinterpret_cast<HICON>(&icon);
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous = currentCursor;
  currentCursor = cursor;
  if (isWait(previous) != isWait(cursor)) kswin::host().cursorChanged(isWait(cursor));
  return previous;
}

HCURSOR GetCursor(void) { return currentCursor; }

HWND SetCapture(HWND window) {
  HWND previous = captureWindow;
  captureWindow = window;
  return previous;
}

BOOL ReleaseCapture(void) {
  captureWindow = nullptr;
  return TRUE;
}

HWND GetCapture(void) { return captureWindow; }

int MessageBox(HWND owner, const char* text, const char* caption, UINT style) {
  return kswin::host().messageBox(owner, text ? text : "",
                                  caption ? caption : "Error", style);
}

}  // extern "C"
