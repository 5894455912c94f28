// Environment capture: the content-type split and the case-insensitive comparisons.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cgi.h"

namespace {

struct SplitCase {
  const char* content_type;
  const char* media_type;
  const char* boundary;
};

TEST(ContentTypeSplit, MediaTypeAndBoundary) {
  const SplitCase cases[] = {
      {"multipart/form-data; boundary=abc", "multipart/form-data", "abc"},
      {"Multipart/Form-Data;   BOUNDARY=abc more text", "Multipart/Form-Data", "abc"},
      {"multipart/form-data;boundary=abc", "multipart/form-data", "abc"},
      {"multipart/form-data; charset=x; boundary=b2", "multipart/form-data", "b2"},
      {"application/json", "application/json", ""},
      {"application/json; charset=utf-8", "application/json", ""},
      {"text/plain; boundary=", "text/plain", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    setenv("CONTENT_TYPE", c.content_type, 1);
    cgi_capture_environment();
    EXPECT_STREQ(cgiContentType, c.media_type) << c.content_type;
    EXPECT_STREQ(cgiMultipartBoundary, c.boundary) << c.content_type;
  }
  unsetenv("CONTENT_TYPE");
}

TEST(ContentTypeSplit, LongValueIsCutAt1023) {
  std::string type = "multipart/form-data; boundary=" + std::string(2000, 'q');
  setenv("CONTENT_TYPE", type.c_str(), 1);
  cgi_capture_environment();
  EXPECT_EQ(std::string(cgiMultipartBoundary), std::string(1023 - 30, 'q'));
  unsetenv("CONTENT_TYPE");
}

TEST(Environment, MissingVariablesReadEmptyAndLengthIsNumeric) {
  unsetenv("PATH_INFO");
  unsetenv("HTTP_COOKIE");
  setenv("CONTENT_LENGTH", "12abc", 1);
  setenv("HTTP_HOST", "10.0.0.5:8080", 1);
  cgi_capture_environment();
  EXPECT_STREQ(cgiPathInfo, "");
  EXPECT_STREQ(cgiCookie, "");
  EXPECT_EQ(cgiContentLength, 12);
  EXPECT_STREQ(cgiServerAddr, "10.0.0.5:8080");
  setenv("CONTENT_LENGTH", "x", 1);
  cgi_capture_environment();
  EXPECT_EQ(cgiContentLength, 0);
  unsetenv("CONTENT_LENGTH");
  unsetenv("HTTP_HOST");
}

TEST(NoCase, EqualityAndPrefix) {
  EXPECT_TRUE(equalsNoCase("Post", "post"));
  EXPECT_TRUE(equalsNoCase("GET", "get"));
  EXPECT_FALSE(equalsNoCase("posts", "post"));
  EXPECT_FALSE(equalsNoCase("pos", "post"));
  EXPECT_TRUE(equalsNoCase("", ""));
  EXPECT_TRUE(beginsNoCase("BOUNDARY=abc", "boundary="));
  EXPECT_TRUE(beginsNoCase("boundary=", "boundary="));
  EXPECT_FALSE(beginsNoCase("bound", "boundary="));
  EXPECT_FALSE(beginsNoCase("boundary:x", "boundary="));
  // Only letters are folded: other characters must match exactly.
  EXPECT_FALSE(equalsNoCase("a-b", "a_b"));
}

}  // namespace
