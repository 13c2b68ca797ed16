// The host registry and the two hosts: headless for tests, console for the
// command line.
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <string>

#include "winlayer/winlayer.h"

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

void HeadlessHost::clear() {
  answers_.clear();
  boxes_.clear();
  log_.clear();
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

ConsoleHost::ConsoleHost(std::FILE* out, std::FILE* in) : out_(out), in_(in) {}

int ConsoleHost::messageBox(HWND, std::string_view text, std::string_view caption,
                            UINT style) {
  const bool question = buttonsOf(style).size() > 1;
  if (!quiet_ || question || (style & MB_ICONMASK) == MB_ICONERROR) {
    std::fprintf(out_, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
  }
  if (!question) return IDOK;

  int answer = 0;
  if (!answers_.empty()) {
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

}  // namespace kswin
