#include "console_flags.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char* messages(int number) {
  switch (number) {
    case 2: return "Do you wish to overwrite\n%s?";
    case 29: return "%d records written.";
    default: return nullptr;
  }
}

TEST(ConsoleFlags, AnswersByMessageNumberAndStandingAnswers) {
  std::FILE* out = std::tmpfile();
  kswin::ConsoleHost console(out, nullptr);
  kswin::ScopedHost scope(console);
  char a0[] = "import", a1[] = "--answer", a2[] = "2=no", a3[] = "LOG", a4[] = "--yes",
       a5[] = "--quiet";
  std::vector<char*> args{a0, a1, a2, a3, a4, a5};
  std::string problem;
  ASSERT_TRUE(kcli::takeConsoleFlags(args, console, messages, &problem)) << problem;
  EXPECT_EQ(args, (std::vector<char*>{a0, a3}));
  EXPECT_EQ(MessageBox(nullptr, "Do you wish to overwrite\nX.DAT?", "Logbook Exists",
                       MB_YESNO | MB_DEFBUTTON2),
            IDNO);
  EXPECT_EQ(MessageBox(nullptr, "Do you wish to close X.", "Logbook Open", MB_YESNO | MB_DEFBUTTON2),
            IDYES);  // the standing answer
  std::fclose(out);
}

TEST(ConsoleFlags, BadFlagsAreReported) {
  kswin::ConsoleHost console(nullptr, nullptr);
  const struct {
    std::vector<std::string> args;
    const char* problem;
  } cases[] = {{{"--answer", "2"}, "--answer takes N=WORD, not '2'"},
               {{"--answer=2=maybe"}, "--answer: 'maybe' is not a button"},
               {{"--answer", "7=yes"}, "--answer: this command has no message 7"},
               {{"--answer", "29=ok"}, "--answer: message 29 cannot be told apart by its text"},
               {{"--answer"}, "--answer needs N=WORD"}};
  for (const auto& c : cases) {
    std::vector<std::string> storage = c.args;
    std::vector<char*> args;
    for (std::string& arg : storage) args.push_back(arg.data());
    std::string problem;
    EXPECT_FALSE(kcli::takeConsoleFlags(args, console, messages, &problem));
    EXPECT_EQ(problem, c.problem);
  }
}

}  // namespace
