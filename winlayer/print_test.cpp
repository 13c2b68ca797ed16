#include <gtest/gtest.h>

#include <string>

#include "testing/tempdir.h"
#include "testing.h"

namespace {

using kstest::readFile;
using kstest::TempHome;

int abortCalls = 0;
bool keepPrinting = true;

BOOL abortProc(HDC, int) {
  ++abortCalls;
  kswin::pumpMessages();  // as the suite's abort procedures do
  return keepPrinting ? TRUE : FALSE;
}

class Printing : public ::testing::Test {
 protected:
  void SetUp() override {
    kswin::clearPrintedDocuments();
    abortCalls = 0;
    keepPrinting = true;
  }
  // Prints `count` numbered lines the way the browser does: lines per page
  // from the resolution and the line height, a new page before the last line.
  int printLines(HDC dc, int count) {
    TEXTMETRIC metrics;
    GetTextMetrics(dc, &metrics);
    const int perPage =
        GetDeviceCaps(dc, VERTRES) / (metrics.tmHeight + metrics.tmExternalLeading);
    int line = 0;
    int result = StartPage(dc);
    for (int i = 0; i < count && result > 0; ++i) {
      if (line == perPage - 1) {
        result = EndPage(dc);
        if (result <= 0) return result;
        result = StartPage(dc);
        line = 0;
      }
      const std::string text = "line " + std::to_string(i + 1);
      TextOut(dc, 1, line * metrics.tmHeight, text.c_str(), static_cast<int>(text.size()));
      ++line;
    }
    return result > 0 ? EndPage(dc) : result;
  }
  TempHome home;
  kswin::HeadlessHost headless;
  kswin::ScopedHost scope{headless};
};

TEST_F(Printing, ADocumentIsReadBackPageByPageAndWrittenAsPdf) {
  const std::string pdf = home.file("browser.pdf");
  headless.queuePrintFile(pdf);
  PRINTDLG request{};
  request.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE;
  ASSERT_TRUE(PrintDlg(&request));
  HDC dc = request.hDC;
  ASSERT_NE(dc, nullptr);
  TEXTMETRIC metrics;
  ASSERT_TRUE(GetTextMetrics(dc, &metrics));
  EXPECT_EQ(metrics.tmHeight, 46);
  EXPECT_EQ(metrics.tmExternalLeading, 4);
  EXPECT_EQ(metrics.tmAveCharWidth, 30);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 3300);  // 66 lines of 50 dots a page

  EXPECT_GT(SetAbortProc(dc, abortProc), 0);
  DOCINFO info{sizeof(DOCINFO), "Browser List", nullptr, nullptr, 0};
  EXPECT_GT(StartDoc(dc, &info), 0);
  EXPECT_GT(printLines(dc, 140), 0);
  EXPECT_GT(EndDoc(dc), 0);
  DeleteDC(dc);

  const auto documents = kswin::printedDocuments();
  ASSERT_EQ(documents.size(), 1u);
  const kswin::PrintedDocument& document = documents[0];
  EXPECT_EQ(document.name, "Browser List");
  EXPECT_EQ(document.output, pdf);
  EXPECT_TRUE(document.ended);
  EXPECT_FALSE(document.aborted);
  // 65 lines a page (the 66th would be the last): 65 + 65 + 10.
  ASSERT_EQ(document.pages.size(), 3u);
  EXPECT_EQ(document.pages[0].texts.size(), 65u);
  EXPECT_EQ(document.pages[1].texts.front().text, "line 66");
  EXPECT_EQ(document.pages[1].texts.front().y, 0);
  EXPECT_EQ(document.pages[2].texts.back().text, "line 140");
  EXPECT_EQ(document.pages[2].texts.back().y, 9 * 46);
  EXPECT_EQ(abortCalls, 3);

  const std::string written = readFile(pdf);
  EXPECT_EQ(written.substr(0, 5), "%PDF-");
  EXPECT_NE(written.find("/Count 3"), std::string::npos);
}

TEST_F(Printing, TheAbortProcedureStopsTheDocumentAndNoFileIsLeft) {
  const std::string pdf = home.file("stopped.pdf");
  HDC dc = CreateDC(nullptr, "Kestrel PDF", pdf.c_str(), nullptr);
  SetAbortProc(dc, abortProc);
  DOCINFO info{sizeof(DOCINFO), "Country Database", nullptr, nullptr, 0};
  ASSERT_GT(StartDoc(dc, &info), 0);
  keepPrinting = false;  // Cancel was pressed in the printing dialog
  EXPECT_EQ(printLines(dc, 100), SP_APPABORT);
  EXPECT_EQ(EndDoc(dc), SP_ERROR);  // nothing left to end
  DeleteDC(dc);
  const auto documents = kswin::printedDocuments();
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_TRUE(documents[0].aborted);
  EXPECT_FALSE(documents[0].ended);
  EXPECT_EQ(readFile(pdf), "<missing>");
}

TEST_F(Printing, RefusalsAndCancelledDialogs) {
  PRINTDLG request{};
  request.Flags = PD_RETURNDC;
  EXPECT_FALSE(PrintDlg(&request));  // nothing queued: the user cancelled
  EXPECT_EQ(CommDlgExtendedError(), 0u);

  HDC dc = CreateDC(nullptr, "Kestrel PDF", home.file("x.pdf").c_str(), nullptr);
  kswin::failNextPrintStep("SetAbortProc");
  EXPECT_EQ(SetAbortProc(dc, abortProc), SP_ERROR);
  kswin::failNextPrintStep("StartDoc");
  DOCINFO info{sizeof(DOCINFO), "Doc", nullptr, nullptr, 0};
  EXPECT_EQ(StartDoc(dc, &info), SP_ERROR);
  EXPECT_GT(StartDoc(dc, &info), 0);  // only the next call fails
  EXPECT_EQ(StartDoc(dc, &info), SP_ERROR);  // one document at a time
  EXPECT_EQ(TextOut(dc, 0, 0, "no page", 7), FALSE);
  EXPECT_GT(AbortDoc(dc), 0);
  DeleteDC(dc);

  // The set-up choice is where later printer contexts print.
  headless.queuePrintFile(home.file("setup.pdf"));
  PRINTDLG setup{};
  setup.Flags = PD_PRINTSETUP;
  EXPECT_TRUE(PrintDlg(&setup));
  EXPECT_NE(setup.hDevNames, nullptr);
  HDC later = CreateDC(nullptr, nullptr, nullptr, nullptr);
  StartDoc(later, &info);
  EndDoc(later);
  DeleteDC(later);
  EXPECT_EQ(kswin::printedDocuments().back().output, home.file("setup.pdf"));
}

}  // namespace
