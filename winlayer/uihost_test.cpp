#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "testing/tempdir.h"
#include "testing.h"

namespace {

std::string readAll(std::FILE* file) {
  std::rewind(file);
  std::string text;
  char buffer[256];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  return text;
}

TEST(MessageBoxButtons, DefaultAnswerFollowsTheDefaultButtonFlag) {
  EXPECT_EQ(kswin::defaultAnswer(MB_OK), IDOK);
  EXPECT_EQ(kswin::defaultAnswer(MB_YESNO), IDYES);
  EXPECT_EQ(kswin::defaultAnswer(MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(kswin::defaultAnswer(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
  EXPECT_EQ(kswin::defaultAnswer(MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONWARNING), IDCANCEL);
  // A default button the box does not have falls back to the first.
  EXPECT_EQ(kswin::defaultAnswer(MB_OK | MB_DEFBUTTON3), IDOK);
  EXPECT_TRUE(kswin::isButtonOf(MB_YESNO, IDNO));
  EXPECT_FALSE(kswin::isButtonOf(MB_YESNO, IDCANCEL));
}

TEST(HeadlessHost, RecordsBoxesAndAnswersQuestionsFromItsQueue) {
  kswin::HeadlessHost headless;
  kswin::ScopedHost scope(headless);
  headless.queueAnswer(IDNO);

  // An OK box does not consume the queued answer.
  EXPECT_EQ(MessageBox(nullptr, "Disk full", nullptr, MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(MessageBox(nullptr, "Overwrite?", "Logbook Exists", MB_YESNO), IDNO);
  // Queue empty: the default button.
  EXPECT_EQ(MessageBox(nullptr, "Again?", "Q", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBox(nullptr, "Again?", "Q", MB_YESNO), IDYES);

  ASSERT_EQ(headless.boxes().size(), 4u);
  EXPECT_EQ(headless.boxes()[0].caption, "Error");  // the platform's default caption
  EXPECT_EQ(headless.boxes()[0].icon(), MB_ICONERROR);
  EXPECT_EQ(headless.boxes()[1].text, "Overwrite?");
  EXPECT_EQ(headless.boxes()[1].buttons(), MB_YESNO);
  EXPECT_EQ(headless.boxes()[1].answer, IDNO);
  EXPECT_EQ(headless.log()[1], "box Logbook Exists: Overwrite? [none, Yes/No] -> No");
}

TEST(HeadlessHost, HourglassIsLoggedOnlyWhenItChanges) {
  kswin::HeadlessHost headless;
  kswin::ScopedHost scope(headless);
  HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursor(nullptr, IDC_WAIT);
  SetCursor(arrow);
  HCURSOR before = SetCursor(wait);
  SetCursor(wait);
  EXPECT_EQ(GetCursor(), wait);
  SetCursor(before);
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_EQ(headless.log(), (std::vector<std::string>{"cursor wait", "cursor normal"}));
}

TEST(ConsoleHost, NeverBlocksWithoutATerminal) {
  std::FILE* out = std::tmpfile();
  std::FILE* in = std::tmpfile();  // not a terminal
  std::fputs("n\n", in);
  std::rewind(in);
  kswin::ConsoleHost console(out, in);
  kswin::ScopedHost scope(console);

  EXPECT_EQ(MessageBox(nullptr, "Do you wish to rename\nX?", "Rename Logbook",
                       MB_YESNO | MB_DEFBUTTON2),
            IDNO);
  EXPECT_EQ(MessageBox(nullptr, "Proceed?", "Q", MB_YESNO), IDYES);
  console.queueAnswer(IDNO);
  console.setStandingAnswer(IDYES);
  EXPECT_EQ(MessageBox(nullptr, "First", "Q", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBox(nullptr, "Second", "Q", MB_YESNO | MB_DEFBUTTON2), IDYES);
  // A standing answer that is not a button of the box is not taken.
  EXPECT_EQ(MessageBox(nullptr, "Retry?", "Q", MB_RETRYCANCEL), IDRETRY);

  const std::string printed = readAll(out);
  EXPECT_NE(printed.find("Rename Logbook: Do you wish to rename\nX?\n  -> No\n"),
            std::string::npos);
  std::fclose(out);
  std::fclose(in);
}

TEST(ConsoleHost, QuietKeepsErrorsAndQuestions) {
  std::FILE* out = std::tmpfile();
  kswin::ConsoleHost console(out, nullptr);
  console.setQuiet(true);
  kswin::ScopedHost scope(console);
  MessageBox(nullptr, "just so you know", "Note", MB_OK | MB_ICONINFORMATION);
  MessageBox(nullptr, "it broke", "Copy File", MB_OK | MB_ICONERROR);
  EXPECT_EQ(readAll(out), "Copy File: it broke\n");
  std::fclose(out);
}

TEST(CommonDialogs, FileDialogsCarryTheirFiltersAndAddTheDefaultExtension) {
  kswin::HeadlessHost headless;
  kswin::ScopedHost scope(headless);
  headless.queueFile("/logs/mylog");
  headless.queueFile("");  // the user cancels the second
  char file[260] = "NONAME.DAT";
  char title[64] = "";
  OPENFILENAME request{};
  request.lpstrFilter = "Logbook Files (*.DAT)\0*.DAT\0\0";
  request.lpstrFile = file;
  request.nMaxFile = sizeof file;
  request.lpstrFileTitle = title;
  request.nMaxFileTitle = sizeof title;
  request.lpstrTitle = "New Logbook";
  request.lpstrDefExt = "DAT";
  ASSERT_TRUE(GetSaveFileName(&request));
  EXPECT_STREQ(file, "/logs/mylog.DAT");
  EXPECT_STREQ(title, "mylog.DAT");
  EXPECT_EQ(request.nFileOffset, 6);
  EXPECT_FALSE(GetOpenFileName(&request));
  ASSERT_EQ(headless.fileRequests().size(), 2u);
  EXPECT_EQ(headless.fileRequests()[0].proposedName, "NONAME.DAT");
  EXPECT_EQ(headless.fileRequests()[0].filters.size(), 1u);
  EXPECT_EQ(headless.log()[0], "save New Logbook [Logbook Files (*.DAT)|*.DAT] -> /logs/mylog");

  // An open dialog finds the file that is there: named without the default
  // extension, or with the extension in another case.
  kstest::TempHome home;
  kstest::writeFile(home.file("plain"), "");
  kstest::writeFile(home.file("contest.adi"), "");
  headless.queueFile(home.file("plain"));
  headless.queueFile(home.file("contest"));
  headless.queueFile(home.file("absent"));
  request.lpstrDefExt = "ADI";
  ASSERT_TRUE(GetOpenFileName(&request));
  EXPECT_EQ(std::string(file), home.file("plain"));
  ASSERT_TRUE(GetOpenFileName(&request));
  EXPECT_EQ(std::string(file), home.file("contest.adi"));
  ASSERT_TRUE(GetOpenFileName(&request));
  EXPECT_EQ(std::string(file), home.file("absent.ADI"));  // the program says it is missing

  // A path that does not fit the caller's buffer is refused, not cut.
  char small[8] = "";
  request.lpstrFile = small;
  request.nMaxFile = sizeof small;
  headless.queueFile("/a/long/name.txt");
  EXPECT_FALSE(GetOpenFileName(&request));
  EXPECT_NE(CommDlgExtendedError(), 0u);
}

TEST(CommonDialogs, ColourAndHelpGoThroughTheHost) {
  kswin::HeadlessHost headless;
  kswin::ScopedHost scope(headless);
  COLORREF custom[16] = {};
  CHOOSECOLOR request{};
  request.rgbResult = RGB(255, 251, 240);
  request.lpCustColors = custom;
  request.Flags = CC_RGBINIT | CC_FULLOPEN;
  EXPECT_FALSE(ChooseColor(&request));
  EXPECT_EQ(request.rgbResult, RGB(255, 251, 240));
  headless.queueColor(RGB(1, 2, 3));
  EXPECT_TRUE(ChooseColor(&request));
  EXPECT_EQ(request.rgbResult, RGB(1, 2, 3));
  WinHelp(nullptr, "KSIMPORT.HLP", HELP_KEY, reinterpret_cast<uintptr_t>("Kestrel Import Commands"));
  WinHelp(nullptr, "WINHELP.HLP", HELP_HELPONHELP, 0);
  EXPECT_EQ(headless.log(),
            (std::vector<std::string>{"colour RGB(255,251,240) -> cancel",
                                      "colour RGB(255,251,240) -> RGB(1,2,3)",
                                      "help KSIMPORT.HLP key Kestrel Import Commands",
                                      "help WINHELP.HLP help on help"}));
}

TEST(ConsoleHost, AnswersFilesAndDrawsAProgressLine) {
  std::FILE* out = std::tmpfile();
  kswin::ConsoleHost console(out, nullptr);
  kswin::ScopedHost scope(console);
  console.setProgress(true);  // as on a terminal
  console.queueFile("in.adi");
  char file[64] = "";
  OPENFILENAME request{};
  request.lpstrFile = file;
  request.nMaxFile = sizeof file;
  request.lpstrTitle = "Import ADIF File";
  EXPECT_TRUE(GetOpenFileName(&request));
  EXPECT_STREQ(file, "in.adi");
  EXPECT_FALSE(GetOpenFileName(&request));  // nothing more given: cancelled

  kswin::DialogTemplate progress;
  progress.title = "Work in progress";
  progress.controls = {kswin::controls::staticText(100, "")};
  kswin::registerDialog("PROGRESS", progress);
  HWND dialog = CreateDialog(nullptr, "PROGRESS", nullptr,
                             [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; });
  SetDlgItemText(dialog, 100, "1");
  for (int count = 2; count <= 5000; ++count)  // quicker than a terminal is redrawn
    SetDlgItemText(dialog, 100, std::to_string(count).c_str());
  SetDlgItemText(dialog, 100, "Record");  // not a count: no progress
  DestroyWindow(dialog);
  console.setAnswerFor("Do you wish to overwrite", IDNO);
  EXPECT_EQ(MessageBox(nullptr, "Do you wish to overwrite\nX?", "Logbook Exists", MB_YESNO), IDNO);
  const std::string text = readAll(out);
  const std::string first = "Import ADIF File: no file given; cancelled\n\rWork in progress: 1 \r";
  const std::string last = "\rWork in progress: 5000 \n"
                           "Logbook Exists: Do you wish to overwrite\nX?\n  -> No\n";
  EXPECT_EQ(text.substr(0, first.size()), first);
  EXPECT_TRUE(text.ends_with(last)) << text;
  EXPECT_LT(std::count(text.begin(), text.end(), '\r'), 50);  // not one line per count
  std::fclose(out);
}

}  // namespace
