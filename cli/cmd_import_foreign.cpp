// kestrel import for the foreign loggers' formats: the flags that answer
// their dialogs ("CONTESTINFO", "HYPERLOG", "RTTYINFO") and questions.
#include <strings.h>

#include <cstring>
#include <string>
#include <vector>

#include "import/foreign.h"
#include "import/program.h"
#include "import/strings.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"

namespace kcli {
namespace {

constexpr const char* kFormats[] = {"ct",       "dxbase",   "easydx",  "logview",
                                    "logmaster", "hyperlog", "pakratt", "rtty"};
constexpr const char* kValueFlags[] = {"--contest", "--other", "--power", "--date-order"};

struct ContestName {
  const char* key;
  int button;
};
constexpr ContestName kContests[] = {
    {"cqww-cw", 100},   {"cqww-ssb", 101},   {"ss-cw", 102},     {"ss-ssb", 103},
    {"arrldx-cw", 104}, {"arrldx-ssb", 105}, {"fieldday", 106},  {"vhf", 107},
    {"wae-cw", 108},    {"wae-ssb", 109},    {"wpx-cw", 110},    {"wpx-ssb", 111},
    {"arrl160", 112},   {"arrl10", 113},     {"dxpedition", 114},
};

bool isValueFlag(const char* arg) {
  for (const char* flag : kValueFlags)
    if (std::strcmp(arg, flag) == 0) return true;
  return false;
}

// The contest button of a key ("wpx-cw") or of a contest's full name.
int contestButton(const std::string& name) {
  for (const ContestName& contest : kContests)
    if (strcasecmp(name.c_str(), contest.key) == 0 ||
        strcasecmp(name.c_str(), ksimport::contestName(contest.button, "").c_str()) == 0)
      return contest.button;
  return 0;
}

std::string questionStart(int number) {
  const std::string text = ksimport::message(number);
  return text.substr(0, text.find('%'));
}

}  // namespace

// Takes the foreign formats' flags out of `args` when FORMAT (the first
// word) is one of them, and scripts the format's dialog with their answers.
// Other formats' arguments are left as they are. False with `problem` set
// for a bad flag.
bool takeForeignImportFlags(std::vector<char*>& args, kswin::ConsoleHost& host,
                            std::string* problem) {
  const char* format = nullptr;
  for (size_t i = 0; i < args.size() && format == nullptr; ++i) {
    if (isValueFlag(args[i]))
      ++i;
    else if (args[i][0] != '-')
      format = args[i];
  }
  bool ours = false;
  for (const char* name : kFormats) ours = ours || (format && std::strcmp(format, name) == 0);
  if (!ours) return true;

  int contest = 0;
  std::string other, power, order;
  bool powerGiven = false, tag = false;
  std::vector<char*> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string arg = args[i];
    if (arg == "--tag") tag = true;
    if (!isValueFlag(args[i])) {
      rest.push_back(args[i]);
      continue;
    }
    if (i + 1 >= args.size()) {
      *problem = arg + " needs a value";
      return false;
    }
    const std::string value = args[++i];
    if (arg == "--contest") {
      contest = contestButton(value);
      if (contest == 0) {
        *problem = "no contest '" + value + "' (use --other for one not in the list)";
        return false;
      }
    } else if (arg == "--other") {
      contest = ksimport::contest::kOther;
      other = value;
    } else if (arg == "--power") {
      power = value;
      powerGiven = true;
    } else {
      order = value;
      if (order != "mdy" && order != "dmy" && order != "ymd") {
        *problem = "--date-order takes mdy, dmy or ymd";
        return false;
      }
    }
  }
  args = rest;

  // The tag question of CT and RTTY answers to --tag as ADIF's does.
  host.setAnswerFor(questionStart(47), tag ? IDYES : IDNO);
  host.setAnswerFor(questionStart(72), tag ? IDYES : IDNO);
  const std::string name = format;
  if (name == "ct")
    host.onDialog("CONTESTINFO", [=](HWND dialog) {
      kswin::press(dialog, contest != 0 ? contest : ksimport::contest::kCqwwCw);
      if (!other.empty()) SetDlgItemText(dialog, 1005, other.c_str());
      if (powerGiven) SetDlgItemText(dialog, 120, power.c_str());
      kswin::press(dialog, IDOK);
    });
  if (name == "rtty")
    host.onDialog("RTTYINFO", [=](HWND dialog) {
      if (powerGiven) SetDlgItemText(dialog, 120, power.c_str());
      kswin::press(dialog, IDOK);
    });
  if (name == "hyperlog")
    host.onDialog("HYPERLOG", [=](HWND dialog) {
      kswin::press(dialog, order == "dmy" ? 207 : order == "ymd" ? 208 : 206);
      kswin::press(dialog, IDOK);
    });
  return true;
}

}  // namespace kcli
