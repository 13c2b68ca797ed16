// Printing: documents and pages of a printer context rendered to a PDF file
// through cairo, with the abort procedure called at every page end, and the
// page model tests read back.
#include <cairo-pdf.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <cstdlib>

#include <cstdio>
#include <mutex>

#include "dc_internal.h"

namespace kswin::detail {
namespace {

std::mutex printLock;
std::vector<PrintedDocument>& documents() {
  static std::vector<PrintedDocument> list;
  return list;
}
std::string failingStep;

bool failsNow(std::string_view step) {
  std::lock_guard<std::mutex> guard(printLock);
  if (failingStep != step) return false;
  failingStep.clear();
  return true;
}

// Paper: US Letter, 8.5 x 11 inches; the context works at 300 dots per inch.
constexpr double kPointsPerDot = 72.0 / 300.0;
constexpr double kPageWidth = 612.0;
constexpr double kPageHeight = 792.0;

// The suite's texts are single-byte (Latin-1); cairo takes UTF-8.
std::string utf8(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

// Under the address sanitizer the font caches cairo and fontconfig keep for
// the life of the process are released at exit, so that the leak checker
// reports only what this layer itself failed to free.
void releaseFontCachesAtExit() {
#if defined(__SANITIZE_ADDRESS__)
  static bool registered = false;
  if (registered) return;
  registered = true;
  std::atexit([] {
    cairo_debug_reset_static_data();
    FcFini();
  });
#endif
}

void closeCairo(DeviceContext& context) {
  if (context.cairo != nullptr) cairo_destroy(context.cairo);
  if (context.surface != nullptr) cairo_surface_destroy(context.surface);
  context.cairo = nullptr;
  context.surface = nullptr;
}

}  // namespace

void abandonDocument(DeviceContext& context) {
  closeCairo(context);
  if (!context.partial.empty()) std::remove(context.partial.c_str());
  context.partial.clear();
  context.inDocument = false;
  context.inPage = false;
  std::lock_guard<std::mutex> guard(printLock);
  if (context.document < documents().size()) documents()[context.document].aborted = true;
}

bool printText(DeviceContext& context, int x, int y, std::string_view text) {
  if (!context.inPage) return false;
  {
    std::lock_guard<std::mutex> guard(printLock);
    documents()[context.document].pages.back().texts.push_back(
        PrintedText{x, y, std::string(text)});
  }
  releaseFontCachesAtExit();
  const FontMetrics& font = metricsFor(context);
  cairo_t* cr = context.cairo;
  cairo_save(cr);
  cairo_scale(cr, kPointsPerDot, kPointsPerDot);
  cairo_select_font_face(cr, "DejaVu Sans Mono", CAIRO_FONT_SLANT_NORMAL,
                         CAIRO_FONT_WEIGHT_NORMAL);
  // DejaVu Sans Mono advances 0.602 em: 50 dots per em gives the 30-dot
  // character cell the metrics promise.
  cairo_set_font_size(cr, 50.0);
  cairo_set_source_rgb(cr, GetRValue(context.textColour) / 255.0,
                       GetGValue(context.textColour) / 255.0,
                       GetBValue(context.textColour) / 255.0);
  cairo_move_to(cr, x, y + font.ascent);
  cairo_show_text(cr, utf8(text).c_str());
  cairo_restore(cr);
  return true;
}

}  // namespace kswin::detail

namespace kswin {

std::vector<PrintedDocument> printedDocuments() {
  std::lock_guard<std::mutex> guard(detail::printLock);
  return detail::documents();
}

void clearPrintedDocuments() {
  std::lock_guard<std::mutex> guard(detail::printLock);
  detail::documents().clear();
}

void failNextPrintStep(std::string_view step) {
  std::lock_guard<std::mutex> guard(detail::printLock);
  detail::failingStep = step;
}

}  // namespace kswin

using kswin::detail::contextOf;
using kswin::detail::DeviceContext;

extern "C" {

int SetAbortProc(HDC dc, ABORTPROC proc) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || !context->printer || kswin::detail::failsNow("SetAbortProc"))
    return SP_ERROR;
  context->abortProc = proc;
  return 1;
}

int StartDoc(HDC dc, const DOCINFO* info) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || !context->printer || context->inDocument || info == nullptr ||
      kswin::detail::failsNow("StartDoc"))
    return SP_ERROR;
  if (info->lpszOutput != nullptr && info->lpszOutput[0] != '\0')
    context->output = info->lpszOutput;
  context->partial = context->output + ".part" + std::to_string(::getpid());
  context->surface = cairo_pdf_surface_create(context->partial.c_str(), kswin::detail::kPageWidth,
                                              kswin::detail::kPageHeight);
  if (cairo_surface_status(context->surface) != CAIRO_STATUS_SUCCESS) {
    kswin::detail::closeCairo(*context);
    context->partial.clear();
    return SP_ERROR;
  }
  context->cairo = cairo_create(context->surface);
  context->inDocument = true;
  std::lock_guard<std::mutex> guard(kswin::detail::printLock);
  kswin::PrintedDocument document;
  document.name = info->lpszDocName != nullptr ? info->lpszDocName : "";
  document.output = context->output;
  kswin::detail::documents().push_back(document);
  context->document = kswin::detail::documents().size() - 1;
  return static_cast<int>(context->document) + 1;
}

int StartPage(HDC dc) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || !context->inDocument || context->inPage) return SP_ERROR;
  context->inPage = true;
  std::lock_guard<std::mutex> guard(kswin::detail::printLock);
  kswin::detail::documents()[context->document].pages.emplace_back();
  return 1;
}

int EndPage(HDC dc) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || !context->inPage) return SP_ERROR;
  if (context->abortProc != nullptr && !context->abortProc(dc, 0)) {
    kswin::detail::abandonDocument(*context);
    return SP_APPABORT;
  }
  cairo_show_page(context->cairo);
  context->inPage = false;
  return 1;
}

int EndDoc(HDC dc) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || !context->inDocument) return SP_ERROR;
  if (context->inPage) {
    cairo_show_page(context->cairo);
    context->inPage = false;
  }
  cairo_surface_finish(context->surface);
  const bool written = cairo_surface_status(context->surface) == CAIRO_STATUS_SUCCESS;
  kswin::detail::closeCairo(*context);
  context->inDocument = false;
  if (!written || std::rename(context->partial.c_str(), context->output.c_str()) != 0) {
    std::remove(context->partial.c_str());
    context->partial.clear();
    return SP_ERROR;
  }
  context->partial.clear();
  std::lock_guard<std::mutex> guard(kswin::detail::printLock);
  kswin::detail::documents()[context->document].ended = true;
  return 1;
}

int AbortDoc(HDC dc) {
  DeviceContext* context = contextOf(dc);
  if (context == nullptr || !context->inDocument) return SP_ERROR;
  kswin::detail::abandonDocument(*context);
  return 1;
}

}  // extern "C"
