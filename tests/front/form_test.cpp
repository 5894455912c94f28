// Accessors over form entries and cookies, and the header writers, with their result codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <regex>
#include <string>

#include "cgi.h"

namespace {

class Form : public ::testing::Test {
 protected:
  void SetUp() override {
    body_ =
        "--B\r\nContent-Disposition: form-data; name=\"n\"\r\n\r\n  42\r\n"
        "--B\r\nContent-Disposition: form-data; name=\"bad\"\r\n\r\nx1\r\n"
        "--B\r\nContent-Disposition: form-data; name=\"empty\"\r\n\r\n\r\n"
        "--B\r\nContent-Disposition: form-data; name=\"text\"\r\n\r\na\r\nb\n\rc\rd\r\n"
        "--B\r\nContent-Disposition: form-data; name=\"d\"\r\n\r\n.5\r\n"
        "--B\r\nContent-Disposition: form-data; name=\"c\"\r\n\r\nred\r\n"
        "--B\r\nContent-Disposition: form-data; name=\"c\"\r\n\r\nblue\r\n"
        "--B\r\nContent-Disposition: form-data; name=\"c\"\r\n\r\npink\r\n"
        "--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a.bin\"\r\n"
        "Content-Type: application/x-a\r\n\r\nFILEDATA\r\n"
        "--B\r\nContent-Disposition: form-data; name=\"nofile\"; filename=\"\"\r\n\r\nzz\r\n"
        "--B--\r\n";
    in_ = fmemopen(body_.data(), body_.size(), "rb");
    cgiIn = in_;
    cgiContentLength = static_cast<long>(body_.size());
    cgiMultipartBoundary = "B";
    ASSERT_EQ(parse_multipart_body(), 0);
  }
  void TearDown() override {
    cgiFreeResources();
    std::fclose(in_);
  }
  std::string body_;
  FILE* in_ = nullptr;
};

TEST_F(Form, StringsAndLineBreaks) {
  char buf[64];
  EXPECT_EQ(cgiFormString("text", buf, sizeof buf), cgiFormSuccess);
  EXPECT_STREQ(buf, "a\nb\nc\nd");
  EXPECT_EQ(cgiFormStringNoNewlines("text", buf, sizeof buf), cgiFormSuccess);
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(cgiFormString("text", buf, 3), cgiFormTruncated);
  EXPECT_STREQ(buf, "a\n");
  EXPECT_EQ(cgiFormString("empty", buf, sizeof buf), cgiFormEmpty);
  EXPECT_EQ(cgiFormString("missing", buf, sizeof buf), cgiFormNotFound);
  EXPECT_STREQ(buf, "");
  int need = 0;
  EXPECT_EQ(cgiFormStringSpaceNeeded("n", &need), cgiFormSuccess);
  EXPECT_EQ(need, 5);
  EXPECT_EQ(cgiFormStringSpaceNeeded("missing", &need), cgiFormNotFound);
  EXPECT_EQ(need, 1);
}

TEST_F(Form, NumbersWithDefaultsAndBounds) {
  int i = 0;
  EXPECT_EQ(cgiFormInteger("n", &i, -1), cgiFormSuccess);
  EXPECT_EQ(i, 42);
  EXPECT_EQ(cgiFormInteger("bad", &i, -1), cgiFormBadType);
  EXPECT_EQ(i, -1);
  EXPECT_EQ(cgiFormInteger("empty", &i, -3), cgiFormEmpty);
  EXPECT_EQ(i, -3);
  EXPECT_EQ(cgiFormInteger("missing", &i, -4), cgiFormNotFound);
  EXPECT_EQ(i, -4);
  EXPECT_EQ(cgiFormIntegerBounded("n", &i, 0, 10, 0), cgiFormConstrained);
  EXPECT_EQ(i, 10);
  EXPECT_EQ(cgiFormIntegerBounded("n", &i, 50, 60, 0), cgiFormConstrained);
  EXPECT_EQ(i, 50);
  double d = 0;
  EXPECT_EQ(cgiFormDouble("d", &d, 9), cgiFormSuccess);
  EXPECT_DOUBLE_EQ(d, 0.5);
  EXPECT_EQ(cgiFormDoubleBounded("n", &d, 0, 1.5, 0), cgiFormConstrained);
  EXPECT_DOUBLE_EQ(d, 1.5);
}

TEST_F(Form, ChoicesAndMultipleValues) {
  const char* colours[] = {"red", "green", "blue"};
  int idx = -9;
  EXPECT_EQ(cgiFormSelectSingle("c", colours, 3, &idx, -1), cgiFormSuccess);
  EXPECT_EQ(idx, 0);
  EXPECT_EQ(cgiFormRadio("n", colours, 3, &idx, -1), cgiFormNoSuchChoice);
  EXPECT_EQ(idx, -1);
  int flags[3], invalid = 0;
  EXPECT_EQ(cgiFormSelectMultiple("c", colours, 3, flags, &invalid), cgiFormSuccess);
  EXPECT_EQ(flags[0] + flags[1] * 10 + flags[2] * 100, 101);
  EXPECT_EQ(invalid, 1);
  EXPECT_EQ(cgiFormCheckboxMultiple("n", colours, 3, flags, &invalid), cgiFormNotFound);
  EXPECT_EQ(cgiFormCheckboxSingle("c"), cgiFormSuccess);
  EXPECT_EQ(cgiFormCheckboxSingle("zz"), cgiFormNotFound);

  char** values = nullptr;
  ASSERT_EQ(cgiFormStringMultiple("c", &values), cgiFormSuccess);
  ASSERT_NE(values, nullptr);
  EXPECT_STREQ(values[0], "red");
  EXPECT_STREQ(values[2], "pink");
  EXPECT_EQ(values[3], nullptr);
  cgiStringArrayFree(values);
  EXPECT_EQ(cgiFormStringMultiple("zz", &values), cgiFormNotFound);
  cgiStringArrayFree(values);

  char** names = nullptr;
  ASSERT_EQ(cgiFormEntries(&names), cgiFormSuccess);
  std::string all;
  for (char** p = names; *p != nullptr; ++p) all += std::string(*p) + ",";
  EXPECT_EQ(all, "n,bad,empty,text,d,c,file,nofile,");
  cgiStringArrayFree(names);

  ASSERT_NE(findFormEntry("c"), nullptr);
  EXPECT_STREQ(findNextFormEntry()->value, "blue");
  EXPECT_STREQ(findNextFormEntry()->value, "pink");
  EXPECT_EQ(findNextFormEntry(), nullptr);
}

TEST_F(Form, FileEntries) {
  char buf[64];
  EXPECT_EQ(cgiFormFileName("file", buf, sizeof buf), cgiFormSuccess);
  EXPECT_STREQ(buf, "a.bin");
  EXPECT_EQ(cgiFormFileName("file", buf, 3), cgiFormTruncated);
  EXPECT_EQ(cgiFormFileName("n", buf, sizeof buf), cgiFormNoFileName);
  EXPECT_EQ(cgiFormFileName("missing", buf, sizeof buf), cgiFormNotFound);
  EXPECT_EQ(cgiFormFileContentType("file", buf, sizeof buf), cgiFormSuccess);
  EXPECT_STREQ(buf, "application/x-a");
  EXPECT_EQ(cgiFormFileContentType("n", buf, sizeof buf), cgiFormNoContentType);
  int size = -1;
  EXPECT_EQ(cgiFormFileSize("file", &size), cgiFormSuccess);
  EXPECT_EQ(size, 8);
  EXPECT_EQ(cgiFormFileSize("n", &size), cgiFormNotAFile);
  EXPECT_EQ(cgiFormFileSize("missing", &size), cgiFormNotFound);
  // An empty filename makes an ordinary field.
  EXPECT_EQ(cgiFormFileSize("nofile", &size), cgiFormNotAFile);

  cgiFile* f = nullptr;
  EXPECT_EQ(cgiFormFileOpen("n", &f), cgiFormNotAFile);
  EXPECT_EQ(cgiFormFileOpen("missing", &f), cgiFormNotFound);
  ASSERT_EQ(cgiFormFileOpen("file", &f), cgiFormSuccess);
  int got = 0;
  EXPECT_EQ(cgiFormFileRead(f, buf, 5, &got), cgiFormSuccess);
  EXPECT_EQ(std::string(buf, static_cast<std::size_t>(got)), "FILED");
  EXPECT_EQ(cgiFormFileRead(f, buf, 50, &got), cgiFormSuccess);
  EXPECT_EQ(got, 3);
  EXPECT_EQ(cgiFormFileRead(f, buf, 50, &got), cgiFormEOF);
  EXPECT_EQ(cgiFormFileClose(f), cgiFormSuccess);
  EXPECT_EQ(cgiFormFileRead(nullptr, buf, 5, &got), cgiFormOpenFailed);
  EXPECT_EQ(cgiFormFileClose(nullptr), cgiFormOpenFailed);
}

TEST(Cookies, ExactNamesAndCutValues) {
  cgiCookie = "lang=en; userName=admin;sid=12345;  userNameX=op; flag";
  char buf[16];
  EXPECT_EQ(cgiCookieString("userName", buf, sizeof buf), cgiFormSuccess);
  EXPECT_STREQ(buf, "admin");
  EXPECT_EQ(cgiCookieString("userNameX", buf, sizeof buf), cgiFormSuccess);
  EXPECT_STREQ(buf, "op");
  EXPECT_EQ(cgiCookieString("username", buf, sizeof buf), cgiFormNotFound);
  EXPECT_EQ(cgiCookieString("sid", buf, 3), cgiFormTruncated);
  EXPECT_STREQ(buf, "12");
  int v = 0;
  EXPECT_EQ(cgiCookieInteger("sid", &v, -1), cgiFormSuccess);
  EXPECT_EQ(v, 12345);
  EXPECT_EQ(cgiCookieInteger("nope", &v, -1), cgiFormNotFound);
  EXPECT_EQ(v, -1);
  char** names = nullptr;
  ASSERT_EQ(cgiCookies(&names), cgiFormSuccess);
  std::string all;
  for (char** p = names; *p != nullptr; ++p) all += std::string(*p) + ",";
  EXPECT_EQ(all, "lang,userName,sid,userNameX,");
  cgiStringArrayFree(names);
  cgiCookie = "";
}

class Headers : public ::testing::Test {
 protected:
  void SetUp() override { cgiOut = open_memstream(&buf_, &len_); }
  std::string text() {
    std::fflush(cgiOut);
    return std::string(buf_, len_);
  }
  void TearDown() override {
    std::fclose(cgiOut);
    std::free(buf_);
    cgiOut = stdout;
  }
  char* buf_ = nullptr;
  std::size_t len_ = 0;
};

TEST_F(Headers, LocationStatusAndContentType) {
  cgiHeaderLocation("../../html/home.html");
  cgiHeaderStatus(404, "Not Found");
  cgiHeaderContentType("text/html");
  EXPECT_EQ(text(),
            "Location: ../../html/home.html\r\n\r\nStatus: 404 Not Found\r\n\r\n"
            "Content-type: text/html\r\n\r\n");
}

TEST_F(Headers, CookieExpiresInUtcWithEnglishNames) {
  std::time_t before = std::time(nullptr);
  cgiHeaderCookieSetString("userName", "temp", 600, "/", "10.0.0.5");
  cgiHeaderCookieSetInteger("userType", 2, 600, "/", "10.0.0.5");
  std::string t = text();
  std::regex line(
      "Set-Cookie: userName=temp; domain=10\\.0\\.0\\.5; expires=(Sun|Mon|Tue|Wed|Thu|Fri|Sat), "
      "(\\d\\d)-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-(\\d{4}) "
      "(\\d\\d):(\\d\\d):(\\d\\d) GMT; path=/\r\n"
      "Set-Cookie: userType=2; domain=10\\.0\\.0\\.5; expires=.* GMT; path=/\r\n");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(t, m, line)) << t;
  std::time_t expect = before + 600;
  std::tm gt{};
  gmtime_r(&expect, &gt);
  char day[8];
  std::strftime(day, sizeof day, "%a", &gt);
  // The second may tick between the two reads; the day name and year will not, here.
  EXPECT_EQ(m[1].str(), day);
  EXPECT_EQ(std::stoi(m[4].str()), gt.tm_year + 1900);
}

TEST_F(Headers, Escapes) {
  EXPECT_EQ(cgiHtmlEscape("<a href=\"x\">&</a>"), 0);
  EXPECT_EQ(cgiValueEscape("say \"hi\" <b>"), 0);
  EXPECT_EQ(text(), "&lt;a href=\"x\"&gt;&amp;&lt;/a&gt;say &#34;hi&#34; <b>");
}

}  // namespace
