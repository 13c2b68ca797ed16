// The browser's tests: a settings directory, a logbook with a small country
// database beside it (databases 0 and 1 of the task), a main window that
// answers as the main program does, and the browser window over them.
#ifndef KESTREL_BROWSE_TESTLOG_H
#define KESTREL_BROWSE_TESTLOG_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browserow.h"
#include "funct/ksfunct.h"
#include "internal.h"
#include "ksbrowse.h"
#include "schema/mainwindow.h"
#include "testing/testdb.h"
#include "winlayer/datatable.h"
#include "winlayer/host.h"
#include "winlayer/testing.h"

namespace kstest {

// Messages the main window got.
struct MainMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
inline std::vector<MainMessage>& mainMessages() {
  static std::vector<MainMessage> messages;
  return messages;
}
// The answer to 1101: date format 0 (MM-DD-YY), offset 0.
inline LRESULT mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER) {
    mainMessages().push_back({message, wParam, lParam});
    return message == KM_TAG_SETTINGS ? MAKELONG(0, 0) : 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("KESTREL_QUIET_DB", "1", 1);
    mainMessages().clear();
    makeDatabase(logschema::logbook(), home / "LOG");
    makeDatabase(logschema::country(), home / "COUNTRY");
    ASSERT_EQ(dbOpenTask(&task), 0);
    ASSERT_EQ(dbOpen((home / "LOG").c_str(), "o", task), 0);
    ASSERT_EQ(dbOpenAdd((home / "COUNTRY").c_str(), task), 0);
    for (const char* prefix : {"K", "DL", "JA", "G", "VK"}) {
      CountryRecord c{};
      KS_SET(c.prefix, prefix);
      KS_SET(c.name, prefix);
      KS_SET(c.status, "A");
      ASSERT_EQ(dbRecordCreate(kCountryRecordType, &c, task, 1), 0);
    }
  }
  void TearDown() override {
    if (browser != nullptr) DestroyWindow(browser);
    if (main != nullptr) DestroyWindow(main);
    if (task != nullptr) dbCloseTask(task);
  }

  // The browser window, made and handed the task.
  void open(bool show = true) {
    browser = CreateBrowseWnd(8, 16);
    ASSERT_NE(browser, nullptr);
    table = GetDlgItem(browser, 1);
    ASSERT_NE(table, nullptr);
    if (show) InitBrowser(0, task);
  }
  void openMain() {
    WNDCLASS wc{};
    wc.lpfnWndProc = mainProc;
    wc.lpszClassName = KESTREL_MAIN_CLASS;
    RegisterClass(&wc);
    main = CreateWindow(KESTREL_MAIN_CLASS, "Kestrel", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(main, nullptr);
  }

  // A contact, stored; returns its address.
  DB_ADDR add(const char* call, const char* date, const char* time, const char* mode, int band,
              const char* prefix = "K", int zone = 5) {
    LogRecord r = contact(call, CalcJulianDate(date), mode, prefix, band, zone);
    KS_SET(r.date, date);
    KS_SET(r.time, time);
    KS_SET(r.qslSent, "N");
    KS_SET(r.qslRcvd, "N");
    KS_SET(r.qth, prefix);
    return store(r);
  }
  DB_ADDR store(const LogRecord& r) {
    EXPECT_EQ(dbRecordCreate(kLogRecordType, &r, task, 0), 0);
    DB_ADDR address = 0;
    EXPECT_EQ(dbCurrentGet(&address, task, 0), 0);
    return address;
  }

  int rows() const { return static_cast<int>(SendMessage(table, DT_GETROWCOUNT, 0, 0)); }
  ksbrowse::BrowserRow row(int n) const {
    ksbrowse::BrowserRow r{};
    SendMessage(table, DT_SETCURRENTROW, 0, n);
    SendMessage(table, DT_GETROW, 0, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  std::vector<std::string> calls() const {
    std::vector<std::string> out;
    for (int i = 0; i < rows(); ++i) out.push_back(ksbase::fieldText(row(i).call));
    return out;
  }
  // Texts of the boxes shown so far.
  std::vector<std::string> boxes() const {
    std::vector<std::string> out;
    for (const kswin::BoxRecord& b : headless.boxes()) out.push_back(b.text);
    return out;
  }

  TempHome home;
  kswin::HeadlessHost headless;
  kswin::ScopedHost scope{headless};
  DB_TASK* task = nullptr;
  HWND browser = nullptr, table = nullptr, main = nullptr;
};

}  // namespace kstest

#endif
