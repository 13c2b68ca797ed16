// The grayline window's internals, for the library's tests.
#ifndef KESTREL_GRAYLINE_WINDOW_H
#define KESTREL_GRAYLINE_WINDOW_H

#include <functional>

#include "grayline/picture.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"

namespace ksgrayline {

constexpr const char* kClassName = "GraylineWClass";
constexpr const char* kMenuName = "GraylineWinMenu";
constexpr uintptr_t kTimerId = 4;
constexpr UINT kTimerPeriod = 60000;  // milliseconds

namespace command {
constexpr UINT kNothing = 109;
constexpr UINT kExit = 123;
constexpr UINT kHelpContents = 700;
constexpr UINT kHelpCommands = 702;
constexpr UINT kHelpProcedures = 703;
constexpr UINT kHelpOnHelp = 705;
}  // namespace command

// Where the window reads the time; null: the system clock.
void setClock(std::function<UtcTime()> clock);

// The window made by CreateGraylineWnd (null before it or after it is
// destroyed) and the picture it shows.
HWND graylineWindow();
const Picture& windowPicture();

// The help file the window names (the library's directory + KESTREL.HLP).
const std::string& helpFile();

}  // namespace ksgrayline

#endif
