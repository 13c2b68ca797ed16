// Which host a program takes: its flags, then KESTREL_UI, then a display.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host.h"

namespace {

// Sets the variables a choice reads for the length of a test.
class Environment {
 public:
  Environment(const char* ui, const char* display, const char* wayland) {
    set("KESTREL_UI", ui);
    set("DISPLAY", display);
    set("WAYLAND_DISPLAY", wayland);
  }
  ~Environment() {
    for (auto& [name, value, had] : saved_) {
      if (had) setenv(name.c_str(), value.c_str(), 1);
      else unsetenv(name.c_str());
    }
  }

 private:
  void set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old ? old : "", old != nullptr});
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  struct Saved {
    std::string name, value;
    bool had;
  };
  std::vector<Saved> saved_;
};

TEST(HostChoice, DisplayMakesTheDesktopHostUnlessToldOtherwise) {
  {
    Environment env(nullptr, nullptr, nullptr);
    EXPECT_EQ(kswin::chooseUi(), kswin::UiKind::console);
  }
  {
    Environment env(nullptr, ":0", nullptr);
    EXPECT_EQ(kswin::chooseUi(), kswin::UiKind::qt);
  }
  {
    Environment env(nullptr, "", "wayland-0");
    EXPECT_EQ(kswin::chooseUi(), kswin::UiKind::qt);
  }
  {
    // An empty DISPLAY is no display.
    Environment env(nullptr, "", "");
    EXPECT_EQ(kswin::chooseUi(), kswin::UiKind::console);
  }
  {
    Environment env("console", ":0", nullptr);
    EXPECT_EQ(kswin::chooseUi(), kswin::UiKind::console);
  }
  {
    Environment env("headless", ":0", nullptr);
    EXPECT_EQ(kswin::chooseUi(), kswin::UiKind::headless);
  }
  {
    Environment env("qt", nullptr, nullptr);
    EXPECT_EQ(kswin::chooseUi(), kswin::UiKind::qt);
  }
  {
    // A value it does not know leaves the choice to the display.
    Environment env("gtk", nullptr, nullptr);
    EXPECT_EQ(kswin::chooseUi(), kswin::UiKind::console);
  }
}

TEST(HostChoice, FlagsWinAndAreTakenOutOfTheArguments) {
  Environment env("qt", ":0", nullptr);
  char a[] = "LOG1", b[] = "--console", c[] = "x.adi", d[] = "--headless";
  std::vector<char*> args{a, b, c};
  EXPECT_EQ(kswin::chooseUi(args), kswin::UiKind::console);
  EXPECT_EQ(args, (std::vector<char*>{a, c}));
  // The last of several counts.
  args = {b, a, d};
  EXPECT_EQ(kswin::chooseUi(args), kswin::UiKind::headless);
  EXPECT_EQ(args, std::vector<char*>{a});
  args = {a};
  EXPECT_EQ(kswin::chooseUi(args), kswin::UiKind::qt);
}

}  // namespace
