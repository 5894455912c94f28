// Record counts, bounded text copies, answer routing and the exact output of the
// shared answer callbacks.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cgi.h"
#include "cgi_ipc.h"
#include "ipc_router.h"
#include "support/answer_capture.h"

namespace {

const std::string kText = "Content-type: text/plain\r\n\r\n";
const std::string kJson = "Content-type: application/json\r\n\r\n";

using Answers = nvrtest::AnswerCapture;

std::vector<std::uint32_t> header(int type, std::uint32_t length) {
  return {kDvMagic, 0, 1, static_cast<std::uint32_t>(type), 1, length, 0, 0};
}

TEST(IpcRecordCount, LengthDividedByRecordSize) {
  struct Case {
    std::uint32_t length;
    std::size_t record_size;
    int count;
  };
  for (const Case& c :
       {Case{0, 4, 0}, Case{3, 4, 0}, Case{4, 4, 1}, Case{7, 4, 1}, Case{64 * 64, 64, 64},
        Case{64 * 64 - 1, 64, 63}, Case{10, 0, 0}, Case{kDvMaxPayload, 1, int(kDvMaxPayload)}}) {
    auto h = header(8300, c.length);
    EXPECT_EQ(ipc_record_count(h.data(), c.record_size), c.count)
        << c.length << "/" << c.record_size;
  }
  EXPECT_EQ(ipc_record_count(nullptr, 4), 0);
}

TEST(IpcRecord, CopiesOnlyRecordsWithinTheCount) {
  const std::int32_t values[3] = {7, -2, 9};
  EXPECT_EQ(ipc_record<std::int32_t>(values, 3, 1), -2);
  EXPECT_FALSE(ipc_record<std::int32_t>(values, 2, 2));
  EXPECT_FALSE(ipc_record<std::int32_t>(values, 3, -1));
  EXPECT_FALSE(ipc_record<std::int32_t>(nullptr, 3, 0));
}

TEST(IpcCopyText, BoundedByFieldAndDestination) {
  struct Case {
    std::string field;  // the raw field bytes, NULs included
    std::size_t dst_size;
    std::string want;
  };
  const Case cases[] = {
      {std::string("abc\0zz", 6), 16, "abc"},
      {"abcdef", 16, "abcdef"},  // field without NUL: stops at the field's end
      {"abcdef", 4, "abc"},      // cut to the destination
      {"abcdef", 1, ""},
      {std::string("\0abc", 4), 16, ""},
  };
  for (const auto& c : cases) {
    std::vector<char> dst(c.dst_size, 'X');
    std::size_t n = ipc_copy_text(dst.data(), dst.size(), c.field.data(), c.field.size());
    EXPECT_EQ(std::string(dst.data()), c.want);
    EXPECT_EQ(n, c.want.size());
  }
  char none[4] = "xyz";
  EXPECT_EQ(ipc_copy_text(none, 0, "abc", 3), 0u);
  EXPECT_STREQ(none, "xyz");
}

int g_count = -1;
const void* g_payload = nullptr;
int record_route(int count, const void* payload) {
  g_count = count;
  g_payload = payload;
  return 0;
}
constexpr IpcAnswerRoute kRoutes[] = {{8300, 64, record_route}, {8504, 4, record_route}};

TEST(IpcRouteAnswer, RoutesByTypeWithRecordCount) {
  unsigned char payload[130] = {};
  struct Case {
    int type;
    std::uint32_t length;
    const void* payload;
    bool routed;
    int count;
    bool payload_passed;
  };
  const Case cases[] = {
      {8300, 130, payload, true, 2, true},  {8504, 4, payload, true, 1, true},
      {8504, 3, payload, true, 0, false},    // short: no data, bytes never handed out
      {8504, 4, nullptr, false, -1, false},  // null payload: ignored
      {9999, 4, payload, false, -1, false},  // unknown type: ignored
  };
  for (const auto& c : cases) {
    g_count = -1;
    g_payload = nullptr;
    auto h = header(c.type, c.length);
    EXPECT_EQ(ipc_route_answer(kRoutes, h.data(), c.payload), c.routed) << c.type;
    EXPECT_EQ(g_count, c.count);
    EXPECT_EQ(g_payload != nullptr, c.payload_passed);
  }
  // The dispatching callback made from the table behaves the same.
  constexpr dv_sock_callback on_test_ipc_callback = IpcRouter<kRoutes>::route;
  g_count = -1;
  auto h = header(8300, 64);
  on_test_ipc_callback(nullptr, h.data(), payload);
  EXPECT_EQ(g_count, 1);
}

TEST_F(Answers, CommonJson) {
  const std::int32_t five[2] = {5, 9};
  EXPECT_EQ(on_cgi_common_json_cb(1, five), 0);
  EXPECT_EQ(output(), kJson + "{\"status\":5}");
  EXPECT_EQ(g_callback_done, 1);
}

TEST_F(Answers, CommonJsonWithoutDataWritesNothing) {
  const std::int32_t five = 5;
  EXPECT_EQ(on_cgi_common_json_cb(0, &five), -1);
  EXPECT_EQ(on_cgi_common_json_cb(1, nullptr), -1);
  EXPECT_EQ(output(), "");
  EXPECT_EQ(g_callback_done, 0);
}

TEST_F(Answers, CommonText) {
  struct Case {
    int status;
    const char* text;
    std::string body;
  };
  const Case cases[] = {
      {-2, "abc", "CGI ERROR status:[-2], data:[abc]"},
      {0, "new.wav", "CGI OK status:[0], data:[new.wav]"},
      {3, nullptr, "CGI OK status:[3]"},
      {-1, "", "CGI ERROR status:[-1], data:[]"},
      {0, "%s%n%d", "CGI OK status:[0], data:[%s%n%d]"},  // text is never a format
  };
  for (const auto& c : cases) {
    fresh();
    EXPECT_EQ(on_cgi_common_text_cb(1, c.status, c.text), 0);
    EXPECT_EQ(output(), kText + c.body);
    EXPECT_EQ(g_callback_done, 1);
  }
}

TEST_F(Answers, CommonTextIsCutAt255Characters) {
  std::string text(400, 'x');
  EXPECT_EQ(on_cgi_common_text_cb(0, 0, text.c_str()), 0);
  std::string body = output().substr(kText.size());
  ASSERT_EQ(body.size(), 255u);
  EXPECT_EQ(body, ("CGI OK status:[0], data:[" + text).substr(0, 255));
}

TEST_F(Answers, OkFailed) {
  struct Case {
    int count;
    std::int32_t value;
    bool null_payload;
    const char* body;
  };
  for (const Case& c :
       {Case{1, 0, false, "OK"}, Case{1, 1, false, "FAILED"}, Case{1, -1, false, "FAILED"},
        Case{0, 0, false, "FAILED"}, Case{1, 0, true, "FAILED"}}) {
    fresh();
    EXPECT_EQ(on_cgi_ok_failed_cb(c.count, c.null_payload ? nullptr : &c.value), 0);
    EXPECT_EQ(output(), kText + c.body);
    EXPECT_EQ(g_callback_done, 1);
  }
}

TEST_F(Answers, TextEcho) {
  struct Case {
    std::string payload;
    int length;
    std::string body;
  };
  const Case cases[] = {
      {"hello world", 11, "hello world"},
      {"hello world", 5, "hello"},  // ends at the length, no NUL needed
      {std::string("ab\0cd", 5), 5, "ab"},
      {"x", 0, "CGI ERROR"},
  };
  for (const auto& c : cases) {
    fresh();
    EXPECT_EQ(on_cgi_text_echo_cb(c.length, c.payload.data()), 0);
    EXPECT_EQ(output(), kText + c.body);
    EXPECT_EQ(g_callback_done, 1);
  }
  fresh();
  EXPECT_EQ(on_cgi_text_echo_cb(5, nullptr), 0);
  EXPECT_EQ(output(), kText + "CGI ERROR");
}

TEST_F(Answers, OnlyTheFirstWriterOfAnExchangeWrites) {
  const std::int32_t zero = 0;
  EXPECT_EQ(on_cgi_ok_failed_cb(1, &zero), 0);
  EXPECT_EQ(on_cgi_common_json_cb(1, &zero), -1);
  EXPECT_EQ(on_cgi_text_echo_cb(2, "ab"), -1);
  EXPECT_EQ(on_cgi_common_text_cb(0, 0, "x"), -1);
  EXPECT_EQ(output(), kText + "OK");
  // A new exchange may write again.
  cgi_ipc_begin_exchange();
  EXPECT_EQ(on_cgi_common_json_cb(1, &zero), 0);
}

}  // namespace
