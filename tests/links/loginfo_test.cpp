// The operation log record: caller identity from the cookie header, initialisation, and
// the detail packing the log search reads back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cgi.h"
#include "dvfs_log.h"
#include "loginfo.h"

namespace {

TEST(CallerIdentity, UserNameFromTheCookieHeader) {
  const struct {
    const char* cookie;
    int rc;
    const char* name;
  } cases[] = {
      {"lang=en; userName=admin; sid=1", 0, "admin"},
      {"userName=admin", 0, "admin"},
      {"userNameX=op; a=b", 0, "op"},
      {"a=1;userName=bob;userName=eve", 0, "bob"},
      {"xuserName=zed", 0, "zed"},  // not anchored to a cookie boundary
      {"userName=", 0, ""},
      {"userName", 0, ""},
      {"lang=en; sid=1", -1, "unchanged"},
      {"", -1, "unchanged"},
  };
  for (const auto& c : cases) {
    cgiCookie = c.cookie;
    char buf[64] = "unchanged";
    EXPECT_EQ(get_current_username(buf, sizeof buf), c.rc) << c.cookie;
    EXPECT_STREQ(buf, c.name) << c.cookie;
  }
  std::string long_cookie = "userName=" + std::string(100, 'u');
  cgiCookie = long_cookie.c_str();
  char buf[64];
  ASSERT_EQ(get_current_username(buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), std::string(63, 'u'));
  EXPECT_EQ(get_current_username(nullptr, 64), -1);
  cgiCookie = "";
}

TEST(LogRecord, InitialisedFromTheRequest) {
  std::string addr45(45, '6'), addr50(50, '7');
  cgiCookie = "userName=operator";
  cgiRemoteAddr = addr50.c_str();
  OperationLogRecord rec;
  std::memset(&rec, 0xAB, sizeof rec);
  ASSERT_EQ(cgi_init_log_info(&rec), 0);
  EXPECT_EQ(rec.mainType, 4);
  EXPECT_EQ(rec.remote, 1);
  EXPECT_EQ(rec.subType, 0);
  EXPECT_EQ(rec.paramType, 0);
  EXPECT_STREQ(rec.userName, "operator");
  EXPECT_EQ(std::string(rec.remoteAddr), std::string(45, '7'));
  for (unsigned char b : rec.detail) ASSERT_EQ(b, 0);
  for (unsigned char b : rec.reserved2) ASSERT_EQ(b, 0);

  cgiRemoteAddr = addr45.c_str();
  cgiCookie = "lang=en";
  OperationLogRecord made = cgi_make_log(204, 909, 5);
  EXPECT_EQ(made.subType, 204);
  EXPECT_EQ(made.paramType, 909);
  EXPECT_EQ(made.channel, 6);
  EXPECT_STREQ(made.userName, "");
  EXPECT_EQ(std::string(made.remoteAddr), addr45);
  EXPECT_EQ(cgi_make_log(202, 900).channel, 0);
  EXPECT_EQ(cgi_init_log_info(nullptr), -1);
  cgiRemoteAddr = "";
  cgiCookie = "";
}

TEST(LogRecord, BytesOfTheWireForm) {
  cgiCookie = "userName=ab";
  cgiRemoteAddr = "10.0.0.9";
  OperationLogMaskRecord m{};
  m.record = cgi_make_log(204, 909, 2);
  m.mask = 0x8000000000000001ull;
  unsigned char bytes[680];
  std::memcpy(bytes, &m, sizeof bytes);
  auto le32 = [&](int off) {
    return bytes[off] | bytes[off + 1] << 8 | bytes[off + 2] << 16 | bytes[off + 3] << 24;
  };
  EXPECT_EQ(le32(0), 4);
  EXPECT_EQ(le32(8), 204);
  EXPECT_EQ(le32(12), 0);
  EXPECT_EQ(le32(24), 909);
  EXPECT_EQ(le32(28), 1);
  EXPECT_EQ(le32(32), 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 36)), "10.0.0.9");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 82)), "ab");
  EXPECT_EQ(le32(672), 1);
  EXPECT_EQ(static_cast<unsigned>(le32(676)), 0x80000000u);
  cgiCookie = "";
  cgiRemoteAddr = "";
}

TEST(LogDetail, PackedAndReadBack) {
  OperationLogRecord rec = cgi_make_log(210, 901, 0);
  unsigned char block[176];
  for (int i = 0; i < 176; ++i) block[i] = static_cast<unsigned char>(i + 1);
  ASSERT_EQ(dvfs_log_pack_detail(&rec, 111, block, sizeof block), 0);
  int kind = 0;
  unsigned char back[512] = {};
  EXPECT_EQ(dvfs_log_unpack_detail(rec.detail, &kind, back, sizeof back), 176);
  EXPECT_EQ(kind, 111);
  EXPECT_EQ(std::memcmp(back, block, sizeof block), 0);
  // The fields around the detail are untouched.
  EXPECT_EQ(rec.subType, 210);
  for (unsigned char b : rec.reserved2) EXPECT_EQ(b, 0);

  unsigned char big[600] = {};
  EXPECT_EQ(dvfs_log_pack_detail(&rec, 1, big, 505), -1);
  EXPECT_EQ(dvfs_log_pack_detail(&rec, 1, big, 504), 0);
  EXPECT_EQ(dvfs_log_pack_detail(nullptr, 1, big, 4), -1);
  rec.detail[4] = 0xFF;  // a length no packing can have
  EXPECT_EQ(dvfs_log_unpack_detail(rec.detail, &kind, back, sizeof back), -1);
}

}  // namespace
