// The multipart parser and its look-ahead reader, on bodies built by hand.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cgi.h"
#include "nvr_root.h"

namespace {

class Multipart : public ::testing::Test {
 protected:
  void TearDown() override {
    cgiFreeResources();
    if (in_ != nullptr) std::fclose(in_);
  }

  int parse(const std::string& body, const char* boundary = "B", long length = -1) {
    cgiFreeResources();
    body_ = body;
    if (in_ != nullptr) std::fclose(in_);
    in_ = fmemopen(body_.empty() ? nullptr : body_.data(), body_.empty() ? 1 : body_.size(), "rb");
    cgiIn = in_;
    cgiContentLength = length < 0 ? static_cast<long>(body_.size()) : length;
    cgiMultipartBoundary = boundary;
    return parse_multipart_body();
  }

  static std::vector<FormEntry*> entries() {
    std::vector<FormEntry*> v;
    for (FormEntry* e = cgiFormEntryList(); e != nullptr; e = e->next) v.push_back(e);
    return v;
  }

  static std::size_t temp_files() {
    std::size_t n = 0;
    std::string dir = nvr_path("/tmp");
    for (const auto& e : std::filesystem::directory_iterator(dir))
      if (e.path().filename().string().rfind("cgic", 0) == 0) ++n;
    return n;
  }

  std::string body_;
  FILE* in_ = nullptr;
};

std::string field(const std::string& name, const std::string& value) {
  return "--B\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
}

std::string file_part(const std::string& name, const std::string& filename,
                      const std::string& content) {
  return "--B\r\nContent-Disposition: form-data; name=\"" + name + "\"; filename=\"" + filename +
         "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n";
}

TEST_F(Multipart, FieldValuesStopAtTheDelimiter) {
  ASSERT_EQ(parse(field("a", "x") + "--B--\r\n"), 0);
  auto v = entries();
  ASSERT_EQ(v.size(), 1u);
  EXPECT_STREQ(v[0]->name, "a");
  EXPECT_STREQ(v[0]->value, "x");
  EXPECT_EQ(v[0]->valueLength, 1);
  EXPECT_STREQ(v[0]->tfileName, "");
}

TEST_F(Multipart, ContentResemblingADelimiterIsKept) {
  ASSERT_EQ(parse(field("a", "1\r\n--C and \r\n-- and \r\r\n-") + field("b", "") + "--B--"), 0);
  auto v = entries();
  ASSERT_EQ(v.size(), 2u);
  EXPECT_STREQ(v[0]->value, "1\r\n--C and \r\n-- and \r\r\n-");
  EXPECT_STREQ(v[1]->value, "");
  EXPECT_EQ(v[1]->valueLength, 0);
}

TEST_F(Multipart, PreambleHeadersAndParametersAreParsed) {
  std::string body =
      "preamble --X -B\r\n"
      "--B\r\n"
      "content-disposition:form-data; NAME=plain ; filename=\"D:\\dir\\up.bin\"; other=1\r\n"
      "X-Ignored: y\r\n"
      "Content-Type: \"image/png\"; q=1\r\n"
      "\r\n"
      "PNGDATA\r\n"
      "--B\r\nContent-Disposition: attachment; name=\"skip\"\r\n\r\n"
      "--B--\r\n";
  ASSERT_EQ(parse(body), 0);
  auto v = entries();
  ASSERT_GE(v.size(), 1u);
  EXPECT_STREQ(v[0]->name, "plain ");  // unquoted values keep their trailing white space
  EXPECT_STREQ(v[0]->fileName, "D:\\dir\\up.bin");
  EXPECT_STREQ(v[0]->contentType, "image/png");
  EXPECT_EQ(v[0]->valueLength, 7);
  EXPECT_STREQ(v[0]->value, "");
  EXPECT_NE(std::string(v[0]->tfileName).find("/tmp/cgic"), std::string::npos);
  for (auto* e : v) EXPECT_STRNE(e->name, "skip");
}

TEST_F(Multipart, FileContentIsStreamedToAPrivateTemporaryFile) {
  std::string content(100000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + 3);
  ASSERT_EQ(parse(file_part("file", "fw.bin", content) + "--B--\r\n"), 0);
  auto v = entries();
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(v[0]->valueLength, 100000);
  FILE* f = std::fopen(v[0]->tfileName, "rb");
  ASSERT_NE(f, nullptr);
  std::string back(100000, 'x');
  EXPECT_EQ(std::fread(back.data(), 1, back.size(), f), 100000u);
  std::fclose(f);
  EXPECT_EQ(back, content);
  struct stat st;
  ASSERT_EQ(stat(v[0]->tfileName, &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::string path = v[0]->tfileName;
  cgiFreeResources();
  EXPECT_NE(access(path.c_str(), F_OK), 0);
}

TEST_F(Multipart, BinaryBytesAndNulsInValues) {
  std::string value("a\0b\xff\x01", 5);
  ASSERT_EQ(parse(field("bin", value) + "--B--"), 0);
  auto v = entries();
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(v[0]->valueLength, 5);
  EXPECT_EQ(std::string(v[0]->value, 5), value);
}

TEST_F(Multipart, EmptyOrDelimiterlessBodiesAreEmptyForms) {
  EXPECT_EQ(parse(""), 0);
  EXPECT_TRUE(entries().empty());
  EXPECT_EQ(parse("no delimiter anywhere in this body"), 0);
  EXPECT_TRUE(entries().empty());
  EXPECT_EQ(parse("--B"), 0);  // the body ends right after the first delimiter
  EXPECT_TRUE(entries().empty());
}

TEST_F(Multipart, PrematureEndFailsAndLeavesNoTemporaryFile) {
  const std::string cut_bodies[] = {
      "--B\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nno end",
      "--B\r\nContent-Disposition: form-data; name=\"f\"; filename=\"x\"\r\n\r\nhalf a file",
      "--B\r\nContent-Disposition: form-data; name=\"f\"; filename=\"x\"\r\n\r\nabc\r\n--B",
  };
  std::size_t before = temp_files();
  for (const auto& body : cut_bodies) {
    EXPECT_EQ(parse(body), 2) << body;
    cgiFreeResources();
    EXPECT_EQ(temp_files(), before) << body;
  }
}

TEST_F(Multipart, ContentLengthBoundsTheBody) {
  std::string body = field("a", "x") + "--B--\r\n";
  // Cut inside the value: the rest of standard input is never read.
  EXPECT_EQ(parse(body + "trailing", "B", 45), 2);
  cgiFreeResources();
  EXPECT_EQ(parse(body + field("late", "y"), "B", static_cast<long>(body.size())), 0);
  ASSERT_EQ(entries().size(), 1u);
}

TEST_F(Multipart, LongHeaderLinesAndBoundariesAreCutNotOverrun) {
  std::string long_name(5000, 'n');
  std::string body = "--B\r\nContent-Disposition: form-data; name=\"" + long_name + "\"\r\nX-" +
                     std::string(3000, 'h') + ": " + std::string(3000, 'v') + "\r\n\r\nv\r\n--B--";
  ASSERT_EQ(parse(body), 0);
  auto v = entries();
  ASSERT_EQ(v.size(), 1u);
  // The header value is cut at 1023 characters, the name parameter inside it with it.
  EXPECT_EQ(std::string(v[0]->name), std::string(1023 - 17, 'n'));
  EXPECT_STREQ(v[0]->value, "v");

  // Boundaries of up to 70 characters (RFC 2046) are used whole; a longer one refuses the
  // body before anything is read.
  for (std::size_t n : {70u, 71u, 993u}) {
    std::string boundary(n, 'k');
    std::string b2 = "--" + boundary +
                     "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nval\r\n--" + boundary +
                     "--";
    ASSERT_EQ(parse(b2, boundary.c_str()), n <= 70 ? 0 : 2) << n;
    v = entries();
    if (n > 70) {
      EXPECT_TRUE(v.empty()) << n;
      continue;
    }
    ASSERT_EQ(v.size(), 1u);
    EXPECT_STREQ(v[0]->value, "val");
  }
}

TEST_F(Multipart, AFieldHoldsAtMostTheLargestPostBody) {
  const struct {
    std::size_t size;
    int result;
  } cases[] = {{30719, 0}, {30720, 1}, {1 << 20, 1}};
  for (const auto& c : cases) {
    std::string value(c.size, 'v');
    ASSERT_EQ(parse(field("a", "1") + field("big", value) + "--B--"), c.result) << c.size;
    auto v = entries();
    ASSERT_EQ(v.size(), c.result == 0 ? 2u : 1u) << c.size;  // the earlier field stays
    if (c.result == 0) {
      EXPECT_EQ(v[1]->valueLength, static_cast<long>(c.size));
    }
  }
  // File parts are not held in memory and have no such limit.
  ASSERT_EQ(parse(file_part("file", "f.bin", std::string(100000, 'f')) + "--B--"), 0);
  EXPECT_EQ(entries().at(0)->valueLength, 100000);
}

// Preambles and values made of the delimiters' own characters: every partial match, also
// under boundaries that overlap themselves, ends as content with no byte lost or doubled.
TEST_F(Multipart, PartialMatchesOfSelfOverlappingDelimitersAreContent) {
  const std::string boundaries[] = {"-", "--", "a-a", "aab", "ab-ab-", std::string(70, '-')};
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  for (const std::string& b : boundaries) {
    const std::string alphabet = "\r\n-" + b;
    const std::string first = "--" + b, delim = "\r\n--" + b;
    for (int sample = 0; sample < 200; ++sample) {
      std::string preamble, value;
      for (std::size_t n = next() % 300; n > 0; --n) preamble += alphabet[next() % alphabet.size()];
      for (std::size_t n = next() % 300; n > 0; --n) value += alphabet[next() % alphabet.size()];
      // Only samples whose first delimiters are the ones placed below.
      if ((preamble + first).find(first) != preamble.size() ||
          (value + delim).find(delim) != value.size())
        continue;
      std::string body = preamble + first +
                         "\r\nContent-Disposition: form-data; name=\"k\"\r\n\r\n" + value + delim +
                         "--";
      ASSERT_EQ(parse(body, b.c_str()), 0) << b;
      auto v = entries();
      ASSERT_EQ(v.size(), 1u) << b << " " << body;
      ASSERT_EQ(std::string(v[0]->value, static_cast<std::size_t>(v[0]->valueLength)), value) << b;
    }
  }
}

TEST_F(Multipart, TenThousandParts) {
  std::string body;
  for (int i = 0; i < 10000; ++i) body += field("p" + std::to_string(i), std::to_string(i));
  body += "--B--\r\n";
  ASSERT_EQ(parse(body), 0);
  auto v = entries();
  ASSERT_EQ(v.size(), 10000u);
  EXPECT_STREQ(v[9999]->name, "p9999");
  EXPECT_STREQ(v[9999]->value, "9999");
}

TEST_F(Multipart, ReaderHandsOutPushedBackBytesInBodyOrder) {
  body_ = "defgh";
  in_ = fmemopen(body_.data(), body_.size(), "rb");
  cgiIn = in_;
  cgiContentLength = 5;
  MultipartReader r{};
  char buf[8] = {};
  ASSERT_EQ(mpRead(&r, buf, 2), 2);  // "de"
  ASSERT_TRUE(mpPutBack(&r, "xy", 2));
  ASSERT_EQ(mpRead(&r, buf, 1), 1);  // "x"
  EXPECT_EQ(buf[0], 'x');
  // A second put-back while "y" still waits goes in front of it.
  ASSERT_TRUE(mpPutBack(&r, "z", 1));
  ASSERT_EQ(mpRead(&r, buf, 5), 5);
  EXPECT_EQ(std::string(buf, 5), "zyfgh");
  EXPECT_EQ(mpRead(&r, buf, 1), -1);
  EXPECT_EQ(r.offset, 5);
}

TEST_F(Multipart, FirstDelimiterIsFoundAfterAnOverlappingFalseStart) {
  // Boundary "a-b": the preamble "--a--a-b" holds a partial match that must be rescanned.
  std::string body = "--a--a-b\r\nContent-Disposition: form-data; name=\"k\"\r\n\r\nv\r\n--a-b--";
  ASSERT_EQ(parse(body, "a-b"), 0);
  auto v = entries();
  ASSERT_EQ(v.size(), 1u);
  EXPECT_STREQ(v[0]->value, "v");
}

}  // namespace
