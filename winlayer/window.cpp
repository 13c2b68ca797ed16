// Windows: classes, creation and destruction, geometry, visibility, focus,
// texts, placement and painting. One desktop of fixed size; a top-level
// window's client area is its whole rectangle (there is no frame to draw).
#include <strings.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

#include "window_internal.h"

namespace kswin::detail {
namespace {

std::mutex registryLock;
std::map<uintptr_t, WindowPtr>& registry() {
  static std::map<uintptr_t, WindowPtr> windows;
  return windows;
}
std::atomic<uintptr_t> nextHandle{0x1000};

std::map<std::string, ClassInfo>& classes() {
  static std::map<std::string, ClassInfo> table;
  return table;
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

HWND focusWindow = nullptr;
int defaultSlot = 0;  // cascades windows made at the default position

constexpr LONG kDefaultWidth = 640;
constexpr LONG kDefaultHeight = 480;

thread_local DWORD lastError = 0;

}  // namespace

Window::~Window() = default;

WindowPtr find(HWND handle) {
  std::lock_guard<std::mutex> guard(registryLock);
  auto it = registry().find(reinterpret_cast<uintptr_t>(handle));
  return it == registry().end() ? nullptr : it->second;
}

std::vector<WindowPtr> allWindows() {
  std::lock_guard<std::mutex> guard(registryLock);
  std::vector<WindowPtr> out;
  for (auto& [key, window] : registry()) out.push_back(window);
  return out;
}

std::vector<WindowPtr> windowsToPaint(std::thread::id thread) {
  std::lock_guard<std::mutex> guard(registryLock);
  std::vector<WindowPtr> out;
  for (auto& [key, window] : registry())
    if (window->paintPending && window->thread == thread) out.push_back(window);
  return out;
}

std::vector<WindowPtr> childrenOf(HWND parent) {
  std::vector<WindowPtr> out;
  for (WindowPtr& window : allWindows())
    if (window->child && window->parent == parent) out.push_back(window);
  return out;
}

HWND adopt(WindowPtr window) {
  window->handle = reinterpret_cast<HWND>(nextHandle.fetch_add(4));
  std::lock_guard<std::mutex> guard(registryLock);
  registry()[reinterpret_cast<uintptr_t>(window->handle)] = window;
  return window->handle;
}

static void forget(HWND handle) {
  std::lock_guard<std::mutex> guard(registryLock);
  registry().erase(reinterpret_cast<uintptr_t>(handle));
}

bool findClass(const std::string& name, ClassInfo* out) {
  registerBuiltinClasses();
  std::lock_guard<std::mutex> guard(registryLock);
  auto it = classes().find(lower(name));
  if (it == classes().end()) return false;
  if (out != nullptr) *out = it->second;
  return true;
}

static ATOM addClass(const WNDCLASS& wc) {
  std::lock_guard<std::mutex> guard(registryLock);
  const std::string key = lower(wc.lpszClassName);
  if (classes().count(key) != 0) return 0;
  ClassInfo info;
  info.wc = wc;
  info.name = wc.lpszClassName;
  if (wc.lpszMenuName != nullptr && !IS_INTRESOURCE(wc.lpszMenuName))
    info.menuName = wc.lpszMenuName;
  info.wc.lpszClassName = nullptr;  // the copies above own the texts
  info.wc.lpszMenuName = nullptr;
  classes()[key] = info;
  return static_cast<ATOM>(0xC000 + classes().size());
}

void registerBuiltinClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    const struct {
      const char* name;
      WNDPROC proc;
    } builtins[] = {{"BUTTON", buttonProc},     {"EDIT", editProc},
                    {"STATIC", staticProc},     {"LISTBOX", listBoxProc},
                    {"COMBOBOX", comboBoxProc}, {"DataTableDLL", dataTableProc},
                    {"#32770", dialogWindowProc}};
    for (const auto& builtin : builtins) {
      WNDCLASS wc{};
      wc.lpfnWndProc = builtin.proc;
      wc.lpszClassName = builtin.name;
      addClass(wc);
    }
  });
}

LRESULT copyText(const std::string& text, WPARAM size, LPARAM buffer) {
  char* out = reinterpret_cast<char*>(buffer);
  if (out == nullptr || size == 0) return 0;
  const size_t count = std::min<size_t>(text.size(), size - 1);
  std::memcpy(out, text.data(), count);
  out[count] = '\0';
  return static_cast<LRESULT>(count);
}

bool sameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

static RECT clientOf(const Window& window) {
  return RECT{0, 0, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top};
}

static void sendSize(HWND handle, const Window& window, WPARAM kind) {
  const RECT client = clientOf(window);
  SendMessage(handle, WM_SIZE, kind, MAKELPARAM(client.right, client.bottom));
}

bool paintPending(HWND only) {
  bool painted = false;
  for (WindowPtr& window : allWindows()) {
    if (window->thread != std::this_thread::get_id() || window->remotePeer) continue;
    if (only != nullptr && window->handle != only && window->parent != only) continue;
    if (!window->paintPending || !window->visible || !window->redraw) continue;
    SendMessage(window->handle, WM_PAINT, 0, 0);
    // A procedure that does not validate is validated for it, so that one
    // paint request gives one WM_PAINT.
    window->paintPending = false;
    painted = true;
  }
  return painted;
}

void setLastError(DWORD code) { lastError = code; }

}  // namespace kswin::detail

using kswin::detail::find;
using kswin::detail::Window;
using kswin::detail::WindowPtr;

namespace kswin {

RECT desktopRect() { return RECT{0, 0, 1280, 1024}; }

void centreWindow(HWND window, HWND owner) {
  RECT box;
  if (!GetWindowRect(window, &box)) return;
  const LONG width = box.right - box.left;
  const LONG height = box.bottom - box.top;
  const RECT screen = desktopRect();
  RECT around = screen;
  if (owner != nullptr) GetWindowRect(owner, &around);
  LONG x = around.left + (around.right - around.left - width) / 2;
  LONG y = around.top + (around.bottom - around.top - height) / 2;
  if (x < screen.left || y < screen.top || x + width > screen.right ||
      y + height > screen.bottom) {
    x = (screen.right - width) / 2;
    y = (screen.bottom - height) / 2;
  }
  MoveWindow(window, x, y, width, height, TRUE);
}

}  // namespace kswin

extern "C" {

DWORD GetLastError(void) { return kswin::detail::lastError; }
void SetLastError(DWORD code) { kswin::detail::lastError = code; }

ATOM RegisterClass(const WNDCLASS* wc) {
  if (wc == nullptr || wc->lpszClassName == nullptr || wc->lpfnWndProc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  kswin::detail::registerBuiltinClasses();
  const ATOM atom = kswin::detail::addClass(*wc);
  if (atom == 0) SetLastError(ERROR_CLASS_ALREADY_EXISTS);
  return atom;
}

BOOL UnregisterClass(const char* name, HINSTANCE) {
  if (name == nullptr) return FALSE;
  std::lock_guard<std::mutex> guard(kswin::detail::registryLock);
  return kswin::detail::classes().erase(kswin::detail::lower(name)) ? TRUE : FALSE;
}

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* title, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu,
                    HINSTANCE instance, void* param) {
  kswin::detail::ClassInfo info;
  if (className == nullptr || !kswin::detail::findClass(className, &info)) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  const bool child = (style & WS_CHILD) != 0;
  if ((child || parent != nullptr) && !IsWindow(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto window = std::make_shared<Window>();
  window->className = info.name;
  window->proc = info.wc.lpfnWndProc;
  window->thread = std::this_thread::get_id();
  window->parent = parent;
  window->child = child;
  window->text = title != nullptr ? title : "";
  window->style = static_cast<LONG_PTR>(style);
  window->exStyle = exStyle;
  window->enabled = (style & WS_DISABLED) == 0;
  window->extra.assign(static_cast<size_t>(std::max(info.wc.cbWndExtra, 0) + 7) / 8, 0);
  if (child) {
    window->id = static_cast<int>(reinterpret_cast<uintptr_t>(menu));
  } else {
    window->menu = menu;
    if (menu == nullptr && !info.menuName.empty())
      window->menu = LoadMenu(instance, info.menuName.c_str());
  }
  if (x == CW_USEDEFAULT) {
    if (child) {
      x = y = 0;
    } else {
      const int slot = kswin::detail::defaultSlot++ % 10;
      x = y = 40 + 24 * slot;
    }
  }
  if (width == CW_USEDEFAULT) {
    width = child ? 0 : kswin::detail::kDefaultWidth;
    height = child ? 0 : kswin::detail::kDefaultHeight;
  }
  window->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  window->normalRect = window->rect;
  HWND handle = kswin::detail::adopt(window);

  CREATESTRUCT create{param,  instance, menu,  parent, height, width, y, x,
                      static_cast<LONG>(style), title, className, exStyle};
  if (SendMessage(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (!IsWindow(handle)) return nullptr;  // destroyed itself while being made
  kswin::detail::sendSize(handle, *window, SIZE_RESTORED);
  kswin::host().windowCreated(handle);
  if (style & WS_VISIBLE) {
    window->style &= ~static_cast<LONG_PTR>(WS_VISIBLE);
    ShowWindow(handle, (style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : SW_SHOW);
  }
  return handle;
}

HWND CreateWindow(const char* className, const char* title, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                  void* param) {
  return CreateWindowEx(0, className, title, style, x, y, width, height, parent, menu,
                        instance, param);
}

BOOL IsWindow(HWND handle) {
  WindowPtr window = find(handle);
  return window != nullptr && !window->destroying ? TRUE : FALSE;
}

static void destroyTree(const WindowPtr& window) {
  kswin::host().windowDestroyed(window->handle);
  window->destroying = true;
  window->visible = false;
  if (kswin::detail::focusWindow == window->handle) kswin::detail::focusWindow = nullptr;
  if (GetCapture() == window->handle) ReleaseCapture();
  window->proc(window->handle, WM_DESTROY, 0, 0);
  for (const WindowPtr& child : kswin::detail::childrenOf(window->handle)) destroyTree(child);
  window->proc(window->handle, WM_NCDESTROY, 0, 0);
  kswin::detail::dropTimers(window->handle);
  kswin::detail::windowGone(window->handle);
  if (!window->child && window->menu != nullptr) DestroyMenu(window->menu);
  kswin::detail::forget(window->handle);
}

BOOL DestroyWindow(HWND handle) {
  WindowPtr window = find(handle);
  if (window == nullptr || window->remotePeer || window->thread != std::this_thread::get_id()) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->destroying) return TRUE;
  // Windows it owns go first.
  for (const WindowPtr& other : kswin::detail::allWindows())
    if (!other->child && other->parent == handle && !other->destroying)
      DestroyWindow(other->handle);
  if (window->visible && !window->child) kswin::host().windowShown(handle, window->text, false);
  destroyTree(window);
  return TRUE;
}

BOOL ShowWindow(HWND handle, int command) {
  WindowPtr window = find(handle);
  if (window == nullptr || window->remotePeer) return FALSE;
  const bool wasVisible = window->visible;
  // A window never shown counts as a normal one.
  const UINT before = window->showState == SW_HIDE ? SW_SHOWNORMAL : window->showState;
  const RECT oldRect = window->rect;
  const bool visible = command != SW_HIDE;
  UINT state = before;
  switch (command) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE: state = SW_SHOWMINIMIZED; break;
    case SW_SHOWMAXIMIZED: state = SW_SHOWMAXIMIZED; break;
    case SW_SHOWNORMAL:
    case SW_RESTORE: state = SW_SHOWNORMAL; break;
    default: break;  // SW_HIDE, SW_SHOW, SW_SHOWNA ...: as it was
  }
  if (state != before) {
    // Leaving or entering the maximized and minimized states; the normal
    // rectangle is kept for coming back.
    if (before == SW_SHOWNORMAL) window->normalRect = window->rect;
    window->rect = state == SW_SHOWMAXIMIZED ? kswin::desktopRect() : window->normalRect;
  }
  window->showState = state;
  window->visible = visible;
  if (visible) window->style |= WS_VISIBLE;
  else window->style &= ~static_cast<LONG_PTR>(WS_VISIBLE);
  if (visible != wasVisible) {
    SendMessage(handle, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
    if (!window->child) kswin::host().windowShown(handle, window->text, visible);
  }
  const bool resized = oldRect.right - oldRect.left != window->rect.right - window->rect.left ||
                       oldRect.bottom - oldRect.top != window->rect.bottom - window->rect.top;
  if (state != before || resized)
    kswin::detail::sendSize(handle, *window,
                            state == SW_SHOWMAXIMIZED   ? SIZE_MAXIMIZED
                            : state == SW_SHOWMINIMIZED ? SIZE_MINIMIZED
                                                        : SIZE_RESTORED);
  if (visible && (state != before || !wasVisible)) {
    window->paintPending = true;
    for (const WindowPtr& child : kswin::detail::childrenOf(handle))
      if (child->visible) child->paintPending = true;
  }
  if (!visible && kswin::detail::focusWindow == handle) kswin::detail::focusWindow = nullptr;
  return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND handle) {
  for (WindowPtr window = find(handle); window != nullptr;
       window = window->child ? find(window->parent) : nullptr)
    if (!window->visible) return FALSE;
  return IsWindow(handle);
}

BOOL IsIconic(HWND handle) {
  WindowPtr window = find(handle);
  return window != nullptr && window->showState == SW_SHOWMINIMIZED ? TRUE : FALSE;
}

BOOL IsZoomed(HWND handle) {
  WindowPtr window = find(handle);
  return window != nullptr && window->showState == SW_SHOWMAXIMIZED ? TRUE : FALSE;
}

BOOL EnableWindow(HWND handle, BOOL enable) {
  WindowPtr window = find(handle);
  if (window == nullptr) return FALSE;
  const bool wasDisabled = !window->enabled;
  if (window->enabled != (enable != FALSE)) {
    window->enabled = enable != FALSE;
    if (window->enabled) window->style &= ~static_cast<LONG_PTR>(WS_DISABLED);
    else window->style |= WS_DISABLED;
    SendMessage(handle, WM_ENABLE, enable, 0);
  }
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND handle) {
  WindowPtr window = find(handle);
  return window != nullptr && window->enabled ? TRUE : FALSE;
}

HWND SetFocus(HWND handle) {
  HWND previous = kswin::detail::focusWindow;
  if (handle != nullptr && !IsWindow(handle)) return nullptr;
  if (previous == handle) return previous;
  kswin::detail::focusWindow = handle;
  if (previous != nullptr && IsWindow(previous))
    SendMessage(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle), 0);
  if (handle != nullptr) SendMessage(handle, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

HWND GetFocus(void) {
  return IsWindow(kswin::detail::focusWindow) ? kswin::detail::focusWindow : nullptr;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
  WindowPtr window = find(handle);
  if (window == nullptr || window->remotePeer) return FALSE;
  if (!window->child) {
    const RECT screen = kswin::desktopRect();
    MINMAXINFO limits{{0, 0}, {screen.right, screen.bottom}, {0, 0}, {0, 0},
                      {screen.right, screen.bottom}};
    SendMessage(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    width = std::clamp<int>(width, limits.ptMinTrackSize.x,
                            std::max(limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x));
    height = std::clamp<int>(height, limits.ptMinTrackSize.y,
                             std::max(limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y));
  }
  const RECT before = window->rect;
  window->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  if (window->showState != SW_SHOWMAXIMIZED && window->showState != SW_SHOWMINIMIZED)
    window->normalRect = window->rect;
  if (before.left != x || before.top != y) SendMessage(handle, WM_MOVE, 0, MAKELPARAM(x, y));
  if (before.right - before.left != width || before.bottom - before.top != height)
    kswin::detail::sendSize(handle, *window, SIZE_RESTORED);
  if (repaint) window->paintPending = true;
  return TRUE;
}

BOOL GetClientRect(HWND handle, RECT* rect) {
  WindowPtr window = find(handle);
  if (window == nullptr || rect == nullptr) return FALSE;
  *rect = kswin::detail::clientOf(*window);
  return TRUE;
}

BOOL GetWindowRect(HWND handle, RECT* rect) {
  if (rect == nullptr) return FALSE;
  if (handle == GetDesktopWindow()) {
    *rect = kswin::desktopRect();
    return TRUE;
  }
  WindowPtr window = find(handle);
  if (window == nullptr) return FALSE;
  *rect = window->rect;
  // A child's rectangle is kept in its parent's client coordinates.
  for (WindowPtr parent = window->child ? find(window->parent) : nullptr; parent != nullptr;
       parent = parent->child ? find(parent->parent) : nullptr) {
    rect->left += parent->rect.left;
    rect->right += parent->rect.left;
    rect->top += parent->rect.top;
    rect->bottom += parent->rect.top;
  }
  return TRUE;
}

HWND GetDesktopWindow(void) { return reinterpret_cast<HWND>(uintptr_t{0x10}); }

int GetSystemMetrics(int index) {
  const RECT screen = kswin::desktopRect();
  switch (index) {
    case SM_CXSCREEN: return screen.right;
    case SM_CYSCREEN: return screen.bottom;
    default: return 0;
  }
}

BOOL GetWindowPlacement(HWND handle, WINDOWPLACEMENT* placement) {
  WindowPtr window = find(handle);
  if (window == nullptr || placement == nullptr) return FALSE;
  placement->flags = 0;
  placement->showCmd = window->showState == SW_HIDE ? SW_SHOWNORMAL : window->showState;
  placement->ptMinPosition = POINT{-1, -1};
  placement->ptMaxPosition = POINT{-1, -1};
  placement->rcNormalPosition = window->showState == SW_SHOWNORMAL || window->showState == SW_HIDE
                                    ? window->rect
                                    : window->normalRect;
  return TRUE;
}

BOOL SetWindowPlacement(HWND handle, const WINDOWPLACEMENT* placement) {
  WindowPtr window = find(handle);
  if (window == nullptr || placement == nullptr) return FALSE;
  const RECT& r = placement->rcNormalPosition;
  MoveWindow(handle, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  if (window->visible || placement->showCmd != SW_HIDE)
    ShowWindow(handle, static_cast<int>(placement->showCmd));
  return TRUE;
}

BOOL SetWindowText(HWND handle, const char* text) {
  if (!IsWindow(handle)) return FALSE;
  return SendMessage(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) != 0
             ? TRUE
             : FALSE;
}

int GetWindowText(HWND handle, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  if (!IsWindow(handle)) return 0;
  return static_cast<int>(
      SendMessage(handle, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND handle) {
  if (!IsWindow(handle)) return 0;
  return static_cast<int>(SendMessage(handle, WM_GETTEXTLENGTH, 0, 0));
}

int GetClassName(HWND handle, char* buffer, int size) {
  WindowPtr window = find(handle);
  if (window == nullptr) return 0;
  return static_cast<int>(kswin::detail::copyText(window->className, static_cast<WPARAM>(size),
                                                  reinterpret_cast<LPARAM>(buffer)));
}

HWND GetParent(HWND handle) {
  WindowPtr window = find(handle);
  return window != nullptr ? window->parent : nullptr;
}

BOOL IsChild(HWND parent, HWND handle) {
  for (WindowPtr window = find(handle); window != nullptr && window->child;
       window = find(window->parent))
    if (window->parent == parent) return TRUE;
  return FALSE;
}

int GetDlgCtrlID(HWND handle) {
  WindowPtr window = find(handle);
  return window != nullptr && window->child ? window->id : 0;
}

HWND FindWindow(const char* className, const char* title) {
  for (const WindowPtr& window : kswin::detail::allWindows()) {
    if (window->child || window->destroying || window->remotePeer) continue;
    if (className != nullptr && !kswin::detail::sameText(window->className, className)) continue;
    if (title != nullptr && window->text != title) continue;
    return window->handle;
  }
  if (className != nullptr && title == nullptr) return kswin::detail::findRemote(className);
  return nullptr;
}

LONG_PTR GetWindowLongPtr(HWND handle, int index) {
  WindowPtr window = find(handle);
  if (window == nullptr) return 0;
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_USERDATA: return window->userData;
    case GWLP_ID: return window->id;
    case GWL_STYLE: return window->style;
    case GWL_EXSTYLE: return window->exStyle;
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(window->parent);
    case GWLP_HINSTANCE: return 0;
    default: break;
  }
  if (index == DWLP_MSGRESULT && window->dialog) return window->dialog->msgResult;
  const size_t slot = static_cast<size_t>(index) / sizeof(LONG_PTR);
  return index >= 0 && slot < window->extra.size() ? window->extra[slot] : 0;
}

LONG_PTR SetWindowLongPtr(HWND handle, int index, LONG_PTR value) {
  WindowPtr window = find(handle);
  if (window == nullptr) return 0;
  LONG_PTR previous = GetWindowLongPtr(handle, index);
  switch (index) {
    case GWLP_WNDPROC:
      if (value != 0) window->proc = reinterpret_cast<WNDPROC>(value);
      return previous;
    case GWLP_USERDATA: window->userData = value; return previous;
    case GWLP_ID: window->id = static_cast<int>(value); return previous;
    case GWL_STYLE: window->style = value; return previous;
    case GWL_EXSTYLE: window->exStyle = static_cast<DWORD>(value); return previous;
    default: break;
  }
  if (index == DWLP_MSGRESULT && window->dialog) {
    window->dialog->msgResult = value;
    return previous;
  }
  const size_t slot = static_cast<size_t>(index) / sizeof(LONG_PTR);
  if (index >= 0 && slot < window->extra.size()) window->extra[slot] = value;
  return previous;
}

LRESULT CallWindowProc(WNDPROC proc, HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc != nullptr ? proc(handle, message, wParam, lParam) : 0;
}

LRESULT DefWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPtr window = find(handle);
  if (window == nullptr) return 0;
  switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(handle); return 0;
    case WM_SETTEXT:
      window->text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
      return TRUE;
    case WM_GETTEXT: return kswin::detail::copyText(window->text, wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(window->text.size());
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(handle, &paint);
      EndPaint(handle, &paint);
      return 0;
    }
    case WM_SETREDRAW:
      window->redraw = wParam != 0;
      if (window->redraw) window->paintPending = true;
      return 0;
    case WM_SETFONT: window->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(window->font);
    case WM_QUERYENDSESSION: return TRUE;
    default: return 0;
  }
}

BOOL InvalidateRect(HWND handle, const RECT*, BOOL) {
  if (handle == nullptr) {
    for (const WindowPtr& window : kswin::detail::allWindows()) window->paintPending = true;
    return TRUE;
  }
  WindowPtr window = find(handle);
  if (window == nullptr) return FALSE;
  window->paintPending = true;
  return TRUE;
}

BOOL UpdateWindow(HWND handle) {
  if (handle != nullptr && !IsWindow(handle)) return FALSE;
  if (handle != nullptr) kswin::detail::paintPending(handle);
  return TRUE;
}

HDC BeginPaint(HWND handle, PAINTSTRUCT* paint) {
  WindowPtr window = find(handle);
  if (window == nullptr || paint == nullptr) return nullptr;
  window->paintPending = false;
  paint->hdc = GetDC(handle);
  paint->fErase = FALSE;
  paint->rcPaint = kswin::detail::clientOf(*window);
  return paint->hdc;
}

BOOL EndPaint(HWND handle, const PAINTSTRUCT* paint) {
  if (paint != nullptr) ReleaseDC(handle, paint->hdc);
  return TRUE;
}

}  // extern "C"
