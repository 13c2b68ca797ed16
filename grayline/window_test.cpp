#include "window.h"

#include <gtest/gtest.h>

#include <string>

#include "grayline.h"
#include "testing/tempdir.h"
#include "winlayer/host.h"
#include "winlayer/testing.h"

namespace ksgrayline {
namespace {

class GraylineWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = kswin::setHost(&host_);
    kswin::useTestClock(true);
    setClock([this] { return now_; });
  }
  void TearDown() override {
    if (HWND window = graylineWindow()) DestroyWindow(window);
    kswin::pumpMessages();
    setClock(nullptr);
    kswin::useTestClock(false);
    kswin::setHost(previous_);
  }
  std::string setting(const char* key) {
    char text[64] = {};
    GetPrivateProfileString("Grayline", key, "<none>", text, sizeof text, "KESTREL.INI");
    return text;
  }

  kstest::TempHome home_;
  kswin::HeadlessHost host_;
  kswin::UiHost* previous_ = nullptr;
  UtcTime now_{2024, 3, 20, 12, 0, 0};
};

TEST_F(GraylineWindow, CreatedHiddenShownByInitAndPaintedAsAStretchOfTheMap) {
  EXPECT_EQ(InitGrayline(0), 0);  // no window yet
  HWND window = CreateGraylineWnd(nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(CreateGraylineWnd(nullptr, nullptr), window);  // one per process
  char name[64] = {};
  GetClassName(window, name, sizeof name);
  EXPECT_STREQ(name, "GraylineWClass");
  GetWindowText(window, name, sizeof name);
  EXPECT_STREQ(name, "Kestrel Grayline Display");
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_NEAR(windowPicture().solar.jd, julianDay(now_), 1e-9);

  EXPECT_EQ(InitGrayline(0), 1);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(IsZoomed(window));  // "Maximized" missing: shown normally
  kswin::pumpMessages();
  const kswin::StretchRecord drawn = kswin::lastStretch(window);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(drawn.window, window);
  EXPECT_EQ(drawn.x, 0);
  EXPECT_EQ(drawn.y, 0);
  EXPECT_EQ(drawn.width, client.right);
  EXPECT_EQ(drawn.height, client.bottom);
  EXPECT_EQ(drawn.srcWidth, kMapWidth);
  EXPECT_EQ(drawn.srcHeight, kMapHeight);
  EXPECT_EQ(drawn.bits, windowPicture().pixels.data());
  EXPECT_EQ(drawn.info, &windowPicture().info);
  EXPECT_EQ(drawn.stretchMode, COLORONCOLOR);
  EXPECT_EQ(drawn.rop, SRCCOPY);
  EXPECT_EQ(drawn.usage, static_cast<UINT>(DIB_RGB_COLORS));

  // Sizing repaints.
  MoveWindow(window, 10, 10, 500, 260, TRUE);
  kswin::pumpMessages();
  EXPECT_EQ(kswin::lastStretch(window).width, 500);
  EXPECT_EQ(kswin::lastStretch(window).height, 260);
}

TEST_F(GraylineWindow, TimerRecomputesEveryMinuteUntilClosed) {
  HWND window = CreateGraylineWnd(nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  InitGrayline(0);
  kswin::pumpMessages();
  const int before = windowPicture().solar.column;

  now_.hour = 18;  // a quarter turn later: the day moves 180 columns west
  kswin::advanceClock(59000);
  kswin::pumpMessages();
  EXPECT_EQ(windowPicture().solar.column, before);  // not yet a minute
  kswin::advanceClock(1000);
  kswin::pumpMessages();
  EXPECT_NEAR(windowPicture().solar.jd, julianDay(now_), 1e-9);
  EXPECT_NEAR((before - windowPicture().solar.column + kMapWidth) % kMapWidth, 180, 1);

  // File > Exit hides the window and stops the timer.
  ASSERT_TRUE(kswin::chooseMenuItem(window, 123));
  EXPECT_TRUE(IsWindow(window));
  EXPECT_FALSE(IsWindowVisible(window));
  now_.hour = 20;
  kswin::advanceClock(5 * 60000);
  kswin::pumpMessages();
  EXPECT_NE(windowPicture().solar.jd, julianDay(now_));

  // Shown again it is brought up to date and the timer runs again, here
  // maximized as the settings ask.
  WritePrivateProfileString("Grayline", "Maximized", "1", "KESTREL.INI");
  EXPECT_EQ(InitGrayline(0), 1);
  EXPECT_TRUE(IsZoomed(window));
  EXPECT_NEAR(windowPicture().solar.jd, julianDay(now_), 1e-9);
  now_.hour = 21;
  kswin::advanceClock(60000);
  kswin::pumpMessages();
  EXPECT_NEAR(windowPicture().solar.jd, julianDay(now_), 1e-9);

  // The close box does as Exit does.
  SendMessage(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(GraylineWindow, HelpCommands) {
  HWND window = CreateGraylineWnd(nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  host_.clear();
  for (UINT id : {700u, 702u, 703u, 705u, 109u})
    SendMessage(window, WM_COMMAND, id, 0);
  // Four help requests; 109 does nothing at all.
  const std::vector<std::string>& log = host_.log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_NE(log[0].find("KESTREL.HLP"), std::string::npos) << log[0];
  EXPECT_NE(log[1].find("key Browser Commands"), std::string::npos) << log[1];
  EXPECT_NE(log[2].find("key Browser Procedures"), std::string::npos) << log[2];
  EXPECT_NE(log[3].find("WINHELP.HLP"), std::string::npos) << log[3];
  // The help file lies beside the code of the window.
  EXPECT_EQ(helpFile().front(), '/');
  EXPECT_EQ(helpFile().substr(helpFile().size() - 12), "/KESTREL.HLP");
}

TEST_F(GraylineWindow, PlacementSavedOnDestroyKeptOnTheDesktopAndUsedAgain) {
  HWND window = CreateGraylineWnd(nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  InitGrayline(0);
  MoveWindow(window, 1000, 40, 600, 300, TRUE);  // its right edge off the desktop
  DestroyWindow(window);
  EXPECT_EQ(graylineWindow(), nullptr);
  EXPECT_EQ(setting("Left"), "1000");
  EXPECT_EQ(setting("Top"), "40");
  EXPECT_EQ(setting("Width"), "1280");
  EXPECT_EQ(setting("Height"), "340");

  HWND again = CreateGraylineWnd(nullptr, nullptr);
  ASSERT_NE(again, nullptr);
  RECT r{};
  GetWindowRect(again, &r);
  EXPECT_EQ(r.left, 1000);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right, 1280);
  EXPECT_EQ(r.bottom, 340);
}

}  // namespace
}  // namespace ksgrayline
