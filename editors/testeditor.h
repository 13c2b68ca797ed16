// The fixture of the editors' tests: a settings directory whose KESTREL.INI
// names a dictionary with empty reference databases, a headless host that
// answers and records, and a stand-in main program window that counts the
// messages the editors send it.
#ifndef KESTREL_EDITORS_TESTEDITOR_H
#define KESTREL_EDITORS_TESTEDITOR_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor.h"
#include "kind.h"
#include "schema/logschema.h"
#include "schema/mainwindow.h"
#include "testing/testdb.h"
#include "winlayer/host.h"
#include "winlayer/testing.h"
#include "winlayer/winlayer.h"

namespace kseditor::test {

inline std::vector<std::pair<UINT, WPARAM>>& mainMessages() {
  static std::vector<std::pair<UINT, WPARAM>> messages;
  return messages;
}

inline LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER) mainMessages().emplace_back(message, wParam);
  return DefWindowProc(window, message, wParam, lParam);
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("KESTREL_QUIET_DB", "1", 1);
    std::filesystem::create_directory(home / "dict");
    kstest::makeDatabase(logschema::country(), home / "dict/COUNTRY");
    kstest::makeDatabase(logschema::iota(), home / "dict/IOTA");
    kstest::makeDatabase(logschema::qslManager(), home / "dict/QSLMGR");
    WritePrivateProfileString("Database", "DictPath", (home / "dict/").c_str(), "KESTREL.INI");
    WNDCLASS wc{};
    wc.lpfnWndProc = mainProc;
    wc.lpszClassName = KESTREL_MAIN_CLASS;
    RegisterClass(&wc);
    mainWindow = CreateWindow(KESTREL_MAIN_CLASS, "Kestrel", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                              nullptr, nullptr, nullptr, nullptr);
    mainMessages().clear();
    kswin::clearPrintedDocuments();
  }
  void TearDown() override {
    close();
    DestroyWindow(mainWindow);
  }

  HWND start(const Kind& kind, const std::string& commandLine = "") {
    window = startEditor(kind, commandLine);
    return window;
  }
  // Ends the editor as a person would, with File Exit.
  void close() {
    if (editorWindow() == nullptr) return;
    kswin::chooseMenuItem(editorWindow(), cmd::kExit);
    runEditor();
  }
  HWND field(const char* name) { return fieldWindow(fieldIndex(name)); }
  void set(const char* name, const std::string& text) {
    SetWindowText(field(name), "");
    kswin::typeInto(field(name), text);
  }
  std::string value(const char* name) { return fieldValue(fieldIndex(name)); }
  void choose(UINT command) { kswin::chooseMenuItem(editorWindow(), command); }
  // The last box's text and caption.
  std::string lastBox() const {
    return headless.boxes().empty() ? "" : headless.boxes().back().text;
  }
  std::string lastCaption() const {
    return headless.boxes().empty() ? "" : headless.boxes().back().caption;
  }
  int doneMessages(UINT message) const {
    int n = 0;
    for (const auto& m : mainMessages()) n += m.first == message ? 1 : 0;
    return n;
  }

  kstest::TempHome home;
  kswin::HeadlessHost headless;
  kswin::ScopedHost scope{headless};
  HWND mainWindow = nullptr;
  HWND window = nullptr;
};

}  // namespace kseditor::test

#endif
