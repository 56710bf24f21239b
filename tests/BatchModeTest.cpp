#include <gtest/gtest.h>

#include "app/BatchMode.h"

namespace morvelle {
namespace {

std::string Values(const std::optional<BatchValues>& v) {
  return v ? v->hstPath + "|" + v->newTag + "|" + v->newPath : "(none)";
}

TEST(BatchArgumentsTest, ThreeArgumentsOrOneWholeLine) {
  struct Case {
    std::vector<std::string> args;
    std::string values;
  } cases[] = {
      {{"/t/Trend1.HST", "Trend1A", "/d/Trend1A"},
       "/t/Trend1.HST|Trend1A|/d/Trend1A"},
      // The Windows form after a POSIX shell removed the quotes.
      {{"C:\\Temp\\Trend1.HST,", "Trend1A,", "C:\\Ostrel\\Data\\Trend1A"},
       "C:\\Temp\\Trend1.HST|Trend1A|C:\\Ostrel\\Data\\Trend1A"},
      {{"/t/T.HST,", "Tag,,", "/d/T,"}, "/t/T.HST|Tag,|/d/T,"},
      // A comma of the value itself, with no comma after the history file.
      {{"/t/T.HST", "Pump 7,", "/d/T"}, "/t/T.HST|Pump 7,|/d/T"},
      {{"/t/T.HST,", "Pump 7", "/d/T"}, "/t/T.HST,|Pump 7|/d/T"},
      {{"/t/My Trend.HST", "A tag", "/d/My Trend"},
       "/t/My Trend.HST|A tag|/d/My Trend"},
      // Quotes inside a value are the value's own.
      {{"/t/T.HST", "Pump \"a\" \"T.HST\" \"Z\"", "C:\\D\\N"},
       "/t/T.HST|Pump \"a\" \"T.HST\" \"Z\"|C:\\D\\N"},
      // The whole line as one argument: split at its quotes.
      {{"\"C:\\Temp\\\" x \"Tag\" \"C:\\New\\T\" \"extra\""},
       "C:\\Temp\\|Tag|C:\\New\\T"},
      {{"/t/T.HST Tag /d/T"}, "(none)"},
      {{"\"/t/T.HST\",", "\"New", "Tag\",", "\"/d/T\""}, "(none)"},
      {{"/t/T.HST", ",", "Tag", ",", "/d/T"}, "(none)"},
      {{"/t/T.HST", "Tag"}, "(none)"},
      {{"/t/T.HST", "Tag", "/d/T", "/d/U"}, "(none)"},
      {{}, "(none)"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Values(ParseBatchArguments(c.args)), c.values) << c.values;
}

TEST(BatchArgumentsTest, SplitAtQuotesTakesPiecesOneThreeAndFive) {
  EXPECT_EQ(Values(SplitAtQuotes("\"C:\\Temp\\Trend1.HST\", \"Trend1A\", "
                                 "\"C:\\Ostrel\\Data\\Trend1A\"")),
            "C:\\Temp\\Trend1.HST|Trend1A|C:\\Ostrel\\Data\\Trend1A");
  EXPECT_EQ(Values(SplitAtQuotes("junk\"a\";;\"b\"\"c\" tail \"ignored\"")),
            "a|b|c");
  EXPECT_EQ(Values(SplitAtQuotes("\"\"\"\"\"\"")), "||");
  EXPECT_EQ(Values(SplitAtQuotes("\"a\", \"b\", \"c")), "a|b|c");
  EXPECT_EQ(Values(SplitAtQuotes("\"a\", \"b\", c")), "(none)");
  EXPECT_EQ(Values(SplitAtQuotes("")), "(none)");
}

TEST(BatchArgumentsTest, TextAfterProgramNameOfAWindowsCommandLine) {
  struct Case {
    const char* commandLine;
    const char* after;
  } cases[] = {
      {"\"C:\\Program Files\\Morvelle\\morvelle.exe\" \"C:\\T.HST\", \"T\"",
       "\"C:\\T.HST\", \"T\""},
      {"morvelle.exe \"a\", \"b\", \"c\"", "\"a\", \"b\", \"c\""},
      {"morvelle.exe\t \t\"a\" ", "\"a\" "},
      {"C:\\\"My Tools\"\\morvelle.exe \"a\"", "\"a\""},
      {"\"C:\\My Tools\\morvelle.exe\"\"a\" x", "x"},
      {"\"C:\\My Tools\\morvelle.exe\"", ""},
      {"\"C:\\unterminated \"a\"", ""},
      {"morvelle.exe   ", ""},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TextAfterProgramName(c.commandLine), c.after) << c.commandLine;
}

}  // namespace
}  // namespace morvelle
