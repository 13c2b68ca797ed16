// Drawing on a window's device context: nothing is rendered, but the state
// the calls keep (colours, modes, the pen position, selected objects) and
// their answers are what a painting procedure relies on.
#include <gtest/gtest.h>

#include "winlayer/testing.h"

namespace {

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASS wc{};
    wc.lpfnWndProc = plainProc;
    wc.lpszClassName = "GdiTestClass";
    RegisterClass(&wc);
    window = CreateWindow("GdiTestClass", "map", WS_OVERLAPPEDWINDOW, 0, 0, 720, 360, nullptr,
                          nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
  }
  void TearDown() override {
    ReleaseDC(window, dc);
    DestroyWindow(window);
  }
  HWND window = nullptr;
  HDC dc = nullptr;
};

TEST_F(Drawing, SettersAnswerWhatTheyReplace) {
  EXPECT_EQ(SetTextColor(dc, RGB(1, 2, 3)), RGB(0, 0, 0));
  EXPECT_EQ(SetTextColor(dc, RGB(4, 5, 6)), RGB(1, 2, 3));
  EXPECT_EQ(SetBkColor(dc, RGB(0, 0, 0)), RGB(255, 255, 255));
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, OPAQUE), TRANSPARENT);
  EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), BLACKONWHITE);
  EXPECT_EQ(SetStretchBltMode(dc, HALFTONE), COLORONCOLOR);

  HBRUSH night = CreateSolidBrush(RGB(0, 0, 64));
  HGDIOBJ first = SelectObject(dc, night);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(SelectObject(dc, first), night);
  EXPECT_TRUE(DeleteObject(night));
}

TEST_F(Drawing, LinesStartWhereThePenWasLeft) {
  POINT previous{-1, -1};
  EXPECT_TRUE(MoveToEx(dc, 10, 20, &previous));
  EXPECT_EQ(previous.x, 0);
  EXPECT_EQ(previous.y, 0);
  EXPECT_TRUE(LineTo(dc, 700, 20));
  EXPECT_TRUE(MoveToEx(dc, 5, 5, &previous));
  EXPECT_EQ(previous.x, 700);
  EXPECT_EQ(previous.y, 20);

  const RECT band{0, 0, 720, 10};
  EXPECT_EQ(FillRect(dc, &band, CreateSolidBrush(RGB(9, 9, 9))), 1);
  EXPECT_EQ(FillRect(dc, nullptr, CreateSolidBrush(RGB(9, 9, 9))), 0);
  EXPECT_TRUE(Rectangle(dc, 1, 1, 30, 30));
}

TEST_F(Drawing, StretchingABitmapAnswersItsScanLines) {
  const unsigned char bits[4 * 2] = {};
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 720, 360, 0, 0, 4, 2, bits, nullptr, DIB_RGB_COLORS, SRCCOPY),
            2);
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 720, 360, 0, 0, 4, 2, nullptr, nullptr, DIB_RGB_COLORS,
                          SRCCOPY),
            0);
}

TEST_F(Drawing, AReleasedContextRefusesEverything) {
  HDC stale = GetDC(window);
  ASSERT_EQ(ReleaseDC(window, stale), 1);
  EXPECT_EQ(SetBkMode(stale, OPAQUE), 0);
  EXPECT_FALSE(MoveToEx(stale, 1, 1, nullptr));
  EXPECT_FALSE(LineTo(stale, 2, 2));
  EXPECT_EQ(SetStretchBltMode(stale, HALFTONE), 0);
  const unsigned char bits[4] = {};
  EXPECT_EQ(StretchDIBits(stale, 0, 0, 1, 1, 0, 0, 1, 1, bits, nullptr, 0, SRCCOPY), 0);
  EXPECT_EQ(SetTextColor(stale, 0), 0xFFFFFFFFu);
}

}  // namespace
