// Internals of the window layer shared by its files: the window records, the
// class table and the per-thread message queues. Nothing outside winlayer/
// includes this header.
#ifndef KESTREL_WINLAYER_WINDOW_INTERNAL_H
#define KESTREL_WINLAYER_WINDOW_INTERNAL_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "testing.h"

namespace kswin::detail {

// What a control keeps beside its window record (list items, edit state,
// the data table ...). Each control kind derives its own.
struct ControlState {
  virtual ~ControlState() = default;
};

struct DialogState;

struct Window {
  HWND handle = nullptr;
  std::string className;  // as registered
  WNDPROC proc = nullptr;
  std::thread::id thread;
  HWND parent = nullptr;  // parent of a child, owner of a top-level window
  bool child = false;
  std::string text;
  LONG_PTR style = 0;
  DWORD exStyle = 0;
  RECT rect{};        // in the parent's client coordinates (screen for top-level)
  RECT normalRect{};  // the restored rectangle, kept while maximized or minimized
  UINT showState = SW_HIDE;  // SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED
  bool visible = false;
  bool enabled = true;
  bool redraw = true;
  bool paintPending = false;
  std::atomic<bool> destroying{false};  // read by other threads (IsWindow)
  int id = 0;  // control id of a child
  HMENU menu = nullptr;
  HFONT font = nullptr;
  LONG_PTR userData = 0;
  std::vector<LONG_PTR> extra;  // the class's extra bytes, by slot
  std::unique_ptr<ControlState> control;
  std::unique_ptr<DialogState> dialog;
  int remotePeer = 0;  // a window of another process: not zero
  std::string remotePath;  // the socket it is reached through
  ~Window();
};

using WindowPtr = std::shared_ptr<Window>;

// The record of a live window, or null for a handle that is not (or no
// longer) a window.
WindowPtr find(HWND handle);
// Live windows in creation order.
std::vector<WindowPtr> allWindows();
// Live windows of thread `thread` with a paint pending, in creation order:
// usually none, and then found without copying the whole list (the message
// loop asks on every look at the queue).
std::vector<WindowPtr> windowsToPaint(std::thread::id thread);
std::vector<WindowPtr> childrenOf(HWND parent);

// Registers a window record made by another room file (remote windows).
HWND adopt(WindowPtr window);

struct ClassInfo {
  WNDCLASS wc{};
  std::string name;
  std::string menuName;
};
bool findClass(const std::string& name, ClassInfo* out);
// The built-in control classes register themselves on first use.
void registerBuiltinClasses();
LRESULT buttonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT editProc(HWND, UINT, WPARAM, LPARAM);
LRESULT staticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT listBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT comboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT dataTableProc(HWND, UINT, WPARAM, LPARAM);
LRESULT dialogWindowProc(HWND, UINT, WPARAM, LPARAM);

// A message sent from another thread and waiting for its answer.
struct SentMessage {
  MSG msg{};
  std::promise<LRESULT> reply;
};

struct Timer {
  HWND window = nullptr;
  uintptr_t id = 0;
  UINT period = 0;
  int64_t due = 0;
  TIMERPROC proc = nullptr;
};

// One queue per thread that has windows or posts itself messages.
struct Queue {
  std::mutex lock;
  std::condition_variable wake;
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<SentMessage>> sent;
  std::vector<Timer> timers;  // touched by the owning thread only
  bool quit = false;
  int quitCode = 0;
};
std::shared_ptr<Queue> queueOf(std::thread::id thread);
std::shared_ptr<Queue> myQueue();

// Removes the timers of a destroyed window.
void dropTimers(HWND window);

// The layer's clock in milliseconds (real or advanced by tests).
int64_t now();

// Delivers a message to another process's window (remote.cpp).
LRESULT remoteDeliver(const Window& window, UINT message, WPARAM wParam, LPARAM lParam,
                      bool post, bool* ok);
// Finds a window of `className` published by another process of this user.
HWND findRemote(const std::string& className);
// Stops publishing a window that is being destroyed.
void windowGone(HWND window);

// Dialogs (dialog.cpp).
struct DialogState {
  DLGPROC proc = nullptr;
  std::string name;  // template name, for the host's script
  bool modal = false;
  bool ended = false;
  INT_PTR result = 0;
  LONG_PTR msgResult = 0;
  HWND owner = nullptr;
};

// Text helpers shared by the controls.
LRESULT copyText(const std::string& text, WPARAM size, LPARAM buffer);
bool sameText(std::string_view a, std::string_view b);  // without regard to case

// Paints every pending window of this thread (one WM_PAINT each); returns
// whether it painted anything.
bool paintPending(HWND only);

}  // namespace kswin::detail

#endif
