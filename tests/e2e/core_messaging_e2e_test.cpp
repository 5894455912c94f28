// Core messaging end to end: a handler process (ipcprobe, which runs the handler
// pattern through webcgi's own code) against a real coresim process on a private root.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/cgi_runner.h"
#include "support/coresim.h"

namespace {

using nvrtest::CgiRequest;
using nvrtest::CoreSim;
using nvrtest::IpcSeam;
using nvrtest::ProcessResult;
using nvrtest::TempRoot;

const std::string kText = "Content-type: text/plain\r\n\r\n";
const std::string kJson = "Content-type: application/json\r\n\r\n";
const std::string kJsonError = kJson + "{status:\"CGI ERROR\"}";
const std::string kTextError = kText + "CGI ERROR";

// A wait budget of 1000 polls lasts 0.2 s here instead of 40 s.
constexpr IpcSeam kFast{200, 1000, 50};

ProcessResult probe(const TempRoot& root, const std::vector<std::string>& args,
                    IpcSeam seam = kFast) {
  CgiRequest req;
  req.seam = seam;
  return nvrtest::run_cgi(nvrtest::bin_path("ipcprobe"), args, root, req);
}

std::string occurrences_ok(const std::string& out, const std::string& what, int want) {
  int n = 0;
  for (auto pos = out.find(what); pos != std::string::npos; pos = out.find(what, pos + 1)) ++n;
  return n == want ? "" : "found " + std::to_string(n) + " times in: " + out;
}

TEST(CoreMessaging, WaitedRequestCarriesExactBytesAndWritesTheAnswer) {
  TempRoot root;
  CoreSim core(root);  // built-in rules: 3504 is answered 8504 with int32 0
  ASSERT_TRUE(core.ok());
  std::string payload(256, '\0');
  payload.replace(0, 9, "token=abc");
  ProcessResult r = probe(root, {"--type", "3504", "--hex", nvrtest::to_hex(payload)});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, kJson + "{\"status\":0}");
  EXPECT_EQ(r.err, "rc=0 done=1\n");
  auto sent = core.journal();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 3504u);
  EXPECT_EQ(sent[0].length, 256u);
  EXPECT_EQ(sent[0].seq, 1u);
  EXPECT_NE(sent[0].sender, 0u);
  EXPECT_EQ(sent[0].hex, nvrtest::to_hex(payload));
  EXPECT_EQ(core.stop(), 0);
}

TEST(CoreMessaging, SharedCallbacksWriteTheirExactOutput) {
  struct Case {
    const char* mode;
    const char* rule;  // for request 3000, answered 8000 unless the rule says otherwise
    const char* kind;
    std::string out;
    const char* report;
  };
  const Case cases[] = {
      {"json", "3000 hex=05000000", "1", kJson + "{\"status\":5}", "rc=0 done=1\n"},
      {"json", "3000 hex=ffffffff09000000", "1", kJson + "{\"status\":-1}", "rc=0 done=1\n"},
      {"json", "3000 hex=", "1", kJsonError, "rc=0 done=0\n"},      // null payload ignored
      {"json", "3000 hex=0500", "1", kJsonError, "rc=0 done=0\n"},  // short: no data
      {"okfailed", "3000 hex=00000000", "0", kText + "OK", "rc=0 done=1\n"},
      {"okfailed", "3000 hex=02000000", "0", kText + "FAILED", "rc=0 done=1\n"},
      {"okfailed", "3000 hex=0000", "0", kText + "FAILED", "rc=0 done=1\n"},
      {"echo", "3000 hex=68656c6c6f", "0", kText + "hello", "rc=0 done=1\n"},
      {"echo", "3000 hex=6162006364", "0", kText + "ab", "rc=0 done=1\n"},
      {"echo", "3000 hex=", "0", kTextError, "rc=0 done=0\n"},
      {"flag", "3000 hex=00000000", "0", kText + "done:[1]", "rc=0 done=1\n"},
      {"flag", "3000 hex=03000000", "0", kText + "done:[2]", "rc=0 done=2\n"},
      // Module records of 16 bytes {int32 id; char name[12]}; a name filling its whole
      // field has no NUL and must not run into the next record.
      {"records",
       "3000 hex=01000000"
       "66726f6e7400000000000000"
       "02000000"
       "6162636465666768696a6b6c",
       "1", kJson + R"([{"id":1,"name":"front"},{"id":2,"name":"abcdefghijkl"}])", "rc=0 done=1\n"},
      {"records", "3000 hex=0100000066726f6e74", "1", kJsonError, "rc=0 done=0\n"},
      // An answer type the module does not route is ignored: the wait times out.
      {"json", "3000 answer=9999 hex=00000000", "1", kJsonError, "rc=0 done=0\n"},
      // Duplicate answers: the response is written once.
      {"json", "3000 repeat=3 hex=07000000", "1", kJson + "{\"status\":7}", "rc=0 done=1\n"},
      {"okfailed", "3000 hex=00000000 then hex=01000000", "0", kText + "OK", "rc=0 done=1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + ": " + c.rule);
    TempRoot root;
    CoreSim core(root, std::string(c.rule) + "\n");
    ASSERT_TRUE(core.ok());
    ProcessResult r = probe(root, {"--type", "3000", "--cb", c.mode, "--kind", c.kind});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.report);
    EXPECT_EQ(core.stop(), 0);
  }
}

TEST(CoreMessaging, NoAnswerWritesTheErrorBodyOnce) {
  TempRoot root;
  CoreSim core(root, "3000 silent\n");
  ASSERT_TRUE(core.ok());
  for (const char* kind : {"0", "1"}) {
    ProcessResult r = probe(root, {"--type", "3000", "--kind", kind});
    EXPECT_EQ(r.out, std::string(kind) == "0" ? kTextError : kJsonError);
    EXPECT_EQ(r.err, "rc=0 done=0\n");
  }
  EXPECT_EQ(core.journal().size(), 2u);
}

TEST(CoreMessaging, NoWaitSendsOnceAndReturns) {
  TempRoot root;
  CoreSim core(root);
  ASSERT_TRUE(core.ok());
  std::string record(672, '\0');
  record[0] = 'L';
  record[671] = 'Z';
  ProcessResult r = probe(root, {"--type", "3485", "--hex", nvrtest::to_hex(record), "--no-wait"});
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "rc=0 done=0\n");
  auto sent = core.wait_journal(1);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 3485u);
  EXPECT_EQ(sent[0].hex, nvrtest::to_hex(record));
  // A waited request afterwards: by then any second copy would have been journaled.
  probe(root, {"--type", "3504"});
  EXPECT_EQ(core.journal().size(), 2u);
}

TEST(CoreMessaging, LateAnswerNeverGivesASecondResponse) {
  // Budget: 1000 polls of 100 us. Answers come before, around and after its end; the
  // probe lingers after its error body so that a late answer would have every chance.
  for (int delay_ms : {20, 80, 100, 120, 200}) {
    SCOPED_TRACE("delay " + std::to_string(delay_ms));
    TempRoot root;
    CoreSim core(root, "3000 delay_ms=" + std::to_string(delay_ms) + " hex=00000000\n");
    ASSERT_TRUE(core.ok());
    ProcessResult r = probe(root, {"--type", "3000", "--linger-ms", "300"}, {100, 1000, 50});
    EXPECT_TRUE(r.out == kJson + "{\"status\":0}" || r.out == kJsonError) << r.out;
    EXPECT_EQ(occurrences_ok(r.out, "Content-type:", 1), "");
    EXPECT_EQ(core.stop(), 0);
  }
}

TEST(CoreMessaging, AnswerAfterTheBudgetIsDropped) {
  TempRoot root;
  CoreSim core(root, "3000 delay_ms=1000 hex=00000000\n");
  ASSERT_TRUE(core.ok());
  ProcessResult r = probe(root, {"--type", "3000", "--linger-ms", "1500"}, {50, 1000, 50});
  EXPECT_EQ(r.out, kJsonError);
  EXPECT_EQ(r.err, "rc=0 done=0\n");
  EXPECT_EQ(core.stop(), 0);  // writing to the closed connection did not hurt coresim
}

TEST(CoreMessaging, BadFramesCloseTheConnectionWithoutCrash) {
  for (const char* rule :
       {"3000 magic=0x12345678 hex=00000000\n", "3000 length=16777217 hex=00000000\n"}) {
    SCOPED_TRACE(rule);
    TempRoot root;
    CoreSim core(root, rule);
    ASSERT_TRUE(core.ok());
    ProcessResult r = probe(root, {"--type", "3000"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.out, kJsonError);
    // The next exchange opens a fresh connection and works.
    ProcessResult again = probe(root, {"--type", "3504"});
    EXPECT_EQ(again.out, kJson + "{\"status\":0}");
    EXPECT_EQ(core.stop(), 0);
  }
}

TEST(CoreMessaging, SequentialExchangesUseFreshConnections) {
  TempRoot root;
  CoreSim core(root);
  ASSERT_TRUE(core.ok());
  ProcessResult r = probe(root, {"--type", "3504", "--times", "3"});
  const std::string one = kJson + "{\"status\":0}";
  EXPECT_EQ(r.out, one + one + one);
  auto sent = core.journal();
  ASSERT_EQ(sent.size(), 3u);
  for (std::uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(sent[i].seq, i + 1);
    EXPECT_EQ(sent[i].sender, sent[0].sender);
  }
}

TEST(CoreMessaging, NullCallbackSendsNothing) {
  TempRoot root;
  CoreSim core(root);
  ASSERT_TRUE(core.ok());
  ProcessResult r = probe(root, {"--type", "3000", "--null-callback", "--no-wait"});
  EXPECT_EQ(r.err, "rc=-1 done=0\n");
  probe(root, {"--type", "3504"});
  auto sent = core.journal();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 3504u);
}

TEST(CoreMessaging, CoreNotListening) {
  TempRoot root;
  ProcessResult r = probe(root, {"--type", "3504", "--kind", "0"}, {200, 1000, 5});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, kTextError);
}

TEST(CoreMessaging, SendRetriesReachACoreThatStartsLate) {
  TempRoot root;
  ProcessResult r;
  std::thread handler([&] { r = probe(root, {"--type", "3504"}, {200, 1000, 3000}); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  CoreSim core(root);
  handler.join();
  ASSERT_TRUE(core.ok());
  EXPECT_EQ(r.out, kJson + "{\"status\":0}");
}

TEST(CgiRunner, WebcgiUnknownPathWritesNothing) {
  TempRoot root;
  CoreSim core(root);
  CgiRequest req;
  req.path = "/9998";
  req.query = "token=abc";
  ProcessResult r = nvrtest::run_webcgi(root, req);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "");
}

}  // namespace
