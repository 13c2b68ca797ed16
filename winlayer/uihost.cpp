// The host registry and the two hosts: headless for tests, console for the
// command line.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host.h"

namespace kswin {
namespace {

ConsoleHost& consoleDefault() {
  static ConsoleHost console;
  return console;
}

UiHost* current = nullptr;

const char* buttonWords(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL: return "OK/Cancel";
    case MB_ABORTRETRYIGNORE: return "Abort/Retry/Ignore";
    case MB_YESNOCANCEL: return "Yes/No/Cancel";
    case MB_YESNO: return "Yes/No";
    case MB_RETRYCANCEL: return "Retry/Cancel";
    default: return "OK";
  }
}

const char* iconWord(UINT style) {
  switch (style & MB_ICONMASK) {
    case MB_ICONERROR: return "error";
    case MB_ICONQUESTION: return "question";
    case MB_ICONWARNING: return "warning";
    case MB_ICONINFORMATION: return "information";
    default: return "none";
  }
}

const char* answerWord(int answer) {
  switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "?";
  }
}

// The buttons of a box in their order on screen.
std::vector<int> buttonsOf(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

}  // namespace

UiHost& host() { return current ? *current : consoleDefault(); }

UiHost* setHost(UiHost* next) {
  UiHost* previous = current ? current : &consoleDefault();
  current = next;
  return previous;
}

int defaultAnswer(UINT style) {
  const std::vector<int> buttons = buttonsOf(style);
  size_t index = (style & MB_DEFMASK) >> 8;
  return buttons[index < buttons.size() ? index : 0];
}

bool isButtonOf(UINT style, int answer) {
  for (int button : buttonsOf(style))
    if (button == answer) return true;
  return false;
}

static std::string filterText(const FileRequest& request) {
  std::string text;
  for (const auto& [description, pattern] : request.filters)
    text += (text.empty() ? "" : "|") + description + "|" + pattern;
  return text;
}

static std::string colourText(COLORREF colour) {
  char text[32];
  std::snprintf(text, sizeof text, "RGB(%u,%u,%u)", GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
  return text;
}

static std::string helpText(std::string_view file, UINT command, std::string_view keyword) {
  std::string text = "help " + std::string(file);
  switch (command) {
    case HELP_CONTENTS: return text + " contents";
    case HELP_HELPONHELP: return text + " help on help";
    case HELP_QUIT: return text + " quit";
    case HELP_KEY: return text + " key " + std::string(keyword);
    default: return text + " command " + std::to_string(command);
  }
}

bool DialogScripts::run(HWND dialog, std::string_view name) {
  for (auto it = steps_.begin(); it != steps_.end(); ++it) {
    if (it->first != name) continue;
    auto step = std::move(it->second);
    steps_.erase(it);
    step(dialog);
    return true;
  }
  return false;
}

void HeadlessHost::clear() {
  answers_.clear();
  files_.clear();
  colours_.clear();
  printFiles_.clear();
  idleSteps_.clear();
  scripts_ = DialogScripts();
  boxes_.clear();
  fileRequests_.clear();
  log_.clear();
}

bool HeadlessHost::fileDialog(FileRequest& request) {
  std::string answer;
  if (!files_.empty()) {
    answer = files_.front();
    files_.pop_front();
  }
  request.path = answer;
  fileRequests_.push_back(request);
  log_.push_back(std::string(request.save ? "save " : "open ") + request.title + " [" +
                 filterText(request) + "] -> " + (answer.empty() ? "cancel" : answer));
  return !answer.empty();
}

bool HeadlessHost::colorDialog(ColorRequest& request) {
  const bool chosen = !colours_.empty();
  if (chosen) {
    request.result = colours_.front();
    colours_.pop_front();
  }
  log_.push_back("colour " + colourText(request.initial) + " -> " +
                 (chosen ? colourText(request.result) : "cancel"));
  return chosen;
}

bool HeadlessHost::printDialog(PrintRequest& request) {
  std::string answer;
  if (!printFiles_.empty()) {
    answer = printFiles_.front();
    printFiles_.pop_front();
  }
  request.output = answer;
  log_.push_back(std::string(request.setup ? "print setup -> " : "print -> ") +
                 (answer.empty() ? "cancel" : answer));
  return !answer.empty();
}

void HeadlessHost::help(std::string_view file, UINT command, std::string_view keyword) {
  log_.push_back(helpText(file, command, keyword));
}

void HeadlessHost::beep() { log_.push_back("beep"); }

void HeadlessHost::windowShown(HWND, std::string_view title, bool visible) {
  log_.push_back((visible ? "show " : "hide ") + std::string(title));
}

void HeadlessHost::dialogShown(HWND dialog, std::string_view name) {
  log_.push_back("dialog " + std::string(name));
  scripts_.run(dialog, name);
}

void HeadlessHost::dialogText(HWND, int id, std::string_view text) {
  log_.push_back("dialog text " + std::to_string(id) + ": " + std::string(text));
}

IdleAction HeadlessHost::dialogIdle(HWND dialog, std::string_view name) {
  return scripts_.run(dialog, name) ? IdleAction::acted : IdleAction::stop;
}

IdleAction HeadlessHost::idle() {
  if (idleSteps_.empty()) return IdleAction::stop;
  auto step = std::move(idleSteps_.front());
  idleSteps_.pop_front();
  step();
  return IdleAction::acted;
}

int HeadlessHost::messageBox(HWND owner, std::string_view text, std::string_view caption,
                             UINT style) {
  int answer = defaultAnswer(style);
  if (buttonsOf(style).size() > 1 && !answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  boxes_.push_back(BoxRecord{owner, std::string(text), std::string(caption), style, answer});
  log_.push_back("box " + std::string(caption) + ": " + std::string(text) + " [" +
                 iconWord(style) + ", " + buttonWords(style) + "] -> " + answerWord(answer));
  return answer;
}

void HeadlessHost::cursorChanged(bool busy) {
  log_.push_back(busy ? "cursor wait" : "cursor normal");
}

ConsoleHost::ConsoleHost(std::FILE* out, std::FILE* in)
    : out_(out), in_(in), progress_(out != nullptr && isatty(fileno(out))) {}

void ConsoleHost::endProgressLine() {
  if (!progressLine_) return;
  std::fputc('\n', out_);
  progressLine_ = false;
}

int ConsoleHost::messageBox(HWND, std::string_view text, std::string_view caption,
                            UINT style) {
  endProgressLine();
  const bool question = buttonsOf(style).size() > 1;
  if (!quiet_ || question || (style & MB_ICONMASK) == MB_ICONERROR) {
    std::fprintf(out_, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
  }
  if (!question) return IDOK;

  int answer = 0;
  auto named = std::find_if(answersFor_.begin(), answersFor_.end(), [&](const auto& entry) {
    return text.substr(0, entry.first.size()) == entry.first;
  });
  if (named != answersFor_.end() && isButtonOf(style, named->second)) {
    answer = named->second;
  } else if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  } else if (standing_ != 0 && isButtonOf(style, standing_)) {
    answer = standing_;
  } else {
    answer = ask(style);
  }
  if (!isButtonOf(style, answer)) answer = defaultAnswer(style);
  std::fprintf(out_, "  -> %s\n", answerWord(answer));
  std::fflush(out_);
  return answer;
}

bool ConsoleHost::fileDialog(FileRequest& request) {
  endProgressLine();
  if (files_.empty()) {
    if (!quiet_)
      std::fprintf(out_, "%s: no file given; cancelled\n", request.title.c_str());
    return false;
  }
  request.path = files_.front();
  files_.pop_front();
  return !request.path.empty();
}

bool ConsoleHost::colorDialog(ColorRequest& request) {
  if (colours_.empty()) return false;
  request.result = colours_.front();
  colours_.pop_front();
  return true;
}

bool ConsoleHost::printDialog(PrintRequest& request) {
  request.output = printFile_;
  return !printFile_.empty();
}

void ConsoleHost::help(std::string_view file, UINT command, std::string_view keyword) {
  if (quiet_ || command == HELP_QUIT) return;  // no viewer was ever opened
  endProgressLine();
  std::fprintf(out_, "%s (no help viewer here)\n", helpText(file, command, keyword).c_str());
}

void ConsoleHost::dialogShown(HWND dialog, std::string_view name) { scripts_.run(dialog, name); }

// A dialog that shows a running count draws one line that is rewritten in
// place; only on a terminal, and not when quiet.
void ConsoleHost::dialogText(HWND dialog, int, std::string_view text) {
  if (!progress_ || quiet_ || text.empty()) return;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return;
  const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
  if (progressLine_ && now - lastDrawn_ < 100) {
    pendingCount_.assign(text);
    pendingDialog_ = dialog;
    return;
  }
  lastDrawn_ = now;
  pendingCount_.clear();
  if (dialog != titleOf_) {
    char title[128];
    GetWindowText(dialog, title, sizeof title);
    title_ = title;
    titleOf_ = dialog;
  }
  std::fprintf(out_, "\r%s: %.*s ", title_.c_str(), static_cast<int>(text.size()), text.data());
  std::fflush(out_);
  progressLine_ = true;
}

void ConsoleHost::dialogClosed(HWND dialog) {
  if (dialog == pendingDialog_ && !pendingCount_.empty()) {
    const std::string last = std::move(pendingCount_);
    pendingCount_.clear();
    lastDrawn_ = 0;
    dialogText(dialog, 0, last);
  }
  pendingDialog_ = titleOf_ = nullptr;
  endProgressLine();
}

IdleAction ConsoleHost::dialogIdle(HWND dialog, std::string_view name) {
  return scripts_.run(dialog, name) ? IdleAction::acted : IdleAction::stop;
}

// Asks on the terminal; without one (or at its end) the default button.
int ConsoleHost::ask(UINT style) {
  const int fallback = defaultAnswer(style);
  if (in_ == nullptr || !isatty(fileno(in_))) return fallback;
  const std::vector<int> buttons = buttonsOf(style);
  for (;;) {
    std::fprintf(out_, "  %s? [", buttonWords(style));
    for (size_t i = 0; i < buttons.size(); ++i)
      std::fprintf(out_, "%s%c", i ? "/" : "",
                   buttons[i] == fallback ? std::toupper(answerWord(buttons[i])[0])
                                          : std::tolower(answerWord(buttons[i])[0]));
    std::fprintf(out_, "] ");
    std::fflush(out_);
    char line[64];
    if (std::fgets(line, sizeof line, in_) == nullptr) return fallback;
    const char first = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
    if (first == '\n' || first == '\0') return fallback;
    for (int button : buttons)
      if (std::tolower(answerWord(button)[0]) == first) return button;
  }
}

namespace {

UiKind kindFromEnvironment() {
  const char* named = std::getenv("KESTREL_UI");
  if (named != nullptr) {
    if (std::strcmp(named, "console") == 0) return UiKind::console;
    if (std::strcmp(named, "headless") == 0) return UiKind::headless;
    if (std::strcmp(named, "qt") == 0) return UiKind::qt;
  }
  for (const char* display : {"WAYLAND_DISPLAY", "DISPLAY"}) {
    const char* value = std::getenv(display);
    if (value != nullptr && value[0] != '\0') return UiKind::qt;
  }
  return UiKind::console;
}

}  // namespace

UiKind chooseUi() { return kindFromEnvironment(); }

UiKind chooseUi(std::vector<char*>& args) {
  // The last flag counts; every one of them is taken out.
  const char* flag = nullptr;
  std::erase_if(args, [&flag](char* arg) {
    if (arg == nullptr) return false;
    if (std::strcmp(arg, "--console") != 0 && std::strcmp(arg, "--headless") != 0 &&
        std::strcmp(arg, "--qt") != 0)
      return false;
    flag = arg;
    return true;
  });
  if (flag == nullptr) return kindFromEnvironment();
  if (std::strcmp(flag, "--console") == 0) return UiKind::console;
  if (std::strcmp(flag, "--headless") == 0) return UiKind::headless;
  return UiKind::qt;
}

}  // namespace kswin
