// Menus as data: items with ids, texts and states, pop-ups, menu templates
// registered by name, and what a menu looks like when the user opens it.
#include <map>
#include <mutex>

#include "window_internal.h"

namespace kswin::detail {
namespace {

struct MenuItem {
  UINT flags = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
  UINT id = 0;
  std::string text;
  HMENU popup = nullptr;
};

struct Menu {
  std::vector<MenuItem> items;
};

std::mutex menuLock;
std::map<uintptr_t, Menu>& menus() {
  static std::map<uintptr_t, Menu> table;
  return table;
}
std::map<std::string, std::vector<MenuTemplateItem>>& templates() {
  static std::map<std::string, std::vector<MenuTemplateItem>> table;
  return table;
}
uintptr_t nextMenu = 0x20000;

Menu* menuOf(HMENU handle) {
  auto it = menus().find(reinterpret_cast<uintptr_t>(handle));
  return it == menus().end() ? nullptr : &it->second;
}

// The item `which` names (a command id searched through the pop-ups, or a
// position), with the menu that holds it.
MenuItem* itemOf(HMENU handle, UINT which, UINT flags) {
  Menu* menu = menuOf(handle);
  if (menu == nullptr) return nullptr;
  if (flags & MF_BYPOSITION) return which < menu->items.size() ? &menu->items[which] : nullptr;
  for (MenuItem& item : menu->items) {
    if (item.popup != nullptr) {
      if (MenuItem* inner = itemOf(item.popup, which, flags)) return inner;
    } else if (!(item.flags & MF_SEPARATOR) && item.id == which) {
      return &item;
    }
  }
  return nullptr;
}

HMENU build(const std::vector<MenuTemplateItem>& items, bool popup) {
  HMENU menu = popup ? CreatePopupMenu() : CreateMenu();
  for (const MenuTemplateItem& item : items) {
    if (!item.items.empty()) {
      HMENU inner = build(item.items, true);
      AppendMenu(menu, MF_POPUP | item.flags, reinterpret_cast<uintptr_t>(inner),
                 item.text.c_str());
    } else {
      AppendMenu(menu, item.flags, item.id, item.text.empty() ? nullptr : item.text.c_str());
    }
  }
  return menu;
}

void snapshot(HMENU handle, std::vector<MenuEntry>& out) {
  Menu* menu = menuOf(handle);
  if (menu == nullptr) return;
  for (const MenuItem& item : menu->items) {
    MenuEntry entry;
    entry.id = item.popup != nullptr ? 0 : item.id;
    entry.text = item.text;
    entry.separator = (item.flags & MF_SEPARATOR) != 0;
    entry.popup = item.popup != nullptr;
    entry.grayed = (item.flags & MF_GRAYED) != 0;
    entry.enabled = (item.flags & (MF_GRAYED | MF_DISABLED)) == 0;
    entry.checked = (item.flags & MF_CHECKED) != 0;
    out.push_back(entry);
  }
}

// The bar's pop-up that holds command `id`, with its position on the bar.
HMENU popupHolding(HMENU bar, UINT id, int* position) {
  Menu* menu = menuOf(bar);
  if (menu == nullptr) return nullptr;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    if (menu->items[i].popup != nullptr &&
        itemOf(menu->items[i].popup, id, MF_BYCOMMAND) != nullptr) {
      *position = static_cast<int>(i);
      return menu->items[i].popup;
    }
  }
  return nullptr;
}

}  // namespace
}  // namespace kswin::detail

namespace kswin {

void registerMenu(const std::string& name, std::vector<MenuTemplateItem> bar) {
  std::lock_guard<std::mutex> guard(detail::menuLock);
  detail::templates()[name] = std::move(bar);
}

std::vector<MenuEntry> menuItems(HMENU menu) {
  std::lock_guard<std::mutex> guard(detail::menuLock);
  std::vector<MenuEntry> out;
  detail::snapshot(menu, out);
  return out;
}

std::vector<MenuEntry> openMenu(HWND window, int position) {
  HMENU bar = GetMenu(window);
  HMENU popup = GetSubMenu(bar, position);
  if (popup == nullptr) return {};
  SendMessage(window, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
  SendMessage(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
              MAKELPARAM(position, 0));
  return menuItems(popup);
}

bool chooseMenuItem(HWND window, UINT id) {
  HMENU bar = GetMenu(window);
  int position = 0;
  HMENU popup;
  {
    std::lock_guard<std::mutex> guard(detail::menuLock);
    popup = detail::popupHolding(bar, id, &position);
  }
  if (popup == nullptr) return false;
  // A greyed pop-up of the bar does not open at all.
  if (GetMenuState(bar, static_cast<UINT>(position), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED))
    return false;
  openMenu(window, position);  // the window greys what it wants as the menu opens
  const UINT state = GetMenuState(bar, id, MF_BYCOMMAND);
  if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED))) return false;
  SendMessage(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return true;
}

}  // namespace kswin

extern "C" {

HMENU CreateMenu(void) {
  std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
  const uintptr_t handle = kswin::detail::nextMenu += 4;
  kswin::detail::menus()[handle] = {};
  return reinterpret_cast<HMENU>(handle);
}

HMENU CreatePopupMenu(void) { return CreateMenu(); }

BOOL DestroyMenu(HMENU handle) {
  std::vector<HMENU> popups;
  {
    std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
    kswin::detail::Menu* menu = kswin::detail::menuOf(handle);
    if (menu == nullptr) return FALSE;
    for (const auto& item : menu->items)
      if (item.popup != nullptr) popups.push_back(item.popup);
    kswin::detail::menus().erase(reinterpret_cast<uintptr_t>(handle));
  }
  for (HMENU popup : popups) DestroyMenu(popup);
  return TRUE;
}

BOOL IsMenu(HMENU handle) {
  std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
  return kswin::detail::menuOf(handle) != nullptr ? TRUE : FALSE;
}

BOOL AppendMenu(HMENU handle, UINT flags, uintptr_t idOrPopup, const char* text) {
  std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
  kswin::detail::Menu* menu = kswin::detail::menuOf(handle);
  if (menu == nullptr) return FALSE;
  kswin::detail::MenuItem item;
  item.flags = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR);
  if (flags & MF_POPUP) item.popup = reinterpret_cast<HMENU>(idOrPopup);
  else item.id = static_cast<UINT>(idOrPopup);
  if (text == nullptr && !(flags & MF_POPUP)) item.flags |= MF_SEPARATOR;
  item.text = text != nullptr ? text : "";
  menu->items.push_back(item);
  return TRUE;
}

UINT EnableMenuItem(HMENU handle, UINT which, UINT flags) {
  std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
  kswin::detail::MenuItem* item = kswin::detail::itemOf(handle, which, flags);
  if (item == nullptr) return static_cast<UINT>(-1);
  const UINT previous = item->flags & (MF_GRAYED | MF_DISABLED);
  item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  return previous;
}

DWORD CheckMenuItem(HMENU handle, UINT which, UINT flags) {
  std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
  kswin::detail::MenuItem* item = kswin::detail::itemOf(handle, which, flags);
  if (item == nullptr) return static_cast<DWORD>(-1);
  const DWORD previous = item->flags & MF_CHECKED;
  item->flags = (item->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
  return previous;
}

UINT GetMenuState(HMENU handle, UINT which, UINT flags) {
  std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
  kswin::detail::MenuItem* item = kswin::detail::itemOf(handle, which, flags);
  if (item == nullptr) return static_cast<UINT>(-1);
  return item->flags | (item->popup != nullptr ? MF_POPUP : 0);
}

int GetMenuString(HMENU handle, UINT which, char* buffer, int size, UINT flags) {
  std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
  kswin::detail::MenuItem* item = kswin::detail::itemOf(handle, which, flags);
  if (item == nullptr) return 0;
  if (buffer == nullptr || size <= 0) return static_cast<int>(item->text.size());
  return static_cast<int>(kswin::detail::copyText(item->text, static_cast<WPARAM>(size),
                                                  reinterpret_cast<LPARAM>(buffer)));
}

int GetMenuItemCount(HMENU handle) {
  std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
  kswin::detail::Menu* menu = kswin::detail::menuOf(handle);
  return menu != nullptr ? static_cast<int>(menu->items.size()) : -1;
}

UINT GetMenuItemID(HMENU handle, int position) {
  std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
  kswin::detail::Menu* menu = kswin::detail::menuOf(handle);
  if (menu == nullptr || position < 0 || static_cast<size_t>(position) >= menu->items.size())
    return static_cast<UINT>(-1);
  const auto& item = menu->items[static_cast<size_t>(position)];
  return item.popup != nullptr ? static_cast<UINT>(-1) : item.id;
}

HMENU GetSubMenu(HMENU handle, int position) {
  std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
  kswin::detail::Menu* menu = kswin::detail::menuOf(handle);
  if (menu == nullptr || position < 0 || static_cast<size_t>(position) >= menu->items.size())
    return nullptr;
  return menu->items[static_cast<size_t>(position)].popup;
}

HMENU LoadMenu(HINSTANCE, const char* name) {
  std::vector<kswin::MenuTemplateItem> bar;
  {
    std::lock_guard<std::mutex> guard(kswin::detail::menuLock);
    if (name == nullptr || IS_INTRESOURCE(name)) return nullptr;
    auto it = kswin::detail::templates().find(name);
    if (it == kswin::detail::templates().end()) return nullptr;
    bar = it->second;
  }
  return kswin::detail::build(bar, false);
}

HMENU GetMenu(HWND window) {
  kswin::detail::WindowPtr record = kswin::detail::find(window);
  return record != nullptr && !record->child ? record->menu : nullptr;
}

BOOL SetMenu(HWND window, HMENU menu) {
  kswin::detail::WindowPtr record = kswin::detail::find(window);
  if (record == nullptr || record->child) return FALSE;
  record->menu = menu;
  return TRUE;
}

BOOL DrawMenuBar(HWND window) { return IsWindow(window); }

}  // extern "C"
