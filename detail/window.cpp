// The detail window: a top-level window whose client area is the data
// table, placed and coloured from the settings file.
#include <cstdio>
#include <cstring>
#include <string>

#include "winlayer/datatable.h"
#include "internal.h"
#include "strings.h"
#include "schema/mainwindow.h"
#include "winlayer/winlayer.h"

namespace ksdetail {
namespace {

constexpr const char* kIni = "KESTREL.INI";
constexpr const char* kClassName = "DetailWClass";
constexpr int kTableId = 1;
constexpr int kAbsent = CW_USEDEFAULT;  // what a missing placement key reads as

int readInt(const char* section, const char* key, int fallback) {
  return static_cast<int>(GetPrivateProfileInt(section, key, fallback, kIni));
}

// A colour from three keys of "Browser", taken only when all three are
// there.
COLORREF readColour(const char* red, const char* green, const char* blue, COLORREF fallback) {
  const int r = readInt("Browser", red, -1), g = readInt("Browser", green, -1),
            b = readInt("Browser", blue, -1);
  if (r == -1 || g == -1 || b == -1) return fallback;
  return static_cast<COLORREF>(r + 256 * g + 65536 * b);
}

void sendColours(HWND table) {
  COLORREF colours[2] = {readColour("Bkr", "Bkg", "Bkb", RGB(255, 251, 191)),
                         readColour("Textr", "Textg", "Textb", RGB(0, 0, 0))};
  SendMessage(table, DT_SETCOLORS, 0, reinterpret_cast<LPARAM>(colours));
}

LONG desktopRight() {
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  return desktop.right;
}

void showLastError() {
  char text[256] = {};
  FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, GetLastError(), 0, text, sizeof text,
                nullptr);
  MessageBox(nullptr, text, "Error", MB_OK | MB_ICONINFORMATION);
}

void writeInt(const char* key, long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%ld", value);
  WritePrivateProfileString("Detail", key, text, kIni);
}

void savePlacement(HWND window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return;
  const RECT& r = placement.rcNormalPosition;
  const LONG right = desktopRight();
  writeInt("Left", r.left);
  writeInt("Top", r.top);
  writeInt("Width", r.right > right ? right : r.right);
  writeInt("Height", r.bottom);
}

// A double-click on a row: the host shows that row's contact.
void showContact(HWND window) {
  State& s = state();
  const LRESULT row = SendMessage(s.table, DT_GETDBLCLKROW, 0, 0);
  if (row < 0) return;
  DetailRow buffer{};
  SendMessage(s.table, DT_SETCURRENTROW, 0, row);
  SendMessage(s.table, DT_GETROW, 0, reinterpret_cast<LPARAM>(&buffer));
  if (buffer.address == 0) return;
  HWND main = FindWindow(KESTREL_MAIN_CLASS, nullptr);
  if (main == nullptr) {
    MessageBox(window, message(kNoMainWindow), nullptr, MB_OK);
    return;
  }
  PostMessage(main, KM_PICK_CONTACT, 0, buffer.address);
}

}  // namespace

State& state() {
  static State s;
  return s;
}

void registerClasses() {
  static bool done = false;
  if (done) return;
  WNDCLASS wc{};
  wc.lpfnWndProc = DetailWndProc;
  wc.hIcon = LoadIcon(nullptr, MAKEINTRESOURCE(1));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kClassName;
  done = RegisterClass(&wc) != 0;
}

void setTitle(const std::string& title, int variant, bool suffix) {
  State& s = state();
  char text[128] = {};
  std::snprintf(text, sizeof text - 24, "%s", title.c_str());
  if (suffix) SetWindowTitleOptions(text, variant);
  SetWindowText(s.window, text);
  SetFocus(s.table);
}

}  // namespace ksdetail

using namespace ksdetail;

namespace {
// The library registers its class as it is loaded.
__attribute__((constructor)) void onLoad() { LibMain32(nullptr, 1, nullptr); }
}  // namespace

extern "C" {

BOOL LibMain32(HINSTANCE, DWORD reason, void*) {
  try {
    if (reason == 1) registerClasses();
  } catch (...) {
  }
  return 1;
}

HWND CreateDetailWnd(int charWidth, int lineHeight) {
  try {
    registerClasses();
    State& s = state();
    s.charWidth = static_cast<std::int16_t>(charWidth);
    s.lineHeight = static_cast<std::int16_t>(lineHeight);
    const int left = readInt("Detail", "Left", kAbsent), top = readInt("Detail", "Top", kAbsent);
    const int right = readInt("Detail", "Width", kAbsent),
              bottom = readInt("Detail", "Height", kAbsent);
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    int width = 80 * s.charWidth + 3, height = 30 * s.lineHeight;
    if (left != kAbsent && right != kAbsent) {
      x = left;
      y = top;
      const LONG limit = desktopRight();
      width = (right > limit ? static_cast<int>(limit) : right) - left;
      height = bottom - top;
    }
    HWND window = CreateWindow(kClassName, "", WS_OVERLAPPEDWINDOW, x, y, width, height, nullptr,
                               nullptr, nullptr, nullptr);
    if (window == nullptr) {
      showLastError();
      return nullptr;
    }
    HWND table = CreateWindow(DT_CLASS_NAME, "Test", DT_CONTROL_STYLE, 0, 0, 0, 0, window,
                              reinterpret_cast<HMENU>(static_cast<intptr_t>(1)), nullptr, nullptr);
    if (table == nullptr) {
      showLastError();
      DestroyWindow(window);
      return nullptr;
    }
    s.window = window;
    s.table = table;
    RECT client{};
    GetClientRect(window, &client);
    MoveWindow(table, 0, 0, client.right, client.bottom, FALSE);
    sendColours(table);
    ShowWindow(table, SW_SHOW);
    return window;
  } catch (...) {
    return nullptr;
  }
}

LRESULT DetailWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    State& s = state();
    switch (message) {
      case WM_CREATE: {
        HDC dc = GetDC(window);
        HGDIOBJ previous = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
        TEXTMETRIC metrics{};
        GetTextMetrics(dc, &metrics);
        SelectObject(dc, previous);
        ReleaseDC(window, dc);
        return 0;
      }
      case WM_SIZE:
        if (s.table != nullptr && GetParent(s.table) == window) {
          MoveWindow(s.table, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
          InvalidateRect(s.table, nullptr, TRUE);
        }
        return 0;
      case WM_CLOSE: ShowWindow(window, SW_HIDE); return 0;
      case WM_DESTROY:
        savePlacement(window);
        if (s.window == window) {
          s.window = nullptr;
          s.table = nullptr;
        }
        return 0;
      case WM_COMMAND:
        if (LOWORD(wParam) == kTableId && HIWORD(wParam) == DT_NOTIFY_DBLCLK) {
          showContact(window);
          return 0;
        }
        break;
      case KM_DETAIL_COLOURS:
        if (s.table != nullptr) sendColours(s.table);
        return 0;
      default: break;
    }
  } catch (...) {
    return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

char* SetWindowTitleOptions(char* title, int variant) {
  if (title == nullptr) return title;
  std::strcat(title, variantSuffix(variant));
  return title;
}

}  // extern "C"
