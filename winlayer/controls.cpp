// The standard controls (button, check box, radio button, group box, edit,
// static text, list box, combo box) and the calls that drive them as a
// person would.
#include <strings.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "window_internal.h"

namespace kswin::detail {
namespace {

template <typename State>
State& stateOf(const WindowPtr& window) {
  if (!window->control) window->control = std::make_unique<State>();
  return static_cast<State&>(*window->control);
}

void notifyParent(const WindowPtr& window, WORD code) {
  if (window->parent != nullptr && window->child)
    SendMessage(window->parent, WM_COMMAND, MAKEWPARAM(window->id, code),
                reinterpret_cast<LPARAM>(window->handle));
}

// ---- Buttons ----

struct ButtonState : ControlState {
  UINT check = BST_UNCHECKED;
};

LONG_PTR buttonKind(const Window& window) { return window.style & BS_TYPEMASK; }

// Clears the other automatic radio buttons of the group `button` is in: the
// run of siblings from the last WS_GROUP before it to the next WS_GROUP.
void clearRadioGroup(const WindowPtr& button) {
  std::vector<WindowPtr> siblings = childrenOf(button->parent);
  auto at = std::find(siblings.begin(), siblings.end(), button);
  if (at == siblings.end()) return;
  auto first = at;
  while (first != siblings.begin() && !((*first)->style & WS_GROUP)) --first;
  for (auto it = first; it != siblings.end(); ++it) {
    if (it != first && ((*it)->style & WS_GROUP)) break;
    if (*it != button && buttonKind(**it) == BS_AUTORADIOBUTTON)
      stateOf<ButtonState>(*it).check = BST_UNCHECKED;
  }
}

// ---- Edits ----

struct EditState : ControlState {
  size_t selStart = 0;
  size_t selEnd = 0;
  size_t limit = 0;  // set when the edit is made
};

size_t defaultLimit(const Window& window) {
  return (window.style & ES_MULTILINE) ? static_cast<size_t>(INT_MAX) : 30000;
}

EditState& editOf(const WindowPtr& window) {
  EditState& edit = stateOf<EditState>(window);
  if (edit.limit == 0) edit.limit = defaultLimit(*window);
  return edit;
}

std::string upperIfAsked(const Window& window, std::string text) {
  if (window.style & ES_UPPERCASE)
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Replaces the selection with `text`, cut to the limit; the caret ends
// after it. Returns whether anything changed.
bool replaceSelection(const WindowPtr& window, std::string text) {
  EditState& edit = editOf(window);
  std::string& value = window->text;
  const size_t start = std::min({edit.selStart, edit.selEnd, value.size()});
  const size_t end = std::min(std::max(edit.selStart, edit.selEnd), value.size());
  const size_t room = edit.limit > value.size() - (end - start)
                          ? edit.limit - (value.size() - (end - start))
                          : 0;
  if (text.size() > room) {
    text.resize(room);
    kswin::host().beep();
  }
  if (text.empty() && start == end) return false;
  value.replace(start, end - start, upperIfAsked(*window, text));
  edit.selStart = edit.selEnd = start + text.size();
  return true;
}

// ---- List and combo boxes ----

struct ListItem {
  std::string text;
  LONG_PTR data = 0;
};

struct ListState : ControlState {
  std::vector<ListItem> items;
  int selected = -1;
};

// Answers the list messages shared by list and combo boxes; `isCombo` maps
// the combo numbering. Returns false for messages that are not list ones.
bool listMessage(const WindowPtr& window, UINT message, WPARAM wParam, LPARAM lParam,
                 bool sorted, LRESULT* result) {
  ListState& list = stateOf<ListState>(window);
  auto& items = list.items;
  const int count = static_cast<int>(items.size());
  const int index = static_cast<int>(static_cast<intptr_t>(wParam));
  const char* text = reinterpret_cast<const char*>(lParam);
  auto findText = [&](bool exact) -> LRESULT {
    if (text == nullptr || items.empty()) return LB_ERR;
    const size_t length = std::strlen(text);
    for (int step = 1; step <= count; ++step) {
      const int at = ((index < 0 ? -1 : index) + step) % count;
      const std::string& item = items[static_cast<size_t>(at)].text;
      if (exact ? sameText(item, text)
                : item.size() >= length && ::strncasecmp(item.c_str(), text, length) == 0)
        return at;
    }
    return LB_ERR;
  };
  switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
      std::string value = text != nullptr ? text : "";
      size_t at = items.size();
      if (message == LB_INSERTSTRING && index >= 0) {
        if (index > count) { *result = LB_ERR; return true; }
        at = static_cast<size_t>(index);
      } else if (message == LB_ADDSTRING && sorted) {
        at = static_cast<size_t>(
            std::upper_bound(items.begin(), items.end(), value,
                             [](const std::string& a, const ListItem& b) {
                               return ::strcasecmp(a.c_str(), b.text.c_str()) < 0;
                             }) -
            items.begin());
      }
      items.insert(items.begin() + static_cast<long>(at), ListItem{value, 0});
      if (list.selected >= static_cast<int>(at)) ++list.selected;
      *result = static_cast<LRESULT>(at);
      return true;
    }
    case LB_DELETESTRING:
      if (index < 0 || index >= count) { *result = LB_ERR; return true; }
      items.erase(items.begin() + index);
      if (list.selected == index) list.selected = -1;
      else if (list.selected > index) --list.selected;
      *result = count - 1;
      return true;
    case LB_RESETCONTENT:
      items.clear();
      list.selected = -1;
      *result = 0;
      return true;
    case LB_GETCOUNT: *result = count; return true;
    case LB_SETCURSEL:
      if (index < -1 || index >= count) { list.selected = -1; *result = LB_ERR; return true; }
      list.selected = index;
      *result = index < 0 ? LB_ERR : index;
      return true;
    case LB_GETCURSEL: *result = list.selected; return true;
    case LB_GETTEXT:
      if (index < 0 || index >= count || text == nullptr) { *result = LB_ERR; return true; }
      std::strcpy(reinterpret_cast<char*>(lParam), items[static_cast<size_t>(index)].text.c_str());
      *result = static_cast<LRESULT>(items[static_cast<size_t>(index)].text.size());
      return true;
    case LB_GETTEXTLEN:
      *result = index < 0 || index >= count
                    ? LB_ERR
                    : static_cast<LRESULT>(items[static_cast<size_t>(index)].text.size());
      return true;
    case LB_FINDSTRING: *result = findText(false); return true;
    case LB_FINDSTRINGEXACT: *result = findText(true); return true;
    case LB_SELECTSTRING: {
      const LRESULT found = findText(false);
      if (found != LB_ERR) list.selected = static_cast<int>(found);
      *result = found;
      return true;
    }
    case LB_GETITEMDATA:
      *result = index < 0 || index >= count ? LB_ERR : items[static_cast<size_t>(index)].data;
      return true;
    case LB_SETITEMDATA:
      if (index < 0 || index >= count) { *result = LB_ERR; return true; }
      items[static_cast<size_t>(index)].data = lParam;
      *result = TRUE;
      return true;
    case LB_SETCOLUMNWIDTH: *result = 0; return true;
    default: return false;
  }
}

UINT comboToList(UINT message) {
  switch (message) {
    case CB_ADDSTRING: return LB_ADDSTRING;
    case CB_INSERTSTRING: return LB_INSERTSTRING;
    case CB_DELETESTRING: return LB_DELETESTRING;
    case CB_RESETCONTENT: return LB_RESETCONTENT;
    case CB_GETCOUNT: return LB_GETCOUNT;
    case CB_SETCURSEL: return LB_SETCURSEL;
    case CB_GETCURSEL: return LB_GETCURSEL;
    case CB_GETLBTEXT: return LB_GETTEXT;
    case CB_GETLBTEXTLEN: return LB_GETTEXTLEN;
    case CB_FINDSTRING: return LB_FINDSTRING;
    case CB_FINDSTRINGEXACT: return LB_FINDSTRINGEXACT;
    case CB_SELECTSTRING: return LB_SELECTSTRING;
    case CB_GETITEMDATA: return LB_GETITEMDATA;
    case CB_SETITEMDATA: return LB_SETITEMDATA;
    default: return 0;
  }
}

}  // namespace

LRESULT buttonProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPtr window = find(handle);
  if (window == nullptr) return 0;
  ButtonState& button = stateOf<ButtonState>(window);
  switch (message) {
    case BM_GETCHECK: return button.check;
    case BM_SETCHECK: button.check = static_cast<UINT>(wParam); return 0;
    case BM_CLICK:
      if (!window->enabled) return 0;
      if (buttonKind(*window) == BS_AUTOCHECKBOX)
        button.check = button.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
      if (buttonKind(*window) == BS_AUTORADIOBUTTON) {
        clearRadioGroup(window);
        button.check = BST_CHECKED;
      }
      notifyParent(window, BN_CLICKED);
      return 0;
    default: return DefWindowProc(handle, message, wParam, lParam);
  }
}

LRESULT staticProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefWindowProc(handle, message, wParam, lParam);
  if (message == WM_SETTEXT) {
    WindowPtr window = find(handle);
    WindowPtr parent = window != nullptr ? find(window->parent) : nullptr;
    if (parent != nullptr && parent->dialog && parent->visible)
      kswin::host().dialogText(parent->handle, window->id, window->text);
  }
  return result;
}

LRESULT editProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPtr window = find(handle);
  if (window == nullptr) return 0;
  EditState& edit = editOf(window);
  const bool multiline = (window->style & ES_MULTILINE) != 0;
  switch (message) {
    case WM_CREATE:
      window->text = upperIfAsked(*window, window->text);
      return 0;
    case WM_SETTEXT:
      window->text = upperIfAsked(*window, lParam ? reinterpret_cast<const char*>(lParam) : "");
      edit.selStart = edit.selEnd = 0;
      notifyParent(window, EN_CHANGE);
      return TRUE;
    case WM_CHAR: {
      if (window->style & ES_READONLY) return 0;
      const char c = static_cast<char>(wParam);
      bool changed = false;
      if (c == '\b') {
        if (edit.selStart == edit.selEnd && edit.selStart > 0) --edit.selStart;
        changed = replaceSelection(window, "");
      } else if (c == '\r' || c == '\n') {
        if (multiline) changed = replaceSelection(window, "\r\n");
      } else if (static_cast<unsigned char>(c) >= 32) {
        changed = replaceSelection(window, std::string(1, c));
      }
      if (changed) notifyParent(window, EN_CHANGE);
      return 0;
    }
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_DELETE:
          if (edit.selStart == edit.selEnd && edit.selEnd < window->text.size()) ++edit.selEnd;
          if (replaceSelection(window, "")) notifyParent(window, EN_CHANGE);
          return 0;
        case VK_LEFT:
          edit.selStart = edit.selEnd = std::min(edit.selStart, edit.selEnd) > 0
                                            ? std::min(edit.selStart, edit.selEnd) - 1
                                            : 0;
          return 0;
        case VK_RIGHT:
          edit.selStart = edit.selEnd =
              std::min(std::max(edit.selStart, edit.selEnd) + 1, window->text.size());
          return 0;
        case VK_HOME: edit.selStart = edit.selEnd = 0; return 0;
        case VK_END: edit.selStart = edit.selEnd = window->text.size(); return 0;
        default: return 0;
      }
    case EM_SETSEL: {
      const intptr_t start = static_cast<intptr_t>(wParam);
      const intptr_t end = static_cast<intptr_t>(lParam);
      const size_t size = window->text.size();
      if (start < 0) {
        edit.selStart = edit.selEnd = std::min(edit.selEnd, size);
        return 0;
      }
      edit.selStart = std::min(static_cast<size_t>(start), size);
      edit.selEnd = end < 0 ? size : std::min(static_cast<size_t>(end), size);
      return 0;
    }
    case EM_GETSEL: {
      const DWORD start = static_cast<DWORD>(std::min(edit.selStart, edit.selEnd));
      const DWORD end = static_cast<DWORD>(std::max(edit.selStart, edit.selEnd));
      if (wParam != 0) *reinterpret_cast<DWORD*>(wParam) = start;
      if (lParam != 0) *reinterpret_cast<DWORD*>(lParam) = end;
      return MAKELONG(start, end);
    }
    case EM_REPLACESEL:
      if (replaceSelection(window, lParam ? reinterpret_cast<const char*>(lParam) : ""))
        notifyParent(window, EN_CHANGE);
      return 0;
    case EM_LIMITTEXT:
      edit.limit = wParam == 0 ? static_cast<size_t>(INT_MAX) : static_cast<size_t>(wParam);
      return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(edit.limit);
    case EM_GETLINECOUNT:
      return multiline ? 1 + std::count(window->text.begin(), window->text.end(), '\n') : 1;
    default: return DefWindowProc(handle, message, wParam, lParam);
  }
}

LRESULT listBoxProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPtr window = find(handle);
  if (window == nullptr) return 0;
  LRESULT result = 0;
  if (listMessage(window, message, wParam, lParam, (window->style & LBS_SORT) != 0, &result))
    return result;
  return DefWindowProc(handle, message, wParam, lParam);
}

LRESULT comboBoxProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPtr window = find(handle);
  if (window == nullptr) return 0;
  const UINT listMessageNumber = comboToList(message);
  if (listMessageNumber == 0) return DefWindowProc(handle, message, wParam, lParam);
  LRESULT result = 0;
  listMessage(window, listMessageNumber, wParam, lParam, (window->style & CBS_SORT) != 0,
              &result);
  // The combo's own text follows its selection.
  ListState& list = stateOf<ListState>(window);
  if (listMessageNumber == LB_SETCURSEL || listMessageNumber == LB_SELECTSTRING ||
      listMessageNumber == LB_RESETCONTENT)
    window->text = list.selected >= 0 ? list.items[static_cast<size_t>(list.selected)].text : "";
  return result;
}

// The double-click of a data table row (datatable.cpp).
bool dataTableDoubleClick(HWND table, int row);

}  // namespace kswin::detail

namespace kswin {

using detail::find;
using detail::WindowPtr;

bool press(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (button == nullptr || !IsWindowEnabled(button)) return false;
  WindowPtr window = find(button);
  if (window->className == "BUTTON") {
    SendMessage(button, BM_CLICK, 0, 0);
  } else {
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  }
  return true;
}

void typeInto(HWND control, std::string_view text) {
  for (char c : text) SendMessage(control, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void pressKey(HWND window, int virtualKey) {
  MSG msg{window, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1, 0, {}};
  // A key goes through the dialog's keyboard handling when it is in one.
  HWND dialog = window;
  while (dialog != nullptr && !(find(dialog) && find(dialog)->dialog)) dialog = GetParent(dialog);
  if (dialog == nullptr || !IsDialogMessage(dialog, &msg)) DispatchMessage(&msg);
  SendMessage(window, WM_KEYUP, static_cast<WPARAM>(virtualKey), 1);
}

bool selectItem(HWND dialog, int id, int index) {
  HWND control = GetDlgItem(dialog, id);
  WindowPtr window = find(control);
  if (window == nullptr) return false;
  const bool combo = detail::sameText(window->className, "COMBOBOX");
  if (SendMessage(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0) ==
      LB_ERR)
    return false;
  if (combo || (window->style & LBS_NOTIFY))
    detail::notifyParent(window, combo ? CBN_SELCHANGE : LBN_SELCHANGE);
  return true;
}

bool doubleClickItem(HWND control, int index) {
  WindowPtr window = find(control);
  if (window == nullptr) return false;
  if (detail::sameText(window->className, "DataTableDLL"))
    return detail::dataTableDoubleClick(control, index);
  if (SendMessage(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0) == LB_ERR) return false;
  if (window->style & LBS_NOTIFY) {
    detail::notifyParent(window, LBN_SELCHANGE);
    detail::notifyParent(window, LBN_DBLCLK);
  }
  return true;
}

}  // namespace kswin
