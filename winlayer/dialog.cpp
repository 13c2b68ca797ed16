// Dialogs: templates registered by name, modal and modeless dialogs with
// their dialog procedures, the dialog item calls and keyboard handling.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>

#include "window_internal.h"

namespace kswin::detail {
namespace {

std::mutex templateLock;
std::map<std::string, DialogTemplate>& dialogTemplates() {
  static std::map<std::string, DialogTemplate> table;
  return table;
}

// Dialog units to pixels for the 8 x 16 system font.
int unitsX(int units) { return units * 8 / 4; }
int unitsY(int units) { return units * 16 / 8; }

bool findTemplate(const char* name, DialogTemplate* out) {
  if (name == nullptr || IS_INTRESOURCE(name)) return false;
  std::lock_guard<std::mutex> guard(templateLock);
  auto it = dialogTemplates().find(name);
  if (it == dialogTemplates().end()) return false;
  *out = it->second;
  return true;
}

HWND firstTabStop(HWND dialog) {
  for (const WindowPtr& child : childrenOf(dialog))
    if ((child->style & WS_TABSTOP) && child->enabled && child->visible) return child->handle;
  return nullptr;
}

// Makes the dialog window and its controls and sends WM_INITDIALOG; the
// dialog is not shown yet.
HWND makeDialog(const char* name, HWND owner, DLGPROC proc, LPARAM param, bool modal) {
  DialogTemplate layout;
  if (!findTemplate(name, &layout) || proc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  RECT origin{0, 0, 0, 0};
  if (owner != nullptr) GetWindowRect(owner, &origin);
  HWND dialog = CreateWindowEx(0, "#32770", layout.title.c_str(),
                               (layout.style & ~static_cast<DWORD>(WS_VISIBLE | WS_CHILD)),
                               origin.left + unitsX(layout.x), origin.top + unitsY(layout.y),
                               unitsX(layout.cx), unitsY(layout.cy), owner, nullptr, nullptr,
                               nullptr);
  if (dialog == nullptr) return nullptr;
  WindowPtr window = find(dialog);
  window->dialog = std::make_unique<DialogState>();
  window->dialog->proc = proc;
  window->dialog->name = name;
  window->dialog->modal = modal;
  window->dialog->owner = owner;
  for (const ControlTemplate& control : layout.controls) {
    DWORD style = control.style | WS_CHILD | WS_VISIBLE;
    HWND made = CreateWindowEx(0, control.className.c_str(), control.text.c_str(), style,
                               unitsX(control.x), unitsY(control.y), unitsX(control.cx),
                               unitsY(control.cy), dialog,
                               reinterpret_cast<HMENU>(static_cast<intptr_t>(control.id)),
                               nullptr, nullptr);
    if (made == nullptr) {
      DestroyWindow(dialog);
      return nullptr;
    }
  }
  HWND focus = firstTabStop(dialog);
  if (SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param) && focus)
    SetFocus(focus);
  if (!IsWindow(dialog)) return nullptr;
  return dialog;
}

// Moves the keyboard focus to the next (or previous) tab stop of a dialog.
void tabFrom(HWND dialog, HWND from, bool backward) {
  std::vector<WindowPtr> stops;
  for (const WindowPtr& child : childrenOf(dialog))
    if ((child->style & WS_TABSTOP) && child->enabled && child->visible) stops.push_back(child);
  if (stops.empty()) return;
  size_t at = 0;
  for (size_t i = 0; i < stops.size(); ++i)
    if (stops[i]->handle == from) at = i;
  at = backward ? (at + stops.size() - 1) % stops.size() : (at + 1) % stops.size();
  SetFocus(stops[at]->handle);
}

HWND defaultButton(HWND dialog) {
  for (const WindowPtr& child : childrenOf(dialog))
    if (sameText(child->className, "BUTTON") && (child->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      return child->handle;
  return GetDlgItem(dialog, IDOK);
}

}  // namespace

LRESULT dialogWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPtr window = find(handle);
  if (window == nullptr) return 0;
  if (!window->dialog) return DefWindowProc(handle, message, wParam, lParam);
  window->dialog->msgResult = 0;
  if (message == WM_DESTROY && !window->dialog->modal) kswin::host().dialogClosed(handle);
  const INT_PTR handled = window->dialog->proc(handle, message, wParam, lParam);
  if (message == WM_INITDIALOG) return handled;
  if (handled) return window->dialog ? window->dialog->msgResult : 0;
  return DefDlgProc(handle, message, wParam, lParam);
}

}  // namespace kswin::detail

namespace kswin {

using detail::find;
using detail::WindowPtr;

void registerDialog(const std::string& name, DialogTemplate dialog) {
  std::lock_guard<std::mutex> guard(detail::templateLock);
  detail::dialogTemplates()[name] = std::move(dialog);
}

namespace controls {

ControlTemplate pushButton(int id, std::string text, bool isDefault) {
  return {"BUTTON", std::move(text), id,
          static_cast<DWORD>((isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP), 0, 0,
          40, 14};
}
ControlTemplate checkBox(int id, std::string text) {
  return {"BUTTON", std::move(text), id, static_cast<DWORD>(BS_AUTOCHECKBOX | WS_TABSTOP),
          0, 0, 60, 10};
}
ControlTemplate radioButton(int id, std::string text, bool firstOfGroup) {
  return {"BUTTON", std::move(text), id,
          static_cast<DWORD>(BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0)), 0,
          0, 60, 10};
}
ControlTemplate groupBox(int id, std::string text) {
  return {"BUTTON", std::move(text), id, static_cast<DWORD>(BS_GROUPBOX), 0, 0, 80, 40};
}
ControlTemplate edit(int id, DWORD style) {
  return {"EDIT", "", id, static_cast<DWORD>(style | WS_TABSTOP | WS_BORDER), 0, 0, 60, 12};
}
ControlTemplate staticText(int id, std::string text) {
  return {"STATIC", std::move(text), id, static_cast<DWORD>(SS_LEFT), 0, 0, 60, 8};
}
ControlTemplate listBox(int id, DWORD style) {
  return {"LISTBOX", "", id, static_cast<DWORD>(style | WS_TABSTOP | WS_VSCROLL), 0, 0, 80, 60};
}
ControlTemplate comboBox(int id, DWORD style) {
  return {"COMBOBOX", "", id, static_cast<DWORD>(style | WS_TABSTOP | WS_VSCROLL), 0, 0, 60, 80};
}
ControlTemplate dataTable(int id) {
  return {"DataTableDLL", "", id, 0x403001F0u & ~static_cast<DWORD>(WS_CHILD), 0, 0, 200, 100};
}

}  // namespace controls
}  // namespace kswin

using kswin::detail::find;
using kswin::detail::WindowPtr;

extern "C" {

INT_PTR DialogBoxParam(HINSTANCE, const char* name, HWND owner, DLGPROC proc, LPARAM param) {
  HWND dialog = kswin::detail::makeDialog(name, owner, proc, param, true);
  if (dialog == nullptr) return -1;
  WindowPtr window = find(dialog);
  const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  if (!window->dialog->ended) {
    ShowWindow(dialog, SW_SHOW);
    kswin::host().dialogShown(dialog, window->dialog->name);
  }
  bool quit = false;
  int quitCode = 0;
  // Hands a message to the dialog's keyboard handling or its window; a quit
  // request ends the dialog and goes on to the outer loop.
  auto deliver = [&](MSG& msg) {
    if (msg.message == WM_QUIT) {
      quit = true;
      quitCode = static_cast<int>(msg.wParam);
      EndDialog(dialog, IDCANCEL);
    } else if (!IsDialogMessage(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  };
  while (!quit && IsWindow(dialog) && !window->dialog->ended) {
    MSG msg;
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      deliver(msg);
      continue;
    }
    switch (kswin::host().dialogIdle(dialog, window->dialog->name)) {
      case kswin::IdleAction::acted: break;
      case kswin::IdleAction::wait:
        // Wait for input the way GetMessage does.
        GetMessage(&msg, nullptr, 0, 0);
        deliver(msg);
        break;
      case kswin::IdleAction::stop:
        // Nobody will answer: the dialog is cancelled as with Esc, and ended
        // outright if its procedure does not end it.
        SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        if (IsWindow(dialog) && !window->dialog->ended) EndDialog(dialog, IDCANCEL);
        break;
    }
  }
  const INT_PTR result = window->dialog->result;
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (IsWindow(dialog)) {
    kswin::host().dialogClosed(dialog);
    DestroyWindow(dialog);
  }
  if (owner != nullptr && IsWindow(owner)) SetFocus(owner);
  if (quit) PostQuitMessage(quitCode);
  return result;
}

INT_PTR DialogBox(HINSTANCE instance, const char* name, HWND owner, DLGPROC proc) {
  return DialogBoxParam(instance, name, owner, proc, 0);
}

HWND CreateDialogParam(HINSTANCE, const char* name, HWND owner, DLGPROC proc, LPARAM param) {
  kswin::DialogTemplate layout;
  if (!kswin::detail::findTemplate(name, &layout)) return nullptr;
  HWND dialog = kswin::detail::makeDialog(name, owner, proc, param, false);
  if (dialog == nullptr) return nullptr;
  if (layout.style & WS_VISIBLE) ShowWindow(dialog, SW_SHOW);
  kswin::host().dialogShown(dialog, name);
  return dialog;
}

HWND CreateDialog(HINSTANCE instance, const char* name, HWND owner, DLGPROC proc) {
  return CreateDialogParam(instance, name, owner, proc, 0);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  WindowPtr window = find(dialog);
  if (window == nullptr || !window->dialog) return FALSE;
  window->dialog->ended = true;
  window->dialog->result = result;
  // A modeless dialog is only hidden; its owner destroys it.
  if (!window->dialog->modal) ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      PostMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                  reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
      return 0;
    default: return DefWindowProc(dialog, message, wParam, lParam);
  }
}

BOOL IsDialogMessage(HWND dialog, MSG* msg) {
  if (msg == nullptr || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN) {
    WindowPtr target = find(msg->hwnd);
    const bool multiline = target != nullptr && kswin::detail::sameText(target->className, "EDIT") &&
                           (target->style & ES_MULTILINE);
    switch (msg->wParam) {
      case VK_TAB:
        kswin::detail::tabFrom(dialog, msg->hwnd, GetKeyState(VK_SHIFT) < 0);
        return TRUE;
      case VK_RETURN:
        if (multiline && (target->style & ES_WANTRETURN)) break;
        if (HWND button = kswin::detail::defaultButton(dialog))
          SendMessage(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                      reinterpret_cast<LPARAM>(button));
        return TRUE;
      case VK_ESCAPE:
        SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return TRUE;
      default: break;
    }
  }
  DispatchMessage(msg);
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  for (const WindowPtr& child : kswin::detail::childrenOf(dialog))
    if (child->id == id) return child->handle;
  return nullptr;
}

BOOL SetDlgItemText(HWND dialog, int id, const char* text) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr ? SetWindowText(item, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, char* buffer, int size) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowText(item, buffer, size));
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated != nullptr) *translated = FALSE;
  char text[64];
  if (GetDlgItemText(dialog, id, text, sizeof text) == 0) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (isSigned && *p == '-') {
    negative = true;
    ++p;
  }
  if (*p < '0' || *p > '9') return 0;
  long long value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p++ - '0');
    if (value > static_cast<long long>(UINT_MAX)) return 0;
  }
  while (*p == ' ' || *p == '\t') ++p;
  if (*p != '\0') return 0;
  if (negative) value = -value;
  if (isSigned && (value > INT_MAX || value < INT_MIN)) return 0;
  if (translated != nullptr) *translated = TRUE;
  return static_cast<UINT>(value);
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  const std::string text =
      isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
  return SetDlgItemText(dialog, id, text.c_str());
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) return FALSE;
  SendMessage(item, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr ? static_cast<UINT>(SendMessage(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
  for (int id = first; id <= last; ++id)
    if (HWND item = GetDlgItem(dialog, id))
      SendMessage(item, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr ? SendMessage(item, message, wParam, lParam) : 0;
}

}  // extern "C"
