// Device contexts of windows and printers, stock objects and text metrics.
// There is no screen: drawing on a window's context succeeds and shows
// nothing; measuring gives the fixed-pitch font's figures.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "base/paths.h"
#include "dc_internal.h"

namespace kswin::detail {
namespace {

std::mutex contextLock;
std::map<uintptr_t, std::unique_ptr<DeviceContext>>& contexts() {
  static std::map<uintptr_t, std::unique_ptr<DeviceContext>> table;
  return table;
}
uintptr_t nextContext = 0x30000;

constexpr FontMetrics kScreen{15, 12, 3, 1, 8};
constexpr FontMetrics kPrinter{46, 37, 9, 4, 30};

HDC addContext(std::unique_ptr<DeviceContext> context) {
  std::lock_guard<std::mutex> guard(contextLock);
  const uintptr_t handle = nextContext += 4;
  contexts()[handle] = std::move(context);
  return reinterpret_cast<HDC>(handle);
}

// Stock and created objects are tokens: nothing is drawn with them.
HGDIOBJ token(uintptr_t value) { return reinterpret_cast<HGDIOBJ>(value); }

// The last bitmap each window stretched, for tests.
std::map<HWND, kswin::StretchRecord>& stretches() {
  static std::map<HWND, kswin::StretchRecord> table;
  return table;
}

constexpr uintptr_t kStock = 0x100, kBrush = 0x1000000, kPen = 0x2000000;

// What a token draws with: a brush's or a pen's colour, or nothing.
enum class Kind { none, brush, pen, other };
Kind kindOf(HGDIOBJ object, COLORREF* colour) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(object);
  if ((value & 0xFF000000u) == kBrush || (value & 0xFF000000u) == kPen) {
    *colour = static_cast<COLORREF>(value & 0xFFFFFFu);
    return (value & 0xFF000000u) == kBrush ? Kind::brush : Kind::pen;
  }
  if (value >= kStock && value < kStock + 0x100) {
    switch (value - kStock) {
      case WHITE_BRUSH: *colour = RGB(255, 255, 255); return Kind::brush;
      case LTGRAY_BRUSH: *colour = RGB(192, 192, 192); return Kind::brush;
      case GRAY_BRUSH: *colour = RGB(128, 128, 128); return Kind::brush;
      case 3: *colour = RGB(64, 64, 64); return Kind::brush;
      case BLACK_BRUSH: *colour = RGB(0, 0, 0); return Kind::brush;
      case WHITE_PEN: *colour = RGB(255, 255, 255); return Kind::pen;
      case BLACK_PEN: *colour = RGB(0, 0, 0); return Kind::pen;
      case NULL_BRUSH:
      case NULL_PEN: return Kind::none;
      default: return Kind::other;
    }
  }
  // A system colour index plus one, as window classes name their background.
  if (value > 0 && value < 0x40) {
    *colour = RGB(255, 255, 255);
    return Kind::brush;
  }
  return Kind::other;
}

}  // namespace

// Where a window context's drawing goes: the host's picture of the window.
kswin::Canvas* canvasOf(const DeviceContext& context) {
  if (context.printer || context.window == nullptr) return nullptr;
  return kswin::host().canvas(context.window);
}

DeviceContext* contextOf(HDC dc) {
  std::lock_guard<std::mutex> guard(contextLock);
  auto it = contexts().find(reinterpret_cast<uintptr_t>(dc));
  return it == contexts().end() ? nullptr : it->second.get();
}

const FontMetrics& metricsFor(const DeviceContext& context) {
  return context.printer ? kPrinter : kScreen;
}

}  // namespace kswin::detail

using kswin::detail::contextOf;
using kswin::detail::DeviceContext;

extern "C" {

HDC GetDC(HWND window) {
  if (window != nullptr && !IsWindow(window)) return nullptr;
  auto context = std::make_unique<DeviceContext>();
  context->window = window;
  return kswin::detail::addContext(std::move(context));
}

int ReleaseDC(HWND, HDC dc) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || context->printer) return 0;
  std::lock_guard<std::mutex> guard(kswin::detail::contextLock);
  kswin::detail::contexts().erase(reinterpret_cast<uintptr_t>(dc));
  return 1;
}

HDC CreateDC(const char*, const char*, const char* output, const void*) {
  auto context = std::make_unique<DeviceContext>();
  context->printer = true;
  if (output != nullptr && output[0] != '\0') context->output = output;
  else if (std::string chosen = kswin::detail::chosenPrinterOutput(); !chosen.empty())
    context->output = chosen;
  else context->output = ksbase::settingsDirectory() + "/print.pdf";
  return kswin::detail::addContext(std::move(context));
}

BOOL DeleteDC(HDC dc) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr) return FALSE;
  if (context->inDocument) kswin::detail::abandonDocument(*context);
  std::lock_guard<std::mutex> guard(kswin::detail::contextLock);
  kswin::detail::contexts().erase(reinterpret_cast<uintptr_t>(dc));
  return TRUE;
}

HGDIOBJ GetStockObject(int which) { return kswin::detail::token(0x100 + static_cast<unsigned>(which)); }

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || object == nullptr) return nullptr;
  HGDIOBJ previous = context->font != nullptr ? context->font : GetStockObject(SYSTEM_FONT);
  context->font = object;
  // Pens and brushes are also kept by kind, for the drawing they do.
  COLORREF colour = 0;
  const auto kind = kswin::detail::kindOf(object, &colour);
  const uintptr_t value = reinterpret_cast<uintptr_t>(object);
  if (kind == kswin::detail::Kind::brush ||
      value == kswin::detail::kStock + static_cast<uintptr_t>(NULL_BRUSH))
    context->brush = object;
  else if (kind == kswin::detail::Kind::pen ||
           value == kswin::detail::kStock + static_cast<uintptr_t>(NULL_PEN))
    context->pen = object;
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) { return object != nullptr ? TRUE : FALSE; }

HBRUSH CreateSolidBrush(COLORREF colour) { return kswin::detail::token(0x1000000 | colour); }

HPEN CreatePen(int, int, COLORREF colour) { return kswin::detail::token(0x2000000 | colour); }

BOOL GetTextMetrics(HDC dc, TEXTMETRIC* metrics) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || metrics == nullptr) return FALSE;
  const auto& font = kswin::detail::metricsFor(*context);
  *metrics = TEXTMETRIC{font.height, font.ascent,       font.descent, 0,
                        font.externalLeading, font.averageWidth, font.averageWidth};
  return TRUE;
}

BOOL GetTextExtentPoint32(HDC dc, const char* text, int length, SIZE* size) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || size == nullptr || (text == nullptr && length > 0)) return FALSE;
  const auto& font = kswin::detail::metricsFor(*context);
  size->cx = font.averageWidth * std::max(length, 0);
  size->cy = font.height;
  return TRUE;
}

int GetDeviceCaps(HDC dc, int index) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr) return 0;
  const RECT screen = kswin::desktopRect();
  switch (index) {
    case HORZRES: return context->printer ? 2550 : screen.right;
    case VERTRES: return context->printer ? 3300 : screen.bottom;
    case LOGPIXELSX:
    case LOGPIXELSY: return context->printer ? 300 : 96;
    default: return 0;
  }
}

BOOL TextOut(HDC dc, int x, int y, const char* text, int length) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || (text == nullptr && length > 0) || length < 0) return FALSE;
  if (!context->printer) {
    if (kswin::Canvas* canvas = kswin::detail::canvasOf(*context))
      canvas->text(x, y, std::string_view(text, static_cast<size_t>(length)), context->textColour,
                   context->backMode == OPAQUE, context->backColour);
    return TRUE;
  }
  return kswin::detail::printText(*context, x, y, std::string_view(text, static_cast<size_t>(length)))
             ? TRUE
             : FALSE;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr) return 0xFFFFFFFF;
  const COLORREF previous = context->textColour;
  context->textColour = colour;
  return previous;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr) return 0xFFFFFFFF;
  const COLORREF previous = context->backColour;
  context->backColour = colour;
  return previous;
}

int SetBkMode(HDC dc, int mode) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr) return 0;
  return std::exchange(context->backMode, mode);
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || rect == nullptr) return 0;
  COLORREF colour = 0;
  if (kswin::Canvas* canvas = kswin::detail::canvasOf(*context);
      canvas != nullptr && kswin::detail::kindOf(brush, &colour) == kswin::detail::Kind::brush)
    canvas->fillRect(*rect, colour);
  return 1;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr) return FALSE;
  if (kswin::Canvas* canvas = kswin::detail::canvasOf(*context)) {
    COLORREF pen = RGB(0, 0, 0), brush = RGB(255, 255, 255);
    const bool outline = context->pen == nullptr ||
                         kswin::detail::kindOf(context->pen, &pen) == kswin::detail::Kind::pen;
    const bool fill = context->brush == nullptr ||
                      kswin::detail::kindOf(context->brush, &brush) == kswin::detail::Kind::brush;
    canvas->rectangle(RECT{left, top, right, bottom}, outline, pen, fill, brush);
  }
  return TRUE;
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr) return FALSE;
  if (previous != nullptr) *previous = context->position;
  context->position = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr) return FALSE;
  COLORREF pen = RGB(0, 0, 0);
  if (kswin::Canvas* canvas = kswin::detail::canvasOf(*context);
      canvas != nullptr && (context->pen == nullptr || kswin::detail::kindOf(context->pen, &pen) ==
                                                           kswin::detail::Kind::pen))
    canvas->line(context->position, POINT{x, y}, pen);
  context->position = POINT{x, y};
  return TRUE;
}

int SetStretchBltMode(HDC dc, int mode) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr) return 0;
  return std::exchange(context->stretchMode, mode);
}

int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY,
                  int srcWidth, int srcHeight, const void* bits, const void* info, UINT usage,
                  DWORD rop) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || bits == nullptr) return 0;
  if (context->window != nullptr) {
    std::lock_guard<std::mutex> guard(kswin::detail::contextLock);
    kswin::detail::stretches()[context->window] = kswin::StretchRecord{
        context->window, x,    y,     width, height, srcX, srcY, srcWidth, srcHeight,
        bits,            info, usage, rop,   context->stretchMode};
  }
  if (kswin::Canvas* canvas = kswin::detail::canvasOf(*context); canvas != nullptr && info != nullptr) {
    BITMAPINFOHEADER header;
    std::memcpy(&header, info, sizeof header);
    const auto* colours = reinterpret_cast<const RGBQUAD*>(static_cast<const char*>(info) +
                                                           header.biSize);
    canvas->stretch(RECT{x, y, x + width, y + height},
                    RECT{srcX, srcY, srcX + srcWidth, srcY + srcHeight}, bits, header,
                    header.biBitCount <= 8 ? colours : nullptr);
  }
  return srcHeight;
}

}  // extern "C"

namespace kswin {

StretchRecord lastStretch(HWND window) {
  std::lock_guard<std::mutex> guard(detail::contextLock);
  auto it = detail::stretches().find(window);
  return it == detail::stretches().end() ? StretchRecord{} : it->second;
}

}  // namespace kswin
