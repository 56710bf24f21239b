// How a failure reads once it has passed every layer: the call, its one or
// two paths and the platform's text, or a refusal's own sentence, each
// within the sentences the layers set it in.
#include <gtest/gtest.h>

#include "platform/Status.h"

namespace morvelle {
namespace {

TEST(StatusTest, ReadsAsOneSentenceAndKeepsItsFields) {
  const Status open =
      Status::Error(ErrorKind::kPermissionDenied, "open", "/t/T.000", "Denied");
  const Status rename = Status::Error(ErrorKind::kAlreadyExists, "rename",
                                      "/t/A\n", "/t/B\x1b", "File exists");
  const Status refused =
      Status::Message(ErrorKind::kInvalidArgument, "The new tag is empty");
  struct Case {
    Status status;
    const char* text;
  } cases[] = {
      {Status::Ok(), "OK"},
      {Status::Ok().WithContext("Could not: "), "OK"},
      {open, "open '/t/T.000': Denied"},
      {rename, "rename '/t/A\\x0A' to '/t/B\\x1B': File exists"},
      {refused, "The new tag is empty"},
      {open.WithContext("Could not read the trend: "),
       "Could not read the trend: open '/t/T.000': Denied"},
      {rename.WithContext("(", ")").WithContext("Failed ", "."),
       "Failed (rename '/t/A\\x0A' to '/t/B\\x1B': File exists)."},
      {refused.WithContext("", "; nothing was changed"),
       "The new tag is empty; nothing was changed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.status.ToString(), c.text);
    Status copy = c.status;
    EXPECT_EQ(copy.ToString(), c.text);
  }
  const Status wrapped = rename.WithContext("Cannot: ");
  EXPECT_EQ(wrapped.kind(), ErrorKind::kAlreadyExists);
  EXPECT_EQ(wrapped.operation(), "rename");
  EXPECT_EQ(wrapped.path(), "/t/A\n");
  EXPECT_EQ(wrapped.target(), "/t/B\x1b");
  EXPECT_EQ(wrapped.detail(), "File exists");
  EXPECT_EQ(refused.operation(), "");
  EXPECT_EQ(refused.detail(), "The new tag is empty");
}

TEST(StatusTest, AResultHoldsAValueOrWhyNot) {
  Result<std::string> value = std::string("T.HST");
  ASSERT_TRUE(value.ok());
  EXPECT_TRUE(value.status().ok());
  EXPECT_EQ(*value, "T.HST");
  EXPECT_EQ(value->size(), 5u);
  Result<std::string> failed =
      Status::Message(ErrorKind::kNotFound, "Trend 'T.HST' not found");
  EXPECT_FALSE(failed.ok());
  EXPECT_EQ(failed.status().kind(), ErrorKind::kNotFound);
  EXPECT_EQ(failed.status().ToString(), "Trend 'T.HST' not found");
}

}  // namespace
}  // namespace morvelle
