// Device contexts shared by drawing (gdi.cpp) and printing (print.cpp).
#ifndef KESTREL_WINLAYER_DC_INTERNAL_H
#define KESTREL_WINLAYER_DC_INTERNAL_H

#include <cairo.h>

#include <cstddef>
#include <memory>
#include <string>

#include "testing.h"

namespace kswin::detail {

struct DeviceContext {
  bool printer = false;
  HWND window = nullptr;
  std::string output;  // a printer's PDF file
  HGDIOBJ font = nullptr;
  COLORREF textColour = 0;
  COLORREF backColour = RGB(255, 255, 255);
  int backMode = OPAQUE;
  int stretchMode = BLACKONWHITE;
  POINT position{0, 0};  // where LineTo draws from
  HGDIOBJ pen = nullptr;    // null: the black pen
  HGDIOBJ brush = nullptr;  // null: the white brush
  // A printer's document in progress.
  cairo_surface_t* surface = nullptr;
  cairo_t* cairo = nullptr;
  std::string partial;  // the PDF being written, renamed to `output` at the end
  bool inDocument = false;
  bool inPage = false;
  ABORTPROC abortProc = nullptr;
  size_t document = 0;  // index into the printed documents
};

// The context of a handle, or null.
DeviceContext* contextOf(HDC dc);

// Metrics of the fixed-pitch font on a screen or a printer.
struct FontMetrics {
  LONG height, ascent, descent, externalLeading, averageWidth;
};
const FontMetrics& metricsFor(const DeviceContext& context);

// The PDF file chosen in the last print set-up, "" before any.
std::string chosenPrinterOutput();

// Ends a printer context's document without keeping it.
void abandonDocument(DeviceContext& context);
// Draws text on the page of a printer context and keeps it in the page model.
bool printText(DeviceContext& context, int x, int y, std::string_view text);

}  // namespace kswin::detail

#endif
