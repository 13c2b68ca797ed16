/* The desktop host of the window layer, on Qt 6 Widgets (libkswin-qt.so).
 *
 * The layer's windows appear as real windows: a top-level window as a Qt
 * window with its menu bar, a dialog with every control of its template
 * where the template puts it, the data table as a virtual table view, and
 * what a program draws on its device contexts in the window's picture.
 * The host only draws and delivers input: every click, key and menu choice
 * becomes the message the layer's own loop hands to the program (a button's
 * BM_CLICK, WM_CHAR and WM_KEYDOWN to the focused control, WM_COMMAND from a
 * menu), so a program runs here exactly as under the other hosts. Message
 * boxes and the common dialogs are Qt's.
 *
 * The host keeps a picture of every window it has seen made (through the
 * windowCreated hook) and brings it up to date each time a message loop of
 * the layer runs out of work; it waits for input in Qt's event loop.
 *
 * Export table (C++, in order):
 *   kswin::QtHost (constructor, destructor, its members below and the
 *   UiHost overrides), its vtable and typeinfo.
 */
#ifndef KESTREL_WINLAYER_QT_QTHOST_H
#define KESTREL_WINLAYER_QT_QTHOST_H

#include <memory>
#include <string>
#include <string_view>

#include "winlayer/host.h"

class QWidget;

#pragma GCC visibility push(default)

namespace kswin {

class QtHost : public UiHost {
 public:
  /* Makes Qt's application object when the program has none. */
  QtHost();
  ~QtHost() override;
  QtHost(const QtHost&) = delete;
  QtHost& operator=(const QtHost&) = delete;

  /* Brings every window's picture up to date with the layer. */
  void sync();
  /* Runs Qt's events, the layer's queued messages and pictures until
   * nothing is left or `milliseconds` passed (for tests and programs that
   * drive the host from outside a message loop). */
  void settle(int milliseconds = 50);
  /* The widget that shows `window` (the outer Qt window of a top-level
   * one); null for a window the host has not seen. */
  QWidget* widgetOf(HWND window);
  /* The widget a top-level window's client area is drawn in. */
  QWidget* clientOf(HWND window);

  int messageBox(HWND owner, std::string_view text, std::string_view caption,
                 UINT style) override;
  void cursorChanged(bool busy) override;
  bool fileDialog(FileRequest& request) override;
  bool colorDialog(ColorRequest& request) override;
  bool printDialog(PrintRequest& request) override;
  void help(std::string_view file, UINT command, std::string_view keyword) override;
  void beep() override;
  void dialogText(HWND dialog, int id, std::string_view text) override;
  IdleAction idle() override;
  IdleAction dialogIdle(HWND dialog, std::string_view name) override;
  void windowCreated(HWND window) override;
  void windowDestroyed(HWND window) override;
  bool waitForInput() override;
  Canvas* canvas(HWND window) override;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace kswin

#pragma GCC visibility pop

#endif
