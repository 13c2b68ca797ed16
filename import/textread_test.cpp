#include "textread.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "winlayer/host.h"

namespace ksimport {
namespace {

struct TempFile {
  explicit TempFile(const std::string& bytes) : file(std::tmpfile()) {
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
  }
  ~TempFile() { std::fclose(file); }
  std::FILE* file;
};

// Every line ReadLine gives, until the end of the file.
std::vector<std::string> allLines(const std::string& bytes, int size, int keepEnds) {
  TempFile temp(bytes);
  std::vector<char> buffer(static_cast<size_t>(size));
  std::vector<std::string> lines;
  for (int n; (n = ReadLine(nullptr, "t.adi", temp.file, buffer.data(), size, keepEnds)) !=
              kEndOfFile;) {
    EXPECT_EQ(static_cast<size_t>(n), std::string(buffer.data()).size());
    lines.emplace_back(buffer.data());
  }
  return lines;
}

using Lines = std::vector<std::string>;

TEST(ReadLine, KeepsOrDropsLineEnds) {
  EXPECT_EQ(allLines("ab\r\ncd\n", 64, 1), (Lines{"ab\r\n", "cd\n"}));
  EXPECT_EQ(allLines("ab\r\ncd\n", 64, 0), (Lines{"ab", "cd"}));
  EXPECT_EQ(allLines("\n\n", 64, 0), (Lines{"", ""}));
}

TEST(ReadLine, ReturnsAnUnterminatedLastLine) {
  EXPECT_EQ(allLines("ab\ncd", 64, 1), (Lines{"ab\n", "cd"}));
  EXPECT_EQ(allLines("<EOR>", 64, 0), (Lines{"<EOR>"}));
}

TEST(ReadLine, EmptyFileIsAtItsEnd) { EXPECT_TRUE(allLines("", 64, 1).empty()); }

TEST(ReadLine, NulByteEndsALine) {
  EXPECT_EQ(allLines(std::string("ab\0cd\n", 6), 64, 1), (Lines{"ab", "cd\n"}));
}

TEST(ReadLine, CutsLongLinesAndGoesOnWithTheRest) {
  EXPECT_EQ(allLines("abcdefgh\nij\n", 4, 1), (Lines{"abc", "def", "gh\n", "ij\n"}));
}

TEST(ReadLine, ReadErrorShowsMessage17) {
  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  std::FILE* directory = std::fopen("/", "r");
  ASSERT_NE(directory, nullptr);
  char buffer[16];
  EXPECT_EQ(ReadLine(nullptr, "LOG.ADI", directory, buffer, sizeof buffer, 1), 0);
  std::fclose(directory);
  ASSERT_EQ(host.boxes().size(), 1u);
  EXPECT_EQ(host.boxes()[0].text, "Error Reading File LOG.ADI.");
  EXPECT_EQ(host.boxes()[0].icon(), static_cast<UINT>(MB_ICONWARNING));
}

struct Token {
  std::string text;
  char delimiter;
  int quoted;
  bool operator==(const Token&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Token& t) {
  return out << "{\"" << t.text << "\" " << static_cast<int>(t.delimiter) << " " << t.quoted
             << "}";
}

// All tokens of a text, with the ASCII importer's sets unless told otherwise.
std::vector<Token> tokens(const char* text, int caseMode = 0, int outSize = 64,
                          const char* spaces = " \t", const char* delimiters = ",",
                          const char* quotes = "\"'", char escape = '\\') {
  std::vector<Token> result;
  std::vector<char> out(static_cast<size_t>(outSize));
  int position = 0;
  char delimiter;
  int quoted;
  while (NextToken(caseMode, out.data(), outSize, text, spaces, delimiters, quotes, escape,
                   &delimiter, &position, &quoted) == 0)
    result.push_back({out.data(), delimiter, quoted});
  return result;
}

using Tokens = std::vector<Token>;

TEST(NextToken, SplitsAtDelimitersAndSkipsSpaces) {
  EXPECT_EQ(tokens("  W1AW , 599,,x"),
            (Tokens{{"W1AW", ',', 0}, {"599", ',', 0}, {"", ',', 0}, {"x", 0, 0}}));
  EXPECT_TRUE(tokens("").empty());
}

TEST(NextToken, AfterATokenAnyOtherCharacterStartsTheNext) {
  EXPECT_EQ(tokens("CQ DX"), (Tokens{{"CQ", 0, 0}, {"DX", 0, 0}}));
}

TEST(NextToken, QuotesKeepDelimitersAndSpaces) {
  EXPECT_EQ(tokens("\"a, 'b'\",c"), (Tokens{{"a, 'b'", ',', 1}, {"c", 0, 0}}));
  // A quote after a token's start ends the token and opens the next one.
  EXPECT_EQ(tokens("ab\"c d\""), (Tokens{{"ab", '"', 0}, {"c d", 0, 1}}));
  // An unclosed quote runs to the end of the text.
  EXPECT_EQ(tokens("'x,y"), (Tokens{{"x,y", 0, 1}}));
}

TEST(NextToken, EscapeTakesTheNextCharacterLiterally) {
  EXPECT_EQ(tokens("a\\,b,c\\"), (Tokens{{"a,b", ',', 0}, {"c\\", 0, 0}}));
}

TEST(NextToken, CaseModesSpareQuotedText) {
  EXPECT_EQ(tokens("ab'cd'", 1), (Tokens{{"AB", '\'', 0}, {"cd", 0, 1}}));
  EXPECT_EQ(tokens("AB", 2), (Tokens{{"ab", 0, 0}}));
}

TEST(NextToken, DropsWhatDoesNotFitButConsumesIt) {
  EXPECT_EQ(tokens("abcdef,gh", 0, 4), (Tokens{{"abc", ',', 0}, {"gh", 0, 0}}));
}

TEST(NextToken, AdifSets) {
  EXPECT_EQ(tokens("hdr<CALL:4>W1AW\r\n", 0, 64, "\t", "<>\r", "\"", '^'),
            (Tokens{{"hdr", '<', 0}, {"CALL:4", '>', 0}, {"W1AW", '\r', 0}, {"\n", 0, 0}}));
}

struct Tag {
  long length;
  std::string name;
  char type;
};

Tag parse(const char* text, int nameSize = 32) {
  std::vector<char> name(static_cast<size_t>(nameSize));
  char type = 'x';
  long length = ParseTag(text, name.data(), nameSize, &type);
  return {length, name.data(), type};
}

TEST(ParseTag, NameLengthAndType) {
  Tag t = parse("QSO_DATE:8:D");
  EXPECT_EQ(t.length, 8);
  EXPECT_EQ(t.name, "QSO_DATE");
  EXPECT_EQ(t.type, 'D');
  t = parse("call:4");
  EXPECT_EQ(t.length, 4);
  EXPECT_EQ(t.name, "call");
  EXPECT_EQ(t.type, '\0');
  t = parse("EOR");
  EXPECT_EQ(t.length, 0);
  EXPECT_EQ(t.name, "EOR");
  EXPECT_EQ(parse("CALL:").length, 0);
  EXPECT_EQ(parse("CALL::S").type, 'S');
  EXPECT_EQ(parse("CALL: 4 ").length, 4);
}

TEST(ParseTag, UnusableLengths) {
  for (const char* tag : {"CALL:-5", "CALL:abc", "CALL:4x", "CALL:99999999999999999999999",
                          "CALL:+4"}) {
    EXPECT_EQ(parse(tag).length, kBadLength) << tag;
    EXPECT_EQ(parse(tag).name, "CALL") << tag;
  }
}

TEST(ParseTag, CutsALongName) { EXPECT_EQ(parse("ABCDEFGH:1", 5).name, "ABCD"); }

}  // namespace
}  // namespace ksimport
