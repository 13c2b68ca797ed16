#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "testing/tempdir.h"
#include "testing.h"

namespace {

using kstest::TempHome;

LRESULT mainLogbook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == 1101) return MAKELONG(2, 5);  // date format 2, five hours to UTC
  if (message == 1097) {
    // The contact the other program chose; answer by ending.
    if (lParam == 0x01000203) DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProc(window, message, wParam, lParam);
}

// Plays the main logbook program in a child process until told to end.
[[noreturn]] void runMainLogbook(int ready) {
  WNDCLASS wc{};
  wc.lpfnWndProc = mainLogbook;
  wc.lpszClassName = "Kestrel4WClass";
  RegisterClass(&wc);
  HWND window = CreateWindow("Kestrel4WClass", "Kestrel", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                             nullptr, nullptr, nullptr, nullptr);
  const char state = kswin::publishWindow(window) ? 'y' : 'n';
  (void)!::write(ready, &state, 1);
  ::close(ready);
  MSG msg;
  kswin::ConsoleHost console;  // waits for input rather than ending
  kswin::ScopedHost scope(console);
  while (GetMessage(&msg, nullptr, 0, 0) > 0) DispatchMessage(&msg);
  ::_exit(0);
}

TEST(BetweenProcesses, AMessageCrossesToTheMainLogbookWindowAndBack) {
  TempHome home;
  ::setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
  EXPECT_EQ(FindWindow("Kestrel4WClass", nullptr), nullptr);  // nobody runs it yet

  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeEnds[0]);
    runMainLogbook(pipeEnds[1]);
  }
  ::close(pipeEnds[1]);
  char state = 0;
  ASSERT_EQ(::read(pipeEnds[0], &state, 1), 1);
  ::close(pipeEnds[0]);
  ASSERT_EQ(state, 'y');

  HWND found = FindWindow("KESTREL4WCLASS", nullptr);
  ASSERT_NE(found, nullptr);
  const LRESULT reply = SendMessage(found, 1101, 0, 0);
  EXPECT_EQ(LOWORD(reply), 2);
  EXPECT_EQ(HIWORD(reply), 5);
  // Messages whose parameters would be pointers into this process stay here.
  char title[32] = "x";
  EXPECT_EQ(GetWindowText(found, title, sizeof title), 0);
  EXPECT_FALSE(PostMessage(found, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("boom")));
  EXPECT_TRUE(PostMessage(found, 1097, 0, 0x01000203));

  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // The window is gone with its process.
  EXPECT_EQ(FindWindow("Kestrel4WClass", nullptr), nullptr);
  EXPECT_FALSE(PostMessage(found, 1096, 0, 0));
  ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(BetweenProcesses, OnlyOneProcessPublishesAClassAndALeftoverSocketIsReplaced) {
  TempHome home;
  ::setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
  WNDCLASS wc{};
  wc.lpfnWndProc = DefWindowProc;
  wc.lpszClassName = "SharedWClass";
  RegisterClass(&wc);
  HWND first = CreateWindow("SharedWClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  HWND second = CreateWindow("SharedWClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  // A socket file left by a process that died.
  const std::string path = kswin::publishedSocketPath("SharedWClass");
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::filesystem::permissions(std::filesystem::path(path).parent_path(),
                               std::filesystem::perms::owner_all);
  kstest::writeFile(path, "");
  EXPECT_TRUE(kswin::publishWindow(first));
  EXPECT_FALSE(kswin::publishWindow(second));
  DestroyWindow(first);  // withdraws it
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(kswin::publishWindow(second));
  DestroyWindow(second);
  ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
