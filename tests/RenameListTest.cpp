#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/RenameList.h"

namespace morvelle {
namespace {

std::string Rows(const RenameList& list) {
  std::string text;
  for (const ListRow& row : list.rows)
    text += std::to_string(row.line) + "[" + row.request.hstPath + "|" +
            row.request.newTag + "|" + row.request.newPath + "]";
  for (const ListError& error : list.errors)
    text += std::to_string(error.line) + ": " + error.message + ";";
  return text;
}

TEST(RenameListTest, ReadsCsvRowsAndNamesTheLineOfEachError) {
  struct Case {
    std::string text, rows;
  } cases[] = {
      {"a.HST,Tag,C:\\T\n", "1[a.HST|Tag|C:\\T]"},
      {"\xEF\xBB\xBF"
       "a,b,c\r\n\r\n  \n# x,y\nd,e,f",
       "1[a|b|c]5[d|e|f]"},
      {"\"a,1\",\"say \"\"hi\"\"\",\"two\nlines\"\nb,c,d\n",
       "1[a,1|say \"hi\"|two\nlines]3[b|c|d]"},
      {"\"#not a comment\",t,p\n", "1[#not a comment|t|p]"},
      {"a,,c\n,b,\"\"\n", "1[a||c]2[|b|]"},
      {" a , b ,c\r\n", "1[ a | b |c]"},
      {"", ""},
      {"a,b\nc,d,e,f\nok,ok,ok\n",
       "3[ok|ok|ok]1: has 2 values; a row has three: history file, new tag, "
       "new path;2: has 4 values; a row has three: history file, new tag, "
       "new path;"},
      {"a,b,c,\n",
       "1: has 4 values; a row has three: history file, new "
       "tag, new path;"},
      {"a,b\"c,d\ne,f,g\n",
       "2[e|f|g]1: a value holds a double quote but does not start with one; "
       "quote the whole value and double the quotes inside;"},
      {"\"a\"x,b,c\ne,f,g\n",
       "2[e|f|g]1: text follows the closing double quote of a value;"},
      {"ok,ok,ok\n\"a,b,c\nd,e,f\n",
       "1[ok|ok|ok]2: a quoted value is not closed;"},
      {std::string("a,b,c\nd,\0,f\n", 12),
       "2: holds a NUL byte; save the list as UTF-8 text;"},
      // An undo list, marked by its first line, is written a whole row at
      // a time: a last row without its line end was cut short.
      {"# Morvelle undo list\na,b,c\nd,e,f",
       "2[a|b|c]3: has no line end: this undo list was cut short while it "
       "was written, so the row may lack the end of a value; restore its "
       "trend by hand;"},
      {"\xEF\xBB\xBF# Morvelle undo list\r\na,b,c\r\n# end", "2[a|b|c]"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Rows(ParseRenameList(c.text)), c.rows) << c.text;
}

TEST(RenameListTest, CsvValuesReadBackAsWritten) {
  std::vector<std::string> values = {
      "plain", "with,comma",    "with \"quotes\"", "two\nlines", "#hash",
      "",      "C:\\Data\\T 1", "cr\rhere",        " spaced "};
  std::vector<RenameRequest> rows;
  for (std::size_t i = 0; i + 2 < values.size(); ++i)
    rows.push_back({values[i], values[i + 1], values[i + 2]});
  RenameList list = ParseRenameList(ListText(rows));
  ASSERT_TRUE(list.errors.empty()) << list.errors[0].message;
  ASSERT_EQ(list.rows.size(), values.size() - 2);
  for (std::size_t i = 0; i < list.rows.size(); ++i) {
    EXPECT_EQ(list.rows[i].request.hstPath, values[i]);
    EXPECT_EQ(list.rows[i].request.newTag, values[i + 1]);
    EXPECT_EQ(list.rows[i].request.newPath, values[i + 2]);
  }
  EXPECT_EQ(CsvValue("plain"), "plain");
  EXPECT_EQ(CsvValue("a\"b"), "\"a\"\"b\"");
}

}  // namespace
}  // namespace morvelle
