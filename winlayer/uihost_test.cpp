#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "winlayer/winlayer.h"

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

}  // namespace
