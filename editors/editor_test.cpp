// The skeleton every editor shares: field keys, icon buttons, the word to
// the main program, "DictPath" and the window's placement.
#include <string>

#include "testeditor.h"

namespace kseditor::test {
namespace {

class Skeleton : public EditorTest {};

TEST_F(Skeleton, TabEnterAndShiftTabWalkTheFieldsRoundTheForm) {
  ASSERT_NE(start(iotaEditor()), nullptr);
  SetFocus(field("prefix"));
  kswin::pressKey(field("prefix"), VK_TAB);
  EXPECT_EQ(GetFocus(), field("country"));
  kswin::pressKey(field("country"), VK_RETURN);
  EXPECT_EQ(GetFocus(), field("cont"));
  kswin::setKeyDown(VK_CONTROL, true);
  kswin::pressKey(field("cont"), VK_TAB);  // Ctrl+Tab does nothing
  kswin::setKeyDown(VK_CONTROL, false);
  EXPECT_EQ(GetFocus(), field("cont"));
  SetFocus(field("grp"));
  kswin::pressKey(field("grp"), VK_TAB);  // from the last field back to the first
  EXPECT_EQ(GetFocus(), field("prefix"));
  kswin::setKeyDown(VK_SHIFT, true);
  kswin::pressKey(field("prefix"), VK_TAB);  // back from the first: the prefix table
  EXPECT_EQ(GetFocus(), field("table"));
  kswin::pressKey(field("table"), VK_TAB);
  kswin::setKeyDown(VK_SHIFT, false);
  EXPECT_EQ(GetFocus(), field("date"));
  kswin::pressKey(field("date"), VK_INSERT);  // the same keys in overwrite mode
  kswin::pressKey(field("date"), VK_RETURN);
  EXPECT_EQ(GetFocus(), field("table"));
  kswin::pressKey(field("table"), VK_INSERT);
}

TEST_F(Skeleton, InsertSwitchesEveryFieldToOverwriteAndEscEmptiesOne) {
  ASSERT_NE(start(countryEditor()), nullptr);
  set("country", "Spain");
  SendMessage(field("country"), EM_SETSEL, 1, 1);
  kswin::typeInto(field("country"), "X");
  EXPECT_EQ(value("country"), "SXpain");  // insert mode at first

  kswin::pressKey(field("country"), VK_INSERT);
  EXPECT_FALSE(insertMode());
  SendMessage(field("country"), EM_SETSEL, 1, 1);
  kswin::typeInto(field("country"), "ab");
  EXPECT_EQ(value("country"), "Sabain");  // each character replaces the one at the caret
  set("prefix", "ea");  // and in another field, capitals only
  EXPECT_EQ(value("prefix"), "EA");
  kswin::pressKey(field("prefix"), VK_INSERT);
  EXPECT_TRUE(insertMode());

  kswin::pressKey(field("country"), VK_ESCAPE);
  EXPECT_EQ(value("country"), "");
  EXPECT_EQ(value("prefix"), "EA");
}

TEST_F(Skeleton, AnIconButtonActsOnReleaseOverItWhileEnabled) {
  ASSERT_NE(start(countryEditor()), nullptr);
  set("prefix", "");
  // Find is the third button of the band (6 lines down, 16 pixels a line).
  const int y = 6 * 16 + 8, findX = 8 + 2 * (24 + 8) + 4;
  SendMessage(editorWindow(), WM_LBUTTONDOWN, 0, MAKELPARAM(findX, y));
  SendMessage(editorWindow(), WM_LBUTTONUP, 0, MAKELPARAM(findX, y));
  kswin::pumpMessages();
  EXPECT_EQ(lastBox(), "Nothing to find!");

  headless.clear();
  SendMessage(editorWindow(), WM_LBUTTONDOWN, 0, MAKELPARAM(findX, y));
  SendMessage(editorWindow(), WM_LBUTTONUP, 0, MAKELPARAM(400, 400));  // released elsewhere
  kswin::pumpMessages();
  EXPECT_TRUE(headless.boxes().empty());
}

TEST_F(Skeleton, AMissingDatabaseIsReportedAndTheMainProgramTold) {
  std::filesystem::remove(home / "dict/COUNTRY.DAT");
  EXPECT_EQ(start(countryEditor()), nullptr);
  EXPECT_EQ(lastBox(), "Country database\n" + home / "dict/COUNTRY.DAT" + "\ndoes not exist.");
  EXPECT_EQ(doneMessages(KM_COUNTRY_EDITOR_DONE), 1);
  EXPECT_EQ(editorWindow(), nullptr);
}

TEST_F(Skeleton, ADatabaseThatDoesNotOpenLeavesOnlyClear) {
  kstest::writeFile(home / "dict/IOTA.DBD", "broken");
  ASSERT_NE(start(iotaEditor()), nullptr);
  EXPECT_EQ(lastBox(), "Error opening country database.");
  EXPECT_FALSE(databaseOpen());
  const auto items = kswin::openMenu(editorWindow(), 1);
  for (const auto& item : items)
    EXPECT_EQ(item.enabled, item.id == cmd::kClear) << item.text;
  set("iota", "EU-005");
  headless.clear();
  const int y = 6 * 16 + 8, findX = 8 + 2 * (24 + 8) + 4;  // the Find button, disabled
  SendMessage(editorWindow(), WM_LBUTTONDOWN, 0, MAKELPARAM(findX, y));
  SendMessage(editorWindow(), WM_LBUTTONUP, 0, MAKELPARAM(findX, y));
  kswin::pumpMessages();
  EXPECT_TRUE(headless.boxes().empty());
  choose(cmd::kPrint);  // File menu items still run their checks
  EXPECT_EQ(lastBox(), "Country database is not opened.");
}

TEST_F(Skeleton, TheEndIsToldToTheMainProgramAndThePlacementKept) {
  ASSERT_NE(start(qslEditor()), nullptr);
  MoveWindow(editorWindow(), 10, 20, 700, 500, TRUE);
  close();
  EXPECT_EQ(doneMessages(KM_QSL_EDITOR_DONE), 1);
  EXPECT_EQ(GetPrivateProfileInt("Program", "Left", -1, "KSQSLMGR.INI"), 10u);
  EXPECT_EQ(GetPrivateProfileInt("Program", "Width", -1, "KSQSLMGR.INI"), 710u);
  EXPECT_EQ(GetPrivateProfileInt("Program", "Height", -1, "KSQSLMGR.INI"), 520u);

  ASSERT_NE(start(qslEditor()), nullptr);
  RECT r{};
  GetWindowRect(editorWindow(), &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.bottom, 520);
}

TEST_F(Skeleton, TheIotaEditorSharesTheCountryEditorsPlacement) {
  ASSERT_NE(start(iotaEditor()), nullptr);
  MoveWindow(editorWindow(), 33, 44, 800, 400, TRUE);
  close();
  EXPECT_EQ(doneMessages(KM_COUNTRY_EDITOR_DONE), 1);
  ASSERT_NE(start(countryEditor()), nullptr);
  RECT r{};
  GetWindowRect(editorWindow(), &r);
  EXPECT_EQ(r.left, 33);
  EXPECT_EQ(r.top, 44);
  EXPECT_EQ(r.right, 833);
}

TEST_F(Skeleton, WithoutDictPathTheCurrentDirectoryIsUsedAndWrittenBack) {
  WritePrivateProfileString("Database", "DictPath", nullptr, "KESTREL.INI");
  const std::string previous = std::filesystem::current_path();
  std::filesystem::current_path(home / "dict");
  HWND started = start(countryEditor());
  std::filesystem::current_path(previous);
  ASSERT_NE(started, nullptr);
  EXPECT_TRUE(databaseOpen());
  char dict[512] = {};
  GetPrivateProfileString("Database", "DictPath", "", dict, sizeof dict, "KESTREL.INI");
  EXPECT_EQ(std::string(dict), std::filesystem::canonical(home / "dict").string() + "/");
}

}  // namespace
}  // namespace kseditor::test
