#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "testing.h"

namespace {

std::vector<std::string> seen;
HWND partner = nullptr;  // where WM_USER + 1 forwards
bool quitOnDestroy = false;

std::string name(UINT message) {
  switch (message) {
    case WM_CREATE: return "create";
    case WM_SIZE: return "size";
    case WM_DESTROY: return "destroy";
    case WM_NCDESTROY: return "ncdestroy";
    case WM_PAINT: return "paint";
    case WM_TIMER: return "timer";
    case WM_CLOSE: return "close";
    case WM_SHOWWINDOW: return "show";
    case WM_COMMAND: return "command";
    default: return message >= WM_USER ? "user" + std::to_string(message - WM_USER) : "";
  }
}

std::map<HWND, std::string> titles;  // as created (asking the window would recurse)

LRESULT recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE)
    titles[window] = reinterpret_cast<const CREATESTRUCT*>(lParam)->lpszName;
  const std::string title = titles[window];
  const std::string what = name(message);
  if (!what.empty())
    seen.push_back(title + ":" + what +
                   (message == WM_TIMER || message >= WM_USER ? " " + std::to_string(wParam)
                                                              : ""));
  if (message == WM_USER + 1 && partner != nullptr) {
    // A nested send runs before this one returns; a post waits its turn.
    PostMessage(partner, WM_USER + 3, 30, 0);
    SendMessage(partner, WM_USER + 2, 20, 0);
    return 11;
  }
  if (message == WM_USER + 9) return static_cast<LRESULT>(wParam * 2);
  if (message == WM_GETMINMAXINFO && title == "small") {
    reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{640, 320};  // 80 by 20
    return 0;
  }
  if (message == WM_DESTROY && quitOnDestroy && title == "main") PostQuitMessage(7);
  return DefWindowProc(window, message, wParam, lParam);
}

class Windows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASS wc{};
    wc.lpfnWndProc = recorder;
    wc.lpszClassName = "RecorderWClass";
    RegisterClass(&wc);
  }
  void SetUp() override {
    seen.clear();
    partner = nullptr;
    quitOnDestroy = false;
  }
  HWND make(const char* title, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr) {
    return CreateWindow("RecorderWClass", title, style, 10, 20, 300, 200, parent, nullptr,
                        nullptr, nullptr);
  }
};

TEST_F(Windows, CreationAndDestructionSendTheirMessagesInOrder) {
  quitOnDestroy = true;
  HWND main = make("main");
  ASSERT_NE(main, nullptr);
  HWND child = make("child", WS_CHILD | WS_VISIBLE, main);
  EXPECT_EQ(seen, (std::vector<std::string>{"main:create", "main:size", "child:create",
                                            "child:size", "child:show"}));
  seen.clear();
  EXPECT_TRUE(DestroyWindow(main));
  // The parent hears of it first, then the child; the final notices go the
  // other way round.
  EXPECT_EQ(seen, (std::vector<std::string>{"main:destroy", "child:destroy", "child:ncdestroy",
                                            "main:ncdestroy"}));
  EXPECT_FALSE(IsWindow(main));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(SendMessage(main, WM_USER + 9, 1, 0), 0);  // a dead handle answers nothing
  EXPECT_FALSE(PostMessage(main, WM_USER, 0, 0));
  MSG msg;
  EXPECT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));  // the quit request
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(Windows, SentMessagesRunAtOncePostedOnesInTheirTurn) {
  HWND main = make("main");
  HWND other = make("other");
  partner = other;
  seen.clear();
  PostMessage(main, WM_USER + 5, 1, 0);
  EXPECT_EQ(SendMessage(main, WM_USER + 1, 10, 0), 11);
  PostMessage(main, WM_USER + 5, 2, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"main:user1 10", "other:user2 20"}));
  partner = nullptr;
  seen.clear();
  EXPECT_EQ(kswin::pumpMessages(), 3);
  EXPECT_EQ(seen, (std::vector<std::string>{"main:user5 1", "other:user3 30", "main:user5 2"}));
  DestroyWindow(other);
  DestroyWindow(main);
}

TEST_F(Windows, PaintComesAfterPostedMessagesAndOnlyOnce) {
  HWND main = make("main");
  ShowWindow(main, SW_SHOW);
  PostMessage(main, WM_USER + 4, 0, 0);
  InvalidateRect(main, nullptr, TRUE);
  seen.clear();
  kswin::pumpMessages();
  EXPECT_EQ(seen, (std::vector<std::string>{"main:user4 0", "main:paint"}));
  // UpdateWindow delivers a pending paint at once; nothing pending, nothing.
  seen.clear();
  InvalidateRect(main, nullptr, FALSE);
  UpdateWindow(main);
  UpdateWindow(main);
  EXPECT_EQ(seen, (std::vector<std::string>{"main:paint"}));
  // A hidden window is not painted.
  ShowWindow(main, SW_HIDE);
  InvalidateRect(main, nullptr, FALSE);
  seen.clear();
  kswin::pumpMessages();
  EXPECT_TRUE(seen.empty());
  DestroyWindow(main);
}

TEST_F(Windows, TimersFollowTheTestClock) {
  kswin::useTestClock(true);
  HWND main = make("main");
  ASSERT_NE(SetTimer(main, 4, 60000, nullptr), 0u);
  seen.clear();
  EXPECT_EQ(kswin::pumpMessages(), 0);
  kswin::advanceClock(59999);
  EXPECT_EQ(kswin::pumpMessages(), 0);
  kswin::advanceClock(1);
  EXPECT_EQ(kswin::pumpMessages(), 1);
  // Three periods missed come as one tick, as on the platform.
  kswin::advanceClock(180000);
  EXPECT_EQ(kswin::pumpMessages(), 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"main:timer 4", "main:timer 4"}));
  EXPECT_TRUE(KillTimer(main, 4));
  EXPECT_FALSE(KillTimer(main, 4));
  kswin::advanceClock(60000);
  EXPECT_EQ(kswin::pumpMessages(), 0);
  // A destroyed window's timers go with it.
  SetTimer(main, 5, 1000, nullptr);
  DestroyWindow(main);
  kswin::advanceClock(5000);
  EXPECT_EQ(kswin::pumpMessages(), 0);
  kswin::useTestClock(false);
}

TEST_F(Windows, GetMessageEndsOnQuitOrWhenTheHeadlessScriptIsOver) {
  kswin::HeadlessHost headless;
  kswin::ScopedHost scope(headless);
  quitOnDestroy = true;
  HWND main = make("main");
  headless.onIdle([main] { PostMessage(main, WM_USER + 6, 1, 0); });
  headless.onIdle([main] { PostMessage(main, WM_CLOSE, 0, 0); });
  MSG msg;
  int dispatched = 0;
  BOOL got;
  while ((got = GetMessage(&msg, nullptr, 0, 0)) > 0) {
    DispatchMessage(&msg);
    ++dispatched;
  }
  EXPECT_EQ(got, FALSE);
  EXPECT_EQ(msg.wParam, 7u);  // the quit code posted at WM_DESTROY
  EXPECT_EQ(dispatched, 2);
  EXPECT_FALSE(IsWindow(main));
  // No script left and no window: the loop ends instead of waiting for ever.
  EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), FALSE);
}

TEST_F(Windows, AnotherThreadPostsAndSendsThroughTheOwnersQueue) {
  HWND main = make("main");
  seen.clear();
  std::thread worker([main] {
    PostMessage(main, WM_USER + 7, 1, 0);
    EXPECT_EQ(SendMessage(main, WM_USER + 9, 21, 0), 42);
  });
  // The send is answered from this thread's loop.
  for (int i = 0; i < 5000 && seen.size() < 2; ++i) {
    kswin::pumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  worker.join();
  // Both reached the window on this thread (in an order timing decides).
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"main:user7 1", "main:user9 21"}));
  DestroyWindow(main);
}

TEST_F(Windows, PlacementGeometryAndFinding) {
  HWND main = make("main");
  HWND child = make("child", WS_CHILD, main);
  RECT rect;
  GetClientRect(main, &rect);
  EXPECT_EQ(rect.right, 300);
  EXPECT_EQ(rect.bottom, 200);
  MoveWindow(child, 5, 6, 30, 40, TRUE);
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.left, 15);  // in screen coordinates
  EXPECT_EQ(rect.top, 26);
  seen.clear();
  ShowWindow(main, SW_SHOWMAXIMIZED);  // shown maximized at once: it hears its new size
  EXPECT_EQ(seen, (std::vector<std::string>{"main:show", "main:size"}));
  EXPECT_TRUE(IsZoomed(main));
  WINDOWPLACEMENT placement{};
  GetWindowPlacement(main, &placement);
  EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
  EXPECT_EQ(placement.rcNormalPosition.right, 310);  // the restored rectangle
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
  ShowWindow(main, SW_RESTORE);
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.right, 310);

  EXPECT_EQ(FindWindow("recorderwclass", nullptr), main);  // class without regard to case
  EXPECT_EQ(FindWindow(nullptr, "main"), main);
  EXPECT_EQ(FindWindow("RecorderWClass", "child"), nullptr);  // children are not found
  EXPECT_EQ(FindWindow("NoSuchWClass", nullptr), nullptr);
  EXPECT_EQ(CreateWindow("NoSuchWClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  char text[128];
  FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, GetLastError(), 0, text, sizeof text, nullptr);
  EXPECT_STREQ(text, "Cannot find window class.\r\n");
  DestroyWindow(main);
}

TEST_F(Windows, TopLevelWindowsKeepTheirMinimumTrackingSize) {
  HWND small = make("small");
  MoveWindow(small, 0, 0, 100, 900, TRUE);
  RECT rect;
  GetWindowRect(small, &rect);
  EXPECT_EQ(rect.right - rect.left, 640);
  EXPECT_EQ(rect.bottom - rect.top, 900);
  MoveWindow(small, 0, 0, 5000, 5000, TRUE);  // never larger than the screen
  GetWindowRect(small, &rect);
  EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
  // Centred on its owner when it fits there, else on the screen.
  HWND box = make("box");
  MoveWindow(box, 0, 0, 100, 50, TRUE);
  MoveWindow(small, 100, 100, 700, 400, TRUE);
  kswin::centreWindow(box, small);
  GetWindowRect(box, &rect);
  EXPECT_EQ(rect.left, 400);
  EXPECT_EQ(rect.top, 275);
  MoveWindow(small, -600, 0, 700, 400, TRUE);
  kswin::centreWindow(box, small);
  GetWindowRect(box, &rect);
  EXPECT_EQ(rect.left, (1280 - 100) / 2);
  DestroyWindow(box);
  DestroyWindow(small);
}

TEST_F(Windows, SubclassingChainsToTheOldProcedure) {
  HWND main = make("main");
  static WNDPROC old;
  old = reinterpret_cast<WNDPROC>(SetWindowLongPtr(
      main, GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_USER + 9) return CallWindowProc(old, w, m, wp + 1, lp);
        return CallWindowProc(old, w, m, wp, lp);
      })));
  EXPECT_EQ(SendMessage(main, WM_USER + 9, 4, 0), 10);
  SetWindowLongPtr(main, GWLP_USERDATA, 99);
  EXPECT_EQ(GetWindowLongPtr(main, GWLP_USERDATA), 99);
  DestroyWindow(main);
}

}  // namespace
