// Requests served in the test process: the handlers run as webcgi would run them (routes
// registered, the CGI globals set, the answer written to a captured stream) against one
// coresim for the whole test program, on the program's private root (test_main.cpp). A
// request costs no process start, so a table of hundreds of cases stays cheap; each module
// keeps one end-to-end round trip through the real programs besides.
//
//   nvrtest::InProcess& web = nvrtest::InProcess::instance();
//   EXPECT_EQ(web.post("/6031", R"({"id":4,...})"), kTextHeader + "OK");
//   auto sent = web.sent();          // everything that request sent the core, in order
//
// Faithful for handlers that keep no state between requests (all of them: webcgi is one
// process per request), as long as the test does not depend on process exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/coresim.h"

namespace nvrtest {

class InProcess {
 public:
  // The program's instance: the store initialised (nvrdb init) and coresim started on the
  // first call.
  static InProcess& instance();

  // Runs the handler of `path` with `text` as its request text and returns what it wrote.
  std::string run(const std::string& path, const std::string& text);
  std::string post(const std::string& path, const std::string& body) { return run(path, body); }
  std::string get(const std::string& path, const std::string& query = "") {
    return run(path, query);
  }

  // Everything sent to the core since the last call, in the order sent. A barrier first
  // makes sure it has all arrived: a marker notice is sent and awaited in the journal.
  std::vector<JournalEntry> sent();

  // Makes every later insert or update of `table` (main store) fail, until allow_writes.
  void refuse_writes(const std::string& table);
  void allow_writes(const std::string& table);

  // The caller the log records name (the "userName" cookie).
  void set_user(const std::string& name);

  const TempRoot& root() const;
  CoreSim& core();

 private:
  InProcess();
  std::string cookie_;
  std::uint32_t last_marker_ = 0;  // number of the last marker seen
};

}  // namespace nvrtest
