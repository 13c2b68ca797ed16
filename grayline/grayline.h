/* GRAYLINE: a window that draws the day/night terminator (the gray line)
 * over a world map and redraws it every minute from the system clock.
 *
 * Export table, in ordinal order (the main program binds by these
 * positions; on Linux the names are the binding):
 *
 *    1 WEP                 3 GraylineWndProc
 *    2 CreateGraylineWnd   4 InitGrayline
 *
 * Loading the library registers the window class "GraylineWClass".
 * CreateGraylineWnd makes the window hidden, with the map painted for the
 * current minute and its timer running; InitGrayline shows it. Closing the
 * window (File > Exit or the close box) hides it and stops its timer;
 * InitGrayline shows it again, brought up to date, with the timer running.
 * The window's placement is kept in KESTREL.INI, section "Grayline".
 */
#ifndef KESTREL_GRAYLINE_GRAYLINE_H
#define KESTREL_GRAYLINE_GRAYLINE_H

#include "winlayer/wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Always 1. */
int WEP(int unused);
/* The map window (one per process: a second call returns the same window),
 * or null when it cannot be made. Both arguments are not used. */
HWND CreateGraylineWnd(HINSTANCE unused, HWND unusedOwner);
/* The window procedure of "GraylineWClass". */
LRESULT GraylineWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/* Shows the window, maximized when "Maximized" in KESTREL.INI is not 0;
 * 1 shown, 0 when there is no window. The argument is not used. */
int InitGrayline(int unused);

#ifdef __cplusplus
}
#endif

#endif
