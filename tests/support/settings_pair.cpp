// The settings-pair check (see settings_pair.h).
#include "support/settings_pair.h"

#include <gtest/gtest.h>

#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"

namespace nvrtest {

namespace {

constexpr uint32_t kLogType = 3485;
constexpr uint32_t kLogMaskType = 3509;

std::string plain_body(const std::string& answer) {
  if (answer.rfind(kJsonHeader, 0) != 0) return "(not JSON: " + answer + ")";
  return JsonTree(answer.substr(kJsonHeader.size())).plain();
}

}  // namespace

void check_settings_pair(const SettingsPair& pair) {
  SCOPED_TRACE(pair.name);
  InProcess& web = InProcess::instance();
  (void)web.sent();

  // The save: "OK", the notice, then the log record.
  EXPECT_EQ(web.post(pair.set_path, pair.body), kTextHeader + "OK");
  std::vector<JournalEntry> sent = web.sent();
  std::size_t at = 0;
  if (pair.notice != 0) {
    ASSERT_GT(sent.size(), at) << "no notice";
    EXPECT_EQ(sent[at].type, pair.notice);
    EXPECT_EQ(sent[at].hex, pair.notice_hex);
    ++at;
  }
  if (pair.log_param >= 0) {
    ASSERT_GT(sent.size(), at) << "no log record";
    EXPECT_TRUE(sent[at].type == kLogType || sent[at].type == kLogMaskType) << sent[at].type;
    OperationLogRecord log = log_record(sent[at]);
    EXPECT_EQ(log.paramType, pair.log_param);
    EXPECT_EQ(log.channel, pair.log_channel + 1);
    EXPECT_STREQ(log.userName, "admin");
    ++at;
  }
  EXPECT_EQ(sent.size(), at) << "more was sent than the notice and the log record";

  // Read back.
  const std::string shown = plain_body(web.get(pair.get_path, pair.get_query));
  EXPECT_NE(shown.find(pair.get_contains), std::string::npos) << shown;

  // Refusals: no answer, nothing sent, nothing changed.
  for (const std::string& body : pair.refused) {
    EXPECT_EQ(web.post(pair.set_path, body), "") << body;
    EXPECT_TRUE(web.sent().empty()) << body;
  }
  EXPECT_EQ(plain_body(web.get(pair.get_path, pair.get_query)), shown);

  // A store that refuses the write: the error answer, nothing told, nothing logged.
  if (!pair.table.empty()) {
    web.refuse_writes(pair.table);
    EXPECT_EQ(web.post(pair.set_path, pair.body), pair.failed_answer);
    EXPECT_TRUE(web.sent().empty());
    web.allow_writes(pair.table);
  }
}

}  // namespace nvrtest
