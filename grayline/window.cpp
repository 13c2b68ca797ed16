// The grayline window: class registration at load, the window procedure
// and the library's exports.
#include "window.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "grayline.h"
#include "strings.h"

namespace ksgrayline {
namespace {

struct WindowState {
  HWND window = nullptr;
  Picture picture;
  TEXTMETRIC font{};
  std::string helpFile;
  std::function<UtcTime()> clock;
};

WindowState& state() {
  static WindowState instance;
  return instance;
}

// The directory this library was loaded from (the program's, when it is
// linked in), with its separator.
std::string libraryDirectory() {
  Dl_info info{};
  char resolved[PATH_MAX] = {};
  std::string path;
  if (dladdr(reinterpret_cast<void*>(&GraylineWndProc), &info) != 0 && info.dli_fname != nullptr &&
      std::strchr(info.dli_fname, '/') != nullptr && realpath(info.dli_fname, resolved) != nullptr)
    path = resolved;
  else if (const ssize_t n = readlink("/proc/self/exe", resolved, sizeof resolved - 1); n > 0)
    path.assign(resolved, static_cast<size_t>(n));
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::optional<int> readSetting(const char* key) {
  char text[32] = {};
  GetPrivateProfileString(message(kSettingsSection), key, "", text, sizeof text,
                          message(kSettingsFile));
  if (text[0] == '\0') return std::nullopt;
  return static_cast<int>(GetPrivateProfileInt(message(kSettingsSection), key, 0,
                                               message(kSettingsFile)));
}

void writeSetting(const char* key, long value) {
  WritePrivateProfileString(message(kSettingsSection), key, std::to_string(value).c_str(),
                            message(kSettingsFile));
}

void recompute() {
  WindowState& s = state();
  render(s.picture, s.clock ? s.clock() : systemTime());
}

bool startTimer(HWND window) { return SetTimer(window, kTimerId, kTimerPeriod, nullptr) != 0; }

LRESULT create(HWND window) {
  WindowState& s = state();
  if (HDC dc = GetDC(window)) {
    SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
    GetTextMetrics(dc, &s.font);
    ReleaseDC(window, dc);
  }
  if (!loadMap(s.picture)) return -1;
  recompute();
  if (!startTimer(window)) {
    MessageBox(window, message(kTimerFailed), message(kErrorCaption), MB_OK | MB_ICONSTOP);
    return -1;
  }
  return 0;
}

void paint(HWND window) {
  WindowState& s = state();
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(window, &ps);
  if (dc != nullptr && !s.picture.pixels.empty()) {
    RECT client{};
    GetClientRect(window, &client);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, 0, 0, client.right - client.left, client.bottom - client.top, 0, 0,
                  kMapWidth, kMapHeight, s.picture.pixels.data(), &s.picture.info,
                  DIB_RGB_COLORS, SRCCOPY);
  }
  EndPaint(window, &ps);
}

// The normal rectangle, its right edge kept on the desktop; "Width" and
// "Height" hold the right and bottom edges.
void savePlacement(HWND window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return;
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  RECT& r = placement.rcNormalPosition;
  r.right = std::min(r.right, desktop.right);
  writeSetting("Left", r.left);
  writeSetting("Top", r.top);
  writeSetting("Width", r.right);
  writeSetting("Height", r.bottom);
}

void help(HWND window, UINT id) {
  const char* file = state().helpFile.c_str();
  switch (id) {
    case command::kHelpContents: WinHelp(window, file, HELP_CONTENTS, 0); break;
    case command::kHelpCommands:
      WinHelp(window, file, HELP_KEY, reinterpret_cast<uintptr_t>(message(kHelpCommands)));
      break;
    case command::kHelpProcedures:
      WinHelp(window, file, HELP_KEY, reinterpret_cast<uintptr_t>(message(kHelpProcedures)));
      break;
    case command::kHelpOnHelp:
      WinHelp(window, message(kHelpOnHelpFile), HELP_HELPONHELP, 0);
      break;
    default: break;
  }
}

void registerWindowClass() {
  kswin::registerMenu(kMenuName, {{"&File", {{"&Exit", command::kExit}}}});
  WNDCLASS wc{};
  wc.lpfnWndProc = GraylineWndProc;
  wc.hIcon = LoadIcon(nullptr, MAKEINTRESOURCE(1));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszMenuName = kMenuName;
  wc.lpszClassName = kClassName;
  RegisterClass(&wc);
}

// The class is there as soon as the library is loaded.
[[gnu::constructor]] void registerAtLoad() { registerWindowClass(); }

}  // namespace

void setClock(std::function<UtcTime()> clock) { state().clock = std::move(clock); }
HWND graylineWindow() { return state().window; }
const Picture& windowPicture() { return state().picture; }
const std::string& helpFile() { return state().helpFile; }

}  // namespace ksgrayline

using ksgrayline::state;

extern "C" {

HWND CreateGraylineWnd(HINSTANCE, HWND) {
  try {
    ksgrayline::WindowState& s = state();
    if (s.window != nullptr && IsWindow(s.window)) return s.window;
    s.helpFile = ksgrayline::libraryDirectory() + ksgrayline::message(ksgrayline::kHelpFile);
    // A placement saved by an earlier window is used when it is whole.
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    const auto left = ksgrayline::readSetting("Left"), top = ksgrayline::readSetting("Top");
    const auto right = ksgrayline::readSetting("Width");
    const auto bottom = ksgrayline::readSetting("Height");
    if (left && top && right && bottom && *right > *left && *bottom > *top) {
      x = *left;
      y = *top;
      width = *right - *left;
      height = *bottom - *top;
    }
    s.window = CreateWindow(ksgrayline::kClassName, ksgrayline::message(ksgrayline::kTitle),
                            WS_OVERLAPPEDWINDOW, x, y, width, height, nullptr, nullptr, nullptr,
                            nullptr);
    return s.window;
  } catch (...) {
    return nullptr;
  }
}

LRESULT GraylineWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    switch (message) {
      case WM_CREATE: return ksgrayline::create(window);
      case WM_TIMER:
        if (wParam == ksgrayline::kTimerId) {
          ksgrayline::recompute();
          InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
      case WM_PAINT: ksgrayline::paint(window); return 0;
      case WM_SIZE: InvalidateRect(window, nullptr, FALSE); return 0;
      case WM_CLOSE:
        ShowWindow(window, SW_HIDE);
        KillTimer(window, ksgrayline::kTimerId);
        return 0;
      case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        if (id == ksgrayline::command::kExit) SendMessage(window, WM_CLOSE, 0, 0);
        else ksgrayline::help(window, id);
        return 0;
      }
      case WM_DESTROY:
        WinHelp(window, state().helpFile.c_str(), HELP_QUIT, 0);
        ksgrayline::savePlacement(window);
        if (state().window == window) state().window = nullptr;
        return 0;
      default: return DefWindowProc(window, message, wParam, lParam);
    }
  } catch (...) {
    return message == WM_CREATE ? -1 : 0;
  }
}

int InitGrayline(int) {
  try {
    HWND window = state().window;
    if (window == nullptr || !IsWindow(window)) return 0;
    // A window closed earlier comes back up to date, its timer running again.
    ksgrayline::recompute();
    if (!ksgrayline::startTimer(window)) {
      MessageBox(window, ksgrayline::message(ksgrayline::kTimerFailed),
                 ksgrayline::message(ksgrayline::kErrorCaption), MB_OK | MB_ICONSTOP);
      return 0;
    }
    InvalidateRect(window, nullptr, FALSE);
    const auto maximized = ksgrayline::readSetting("Maximized");
    ShowWindow(window, maximized.value_or(0) != 0 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    return 1;
  } catch (...) {
    return 0;
  }
}

}  // extern "C"
