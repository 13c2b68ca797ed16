// The data table control ("DataTableDLL"): an in-memory table of fixed
// records answering the control's message protocol, with stable sorting by
// one column or by up to three keys.
#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>

#include "datatable.h"
#include "window_internal.h"

namespace kswin::detail {
namespace {

struct Column {
  int type = DT_TYPE_TEXT;
  int length = 0;
  int flags = 0;
  int width = 0;
  std::string mask;
  std::string title;
  size_t offset = 0;  // in the row record, once laid out
};

struct TableState : ControlState {
  std::vector<Column> columns;
  size_t recordSize = 0;  // 0: not laid out since the columns last changed
  std::vector<std::string> rows;
  int current = -1;
  int marked = -1;
  int focused = -1;
  int scrolledTo = -1;
  int doubleClicked = -1;
  int sortKeys[3] = {-1, -1, -1};
  COLORREF background = RGB(255, 255, 255);
  COLORREF text = RGB(0, 0, 0);
  unsigned long revision = 0;  // moves on with every message that may change the table
};

TableState& tableOf(const WindowPtr& window) {
  if (!window->control) window->control = std::make_unique<TableState>();
  return static_cast<TableState&>(*window->control);
}

// Lays the record out: integers on a multiple of their size, the whole
// padded to a multiple of 4.
size_t layOut(TableState& table) {
  if (table.recordSize != 0 || table.columns.empty()) return table.recordSize;
  size_t offset = 0;
  for (Column& column : table.columns) {
    size_t align = 1;
    if (column.type == DT_TYPE_INT16) align = 2;
    if (column.type == DT_TYPE_INT32) align = 4;
    offset = (offset + align - 1) / align * align;
    column.offset = offset;
    offset += static_cast<size_t>(std::max(column.length, 0));
  }
  table.recordSize = (offset + 3) / 4 * 4;
  return table.recordSize;
}

bool validRow(const TableState& table, intptr_t row) {
  return row >= 0 && static_cast<size_t>(row) < table.rows.size();
}

// Compares one field of two records: <0, 0, >0.
int compareField(const Column& column, const std::string& a, const std::string& b, int order) {
  const char* x = a.data() + column.offset;
  const char* y = b.data() + column.offset;
  int result = 0;
  if (column.type == DT_TYPE_INT16) {
    int16_t p, q;
    std::memcpy(&p, x, 2);
    std::memcpy(&q, y, 2);
    result = (p > q) - (p < q);
  } else if (column.type == DT_TYPE_INT32) {
    int32_t p, q;
    std::memcpy(&p, x, 4);
    std::memcpy(&q, y, 4);
    result = (p > q) - (p < q);
  } else {
    const size_t length = static_cast<size_t>(column.length);
    for (size_t i = 0; i < length; ++i) {
      unsigned char p = static_cast<unsigned char>(x[i]);
      unsigned char q = static_cast<unsigned char>(y[i]);
      if (order & DT_ORDER_NOCASE) {
        p = static_cast<unsigned char>(std::toupper(p));
        q = static_cast<unsigned char>(std::toupper(q));
      }
      if (p != q) {
        result = p < q ? -1 : 1;
        break;
      }
      if (p == 0) break;
    }
  }
  return (order & DT_ORDER_DESCENDING) ? -result : result;
}

// Sorts the rows stably by the given columns; current, marked and focused
// rows follow their records.
void sortRows(TableState& table, const std::vector<int>& keys, int order) {
  if (keys.empty() || table.rows.size() < 2) return;
  std::vector<const Column*> columns;
  for (int key : keys) columns.push_back(&table.columns[static_cast<size_t>(key)]);
  std::vector<uint32_t> permutation(table.rows.size());
  std::iota(permutation.begin(), permutation.end(), 0u);
  std::stable_sort(permutation.begin(), permutation.end(), [&](uint32_t a, uint32_t b) {
    for (const Column* column : columns) {
      const int result = compareField(*column, table.rows[a], table.rows[b], order);
      if (result != 0) return result < 0;
    }
    return false;
  });
  std::vector<std::string> sorted;
  sorted.reserve(table.rows.size());
  std::vector<int> newIndex(table.rows.size());
  for (size_t i = 0; i < permutation.size(); ++i) {
    sorted.push_back(std::move(table.rows[permutation[i]]));
    newIndex[permutation[i]] = static_cast<int>(i);
  }
  table.rows = std::move(sorted);
  for (int* row : {&table.current, &table.marked, &table.focused, &table.doubleClicked})
    if (*row >= 0 && static_cast<size_t>(*row) < newIndex.size())
      *row = newIndex[static_cast<size_t>(*row)];
}

void clearRows(TableState& table) {
  table.rows.clear();
  table.current = table.marked = table.focused = table.scrolledTo = table.doubleClicked = -1;
}

LRESULT columnMessage(TableState& table, UINT message, WPARAM wParam, LPARAM lParam) {
  const intptr_t col = static_cast<intptr_t>(wParam);
  if (col < 0 || static_cast<size_t>(col) >= table.columns.size()) return DT_ERR_INVALID_ROW;
  Column& column = table.columns[static_cast<size_t>(col)];
  switch (message) {
    case DT_SETCOLUMNFLAGS: column.flags = static_cast<int>(lParam); break;
    case DT_SETCOLUMNTYPE:
      if (lParam != DT_TYPE_TEXT && lParam != DT_TYPE_INT16 && lParam != DT_TYPE_INT32)
        return DT_ERR_NULL_VALUE;
      column.type = static_cast<int>(lParam);
      if (column.type == DT_TYPE_INT16) column.length = 2;
      if (column.type == DT_TYPE_INT32) column.length = 4;
      break;
    case DT_SETCOLUMNLENGTH:
      if (lParam <= 0 || lParam > 65535) return DT_ERR_OVERFLOW;
      column.length = static_cast<int>(lParam);
      break;
    case DT_SETCOLUMNWIDTH: column.width = static_cast<int>(lParam); break;
    case DT_SETCOLUMNMASK:
    case DT_SETCOLUMNTITLE:
      if (lParam == 0) return DT_ERR_NULL_STRING;
      (message == DT_SETCOLUMNMASK ? column.mask : column.title) =
          reinterpret_cast<const char*>(lParam);
      return 0;
    default: break;
  }
  // The record layout changes with the columns; rows made before no longer fit.
  if (message != DT_SETCOLUMNFLAGS && message != DT_SETCOLUMNWIDTH) {
    table.recordSize = 0;
    clearRows(table);
  }
  return 0;
}

}  // namespace

LRESULT dataTableProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPtr window = find(handle);
  if (window == nullptr) return 0;
  TableState& table = tableOf(window);
  const intptr_t row = static_cast<intptr_t>(lParam);
  if (message != DT_GETROWCOUNT && message != DT_GETMARKEDROW && message != DT_GETDBLCLKROW &&
      message != DT_GETROW)
    ++table.revision;
  try {
    switch (message) {
      case DT_RESET:
        table.columns.clear();
        table.recordSize = 0;
        std::fill(std::begin(table.sortKeys), std::end(table.sortKeys), -1);
        clearRows(table);
        return 0;
      case DT_SETCOLUMNCOUNT: {
        const intptr_t count = static_cast<intptr_t>(wParam);
        if (count < 0 || count > 1024) return DT_ERR_OVERFLOW;
        table.columns.resize(static_cast<size_t>(count));
        table.recordSize = 0;
        clearRows(table);
        return 0;
      }
      case DT_SETCOLUMNFLAGS:
      case DT_SETCOLUMNTYPE:
      case DT_SETCOLUMNLENGTH:
      case DT_SETCOLUMNWIDTH:
      case DT_SETCOLUMNMASK:
      case DT_SETCOLUMNTITLE: return columnMessage(table, message, wParam, lParam);
      case DT_DELETEALLROWS: clearRows(table); return 0;
      case DT_GETROWCOUNT: return static_cast<LRESULT>(table.rows.size());
      case DT_GETMARKEDROW: return table.marked;
      case DT_GETDBLCLKROW: return table.doubleClicked;
      case DT_SETCURRENTROW:
        if (row == DT_NOROW) {
          table.current = -1;
          return 0;
        }
        if (!validRow(table, row)) return DT_ERR_INVALID_ROW;
        table.current = static_cast<int>(row);
        return 0;
      case DT_GETROW:
      case DT_PUTROW: {
        if (lParam == 0) return DT_ERR_NULL_VALUE;
        if (!validRow(table, table.current)) return DT_ERR_INVALID_ROW;
        std::string& record = table.rows[static_cast<size_t>(table.current)];
        if (message == DT_GETROW) std::memcpy(reinterpret_cast<void*>(lParam), record.data(), record.size());
        else std::memcpy(record.data(), reinterpret_cast<const void*>(lParam), record.size());
        if (message == DT_PUTROW) window->paintPending = true;
        return 0;
      }
      case DT_APPENDROW: {
        if (lParam == 0) return DT_ERR_NULL_VALUE;
        const size_t size = layOut(table);
        if (size == 0) return DT_ERR_OVERFLOW;  // no columns defined
        table.rows.emplace_back(reinterpret_cast<const char*>(lParam), size);
        table.current = static_cast<int>(table.rows.size() - 1);
        window->paintPending = true;
        return table.current;
      }
      case DT_DELETEROW:
        if (!validRow(table, table.current)) return DT_ERR_INVALID_ROW;
        table.rows.erase(table.rows.begin() + table.current);
        for (int* other : {&table.marked, &table.focused, &table.doubleClicked}) {
          if (*other == table.current) *other = -1;
          else if (*other > table.current) --*other;
        }
        if (!validRow(table, table.current)) table.current = -1;
        window->paintPending = true;
        return 0;
      case DT_MARKROW:
        if (!validRow(table, row)) return DT_ERR_INVALID_ROW;
        if (wParam != 0) table.marked = static_cast<int>(row);
        else if (table.marked == row) table.marked = -1;
        window->paintPending = true;
        return 0;
      case DT_SCROLLTOROW:
      case DT_FOCUSROW:
        if (!validRow(table, row)) return DT_ERR_INVALID_ROW;
        (message == DT_SCROLLTOROW ? table.scrolledTo : table.focused) = static_cast<int>(row);
        return 0;
      case DT_SETCOLORS: {
        if (lParam == 0) return DT_ERR_NULL_VALUE;
        const COLORREF* pair = reinterpret_cast<const COLORREF*>(lParam);
        table.background = pair[0];
        table.text = pair[1];
        window->paintPending = true;
        return 0;
      }
      case DT_SETSORTKEY: {
        const intptr_t col = static_cast<intptr_t>(wParam);
        if (lParam < 1 || lParam > 3) return DT_ERR_NULL_VALUE;
        if (col < 0 || static_cast<size_t>(col) >= table.columns.size()) return DT_ERR_INVALID_ROW;
        table.sortKeys[lParam - 1] = static_cast<int>(col);
        return 0;
      }
      case DT_MULTIKEYSORT: return 0;
      case DT_SORT: {
        const intptr_t col = static_cast<intptr_t>(static_cast<int>(wParam));
        layOut(table);
        std::vector<int> keys;
        if (col == DT_SORTBYKEYS) {
          for (int key : table.sortKeys)
            if (key >= 0 && static_cast<size_t>(key) < table.columns.size()) keys.push_back(key);
        } else if (col >= 0 && static_cast<size_t>(col) < table.columns.size()) {
          keys.push_back(static_cast<int>(col));
        } else {
          return DT_ERR_INVALID_ROW;
        }
        sortRows(table, keys, static_cast<int>(lParam));
        window->paintPending = true;
        return 0;
      }
      default: return DefWindowProc(handle, message, wParam, lParam);
    }
  } catch (const std::bad_alloc&) {
    return DT_ERR_NO_MEMORY;
  }
}

bool dataTableDoubleClick(HWND handle, int row) {
  WindowPtr window = find(handle);
  if (window == nullptr) return false;
  TableState& table = tableOf(window);
  if (!validRow(table, row)) return false;
  table.doubleClicked = row;
  if (window->parent != nullptr)
    SendMessage(window->parent, WM_COMMAND, MAKEWPARAM(window->id, DT_NOTIFY_DBLCLK),
                reinterpret_cast<LPARAM>(handle));
  return true;
}

}  // namespace kswin::detail

namespace kswin {

DataTableView dataTableView(HWND handle) {
  DataTableView view;
  detail::WindowPtr window = detail::find(handle);
  if (window == nullptr || !detail::sameText(window->className, "DataTableDLL")) return view;
  detail::TableState& table = detail::tableOf(window);
  detail::layOut(table);
  for (const detail::Column& column : table.columns)
    view.columns.push_back(DataTableColumn{column.type, column.length, column.flags, column.width,
                                           column.offset, column.mask, column.title});
  view.recordSize = table.recordSize;
  view.rows = table.rows.size();
  view.current = table.current;
  view.marked = table.marked;
  view.focused = table.focused;
  view.scrolledTo = table.scrolledTo;
  view.doubleClicked = table.doubleClicked;
  std::copy(std::begin(table.sortKeys), std::end(table.sortKeys), view.sortKeys);
  view.background = table.background;
  view.text = table.text;
  view.redraw = window->redraw;
  return view;
}

}  // namespace kswin

namespace kswin {

bool dataTableShape(HWND handle, DataTableShape* shape) {
  detail::WindowPtr window = detail::find(handle);
  if (shape == nullptr || window == nullptr || !detail::sameText(window->className, "DataTableDLL"))
    return false;
  detail::TableState& table = detail::tableOf(window);
  detail::layOut(table);
  *shape = DataTableShape{};
  for (size_t i = 0; i < table.columns.size(); ++i) {
    const detail::Column& column = table.columns[i];
    if (column.flags & DT_FLAG_HIDDEN) continue;
    shape->columns.push_back(
        DataTableShape::Column{static_cast<int>(i), column.title, column.width, column.flags});
  }
  shape->rows = table.rows.size();
  shape->revision = table.revision;
  shape->marked = table.marked;
  shape->focused = table.focused;
  shape->scrolledTo = table.scrolledTo;
  shape->background = table.background;
  shape->text = table.text;
  return true;
}

bool dataTableRowTexts(HWND handle, size_t row, std::vector<std::string>* cells) {
  detail::WindowPtr window = detail::find(handle);
  if (cells == nullptr || window == nullptr ||
      !detail::sameText(window->className, "DataTableDLL"))
    return false;
  detail::TableState& table = detail::tableOf(window);
  if (row >= table.rows.size() || detail::layOut(table) == 0) return false;
  const std::string& record = table.rows[row];
  cells->clear();
  for (const detail::Column& column : table.columns) {
    if (column.flags & DT_FLAG_HIDDEN) continue;
    const size_t length = static_cast<size_t>(std::max(column.length, 0));
    if (column.offset + length > record.size()) {
      cells->emplace_back();
      continue;
    }
    const char* field = record.data() + column.offset;
    if (column.type == DT_TYPE_INT16) {
      int16_t value;
      std::memcpy(&value, field, 2);
      cells->push_back(std::to_string(value));
    } else if (column.type == DT_TYPE_INT32) {
      int32_t value;
      std::memcpy(&value, field, 4);
      cells->push_back(std::to_string(value));
    } else {
      cells->emplace_back(field, strnlen(field, length));
    }
  }
  return true;
}

}  // namespace kswin
