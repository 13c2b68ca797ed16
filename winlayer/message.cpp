// Messages: sending and posting, the per-thread queues, the message loop
// calls, timers and the clock that drives them, keyboard state and
// accelerator tables.
#include <atomic>
#include <chrono>
#include <map>

#include "window_internal.h"

namespace kswin::detail {
namespace {

std::mutex queuesLock;
std::map<std::thread::id, std::shared_ptr<Queue>>& queues() {
  static std::map<std::thread::id, std::shared_ptr<Queue>> table;
  return table;
}

std::atomic<bool> testClock{false};
std::atomic<int64_t> testNow{1000000};

int64_t realNow() {
  static const auto start = std::chrono::steady_clock::now();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
             .count() +
         1000000;
}

std::atomic<bool> keyDown[256];

bool inRange(UINT message, UINT first, UINT last) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool forWindow(HWND target, HWND filter) {
  return filter == nullptr || target == filter || IsChild(filter, target);
}

void wakeAll() {
  std::lock_guard<std::mutex> guard(queuesLock);
  for (auto& [thread, queue] : queues()) {
    std::lock_guard<std::mutex> inner(queue->lock);
    queue->wake.notify_all();
  }
}

// Answers every message other threads have sent to this one.
void serveSent(Queue& queue) {
  for (;;) {
    std::shared_ptr<SentMessage> item;
    {
      std::lock_guard<std::mutex> guard(queue.lock);
      if (queue.sent.empty()) return;
      item = queue.sent.front();
      queue.sent.pop_front();
    }
    WindowPtr window = find(item->msg.hwnd);
    LRESULT result = 0;
    if (window != nullptr && !window->destroying)
      result = window->proc(item->msg.hwnd, item->msg.message, item->msg.wParam,
                            item->msg.lParam);
    item->reply.set_value(result);
  }
}

// Takes the next message for the filter: posted ones first, then the quit
// request, then paints, then due timers.
bool fetch(MSG* msg, HWND filter, UINT first, UINT last, bool remove) {
  auto queue = myQueue();
  serveSent(*queue);
  {
    std::lock_guard<std::mutex> guard(queue->lock);
    for (auto it = queue->posted.begin(); it != queue->posted.end(); ++it) {
      if (!inRange(it->message, first, last)) continue;
      if (filter != nullptr && !forWindow(it->hwnd, filter)) continue;
      *msg = *it;
      if (remove) queue->posted.erase(it);
      return true;
    }
    if (queue->quit && filter == nullptr && inRange(WM_QUIT, first, last)) {
      *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue->quitCode), 0, 0, {}};
      if (remove) queue->quit = false;
      return true;
    }
  }
  if (inRange(WM_PAINT, first, last)) {
    for (const WindowPtr& window : windowsToPaint(std::this_thread::get_id())) {
      if (window->thread != std::this_thread::get_id() || !window->paintPending ||
          !window->visible || !window->redraw || window->destroying)
        continue;
      if (!forWindow(window->handle, filter) || !IsWindowVisible(window->handle)) continue;
      *msg = MSG{window->handle, WM_PAINT, 0, 0, static_cast<DWORD>(now()), {}};
      if (remove) window->paintPending = false;
      return true;
    }
  }
  if (inRange(WM_TIMER, first, last)) {
    const int64_t at = now();
    Timer* earliest = nullptr;
    for (Timer& timer : queue->timers)
      if (timer.due <= at && forWindow(timer.window, filter) &&
          (earliest == nullptr || timer.due < earliest->due))
        earliest = &timer;
    if (earliest != nullptr) {
      *msg = MSG{earliest->window, WM_TIMER, earliest->id,
                 reinterpret_cast<LPARAM>(earliest->proc), static_cast<DWORD>(at), {}};
      if (remove) earliest->due = at + earliest->period;
      return true;
    }
  }
  return false;
}

// Waits until another thread posts or sends, or the next timer falls due.
void waitForWork() {
  auto queue = myQueue();
  std::unique_lock<std::mutex> guard(queue->lock);
  if (!queue->posted.empty() || !queue->sent.empty() || queue->quit) return;
  int64_t next = INT64_MAX;
  for (const Timer& timer : queue->timers) next = std::min(next, timer.due);
  if (next != INT64_MAX && !testClock) {
    const int64_t wait = std::max<int64_t>(next - now(), 0);
    queue->wake.wait_for(guard, std::chrono::milliseconds(wait));
  } else {
    queue->wake.wait_for(guard, std::chrono::milliseconds(200));
  }
}

struct AccelTable {
  std::vector<ACCEL> entries;
};
std::mutex accelLock;
std::map<std::string, std::vector<ACCEL>>& accelResources() {
  static std::map<std::string, std::vector<ACCEL>> table;
  return table;
}

}  // namespace

std::shared_ptr<Queue> queueOf(std::thread::id thread) {
  std::lock_guard<std::mutex> guard(queuesLock);
  auto& slot = queues()[thread];
  if (!slot) slot = std::make_shared<Queue>();
  return slot;
}

std::shared_ptr<Queue> myQueue() {
  thread_local std::shared_ptr<Queue> mine = queueOf(std::this_thread::get_id());
  return mine;
}

void dropTimers(HWND window) {
  auto& timers = myQueue()->timers;
  std::erase_if(timers, [window](const Timer& timer) { return timer.window == window; });
}

int64_t now() { return testClock ? testNow.load() : realNow(); }

}  // namespace kswin::detail

namespace kswin {

void useTestClock(bool on) {
  if (on && !detail::testClock) detail::testNow = detail::realNow();
  detail::testClock = on;
}

void advanceClock(unsigned milliseconds) {
  detail::testNow += milliseconds;
  detail::wakeAll();
}

int pumpMessages() {
  int count = 0;
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    ++count;
  }
  return count;
}

void setKeyDown(int virtualKey, bool down) {
  if (virtualKey >= 0 && virtualKey < 256) detail::keyDown[virtualKey] = down;
}

void registerAccelerators(const std::string& name, std::vector<ACCEL> entries) {
  std::lock_guard<std::mutex> guard(detail::accelLock);
  detail::accelResources()[name] = std::move(entries);
}

}  // namespace kswin

using kswin::detail::WindowPtr;

extern "C" {

LRESULT SendMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPtr window = kswin::detail::find(handle);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (window->remotePeer) {
    bool ok = false;
    return kswin::detail::remoteDeliver(*window, message, wParam, lParam, false, &ok);
  }
  if (window->thread == std::this_thread::get_id())
    return window->proc(handle, message, wParam, lParam);
  // Another thread's window: it answers from its message loop; meanwhile
  // this thread answers what is sent to it, so two threads sending to each
  // other do not wait for ever.
  auto item = std::make_shared<kswin::detail::SentMessage>();
  item->msg = MSG{handle, message, wParam, lParam, static_cast<DWORD>(kswin::detail::now()), {}};
  std::future<LRESULT> reply = item->reply.get_future();
  auto target = kswin::detail::queueOf(window->thread);
  {
    std::lock_guard<std::mutex> guard(target->lock);
    target->sent.push_back(item);
    target->wake.notify_all();
  }
  while (reply.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
    kswin::detail::serveSent(*kswin::detail::myQueue());
    if (!IsWindow(handle)) {
      // The window went away unanswered; its queue keeps the request.
      if (reply.wait_for(std::chrono::milliseconds(50)) == std::future_status::ready) break;
      return 0;
    }
  }
  return reply.get();
}

BOOL PostMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<kswin::detail::Queue> target;
  if (handle == nullptr) {
    target = kswin::detail::myQueue();
  } else {
    WindowPtr window = kswin::detail::find(handle);
    if (window == nullptr || window->destroying) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (window->remotePeer) {
      bool ok = false;
      kswin::detail::remoteDeliver(*window, message, wParam, lParam, true, &ok);
      return ok ? TRUE : FALSE;
    }
    target = kswin::detail::queueOf(window->thread);
  }
  std::lock_guard<std::mutex> guard(target->lock);
  target->posted.push_back(
      MSG{handle, message, wParam, lParam, static_cast<DWORD>(kswin::detail::now()), {}});
  target->wake.notify_all();
  return TRUE;
}

void PostQuitMessage(int code) {
  auto queue = kswin::detail::myQueue();
  std::lock_guard<std::mutex> guard(queue->lock);
  queue->quit = true;
  queue->quitCode = code;
}

BOOL PeekMessage(MSG* msg, HWND filter, UINT first, UINT last, UINT remove) {
  if (msg == nullptr) return FALSE;
  return kswin::detail::fetch(msg, filter, first, last, (remove & PM_REMOVE) != 0) ? TRUE
                                                                                   : FALSE;
}

namespace {
std::atomic<void (*)()> waitHook{nullptr};
}  // namespace

void SetWaitHook(void (*hook)(void)) { waitHook.store(hook); }

BOOL GetMessage(MSG* msg, HWND filter, UINT first, UINT last) {
  if (msg == nullptr || (filter != nullptr && !IsWindow(filter))) return -1;
  for (;;) {
    if (kswin::detail::fetch(msg, filter, first, last, true))
      return msg->message == WM_QUIT ? FALSE : TRUE;
    switch (kswin::host().idle()) {
      case kswin::IdleAction::acted: break;
      case kswin::IdleAction::stop:
        // Nobody will ever give this loop input: end it as if asked to quit.
        *msg = MSG{nullptr, WM_QUIT, 0, 0, static_cast<DWORD>(kswin::detail::now()), {}};
        return FALSE;
      case kswin::IdleAction::wait:
        if (void (*hook)() = waitHook.load()) hook();
        if (!kswin::host().waitForInput()) kswin::detail::waitForWork();
        break;
    }
  }
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessage(const MSG* msg) {
  if (msg == nullptr) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam,
                                            static_cast<DWORD>(kswin::detail::now()));
    return 0;
  }
  WindowPtr window = kswin::detail::find(msg->hwnd);
  if (window == nullptr || window->destroying || window->remotePeer ||
      window->thread != std::this_thread::get_id())
    return 0;
  const LRESULT result = window->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  if (msg->message == WM_PAINT) window->paintPending = false;
  return result;
}

uintptr_t SetTimer(HWND handle, uintptr_t id, UINT period, TIMERPROC proc) {
  if (handle != nullptr) {
    WindowPtr window = kswin::detail::find(handle);
    if (window == nullptr || window->thread != std::this_thread::get_id()) return 0;
  }
  auto& timers = kswin::detail::myQueue()->timers;
  if (handle == nullptr) {
    static std::atomic<uintptr_t> nextId{0x7000};
    if (id == 0 || std::none_of(timers.begin(), timers.end(), [id](const auto& t) {
          return t.window == nullptr && t.id == id;
        }))
      id = nextId++;
  }
  const int64_t due = kswin::detail::now() + std::max<UINT>(period, 10);
  for (auto& timer : timers) {
    if (timer.window == handle && timer.id == id) {
      timer.period = std::max<UINT>(period, 10);
      timer.due = due;
      timer.proc = proc;
      return handle != nullptr ? 1 : id;
    }
  }
  timers.push_back(kswin::detail::Timer{handle, id, std::max<UINT>(period, 10), due, proc});
  return handle != nullptr ? 1 : id;
}

BOOL KillTimer(HWND handle, uintptr_t id) {
  auto& timers = kswin::detail::myQueue()->timers;
  const size_t before = timers.size();
  std::erase_if(timers, [&](const kswin::detail::Timer& timer) {
    return timer.window == handle && timer.id == id;
  });
  // Ticks already taken from the queue are not taken back, as on the platform.
  return timers.size() != before ? TRUE : FALSE;
}

DWORD GetTickCount(void) { return static_cast<DWORD>(kswin::detail::now()); }

short GetKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey >= 256) return 0;
  return kswin::detail::keyDown[virtualKey] ? static_cast<short>(0x8000) : 0;
}

HACCEL LoadAccelerators(HINSTANCE, const char* name) {
  if (name == nullptr || IS_INTRESOURCE(name)) return nullptr;
  std::lock_guard<std::mutex> guard(kswin::detail::accelLock);
  auto it = kswin::detail::accelResources().find(name);
  if (it == kswin::detail::accelResources().end()) return nullptr;
  auto* table = new kswin::detail::AccelTable{it->second};
  return reinterpret_cast<HACCEL>(table);
}

HACCEL CreateAcceleratorTable(const ACCEL* entries, int count) {
  if (entries == nullptr || count <= 0) return nullptr;
  return reinterpret_cast<HACCEL>(
      new kswin::detail::AccelTable{std::vector<ACCEL>(entries, entries + count)});
}

BOOL DestroyAcceleratorTable(HACCEL table) {
  delete reinterpret_cast<kswin::detail::AccelTable*>(table);
  return TRUE;
}

int TranslateAccelerator(HWND handle, HACCEL table, const MSG* msg) {
  if (table == nullptr || msg == nullptr || msg->message != WM_KEYDOWN) return 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  for (const ACCEL& entry : reinterpret_cast<kswin::detail::AccelTable*>(table)->entries) {
    if (!(entry.fVirt & FVIRTKEY) || entry.key != msg->wParam) continue;
    if (((entry.fVirt & FSHIFT) != 0) != shift || ((entry.fVirt & FCONTROL) != 0) != control)
      continue;
    // A command whose menu item is greyed or disabled is swallowed.
    HMENU menu = GetMenu(handle);
    if (menu != nullptr) {
      const UINT state = GetMenuState(menu, entry.cmd, MF_BYCOMMAND);
      if (state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED))) return 1;
    }
    SendMessage(handle, WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
    return 1;
  }
  return 0;
}

}  // extern "C"
