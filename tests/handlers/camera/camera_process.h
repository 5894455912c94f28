// Test fixture for camera requests through real webcgi and coresim processes on a
// private root initialised with nvrdb: requests, the store read back through nvrdb, and
// the messages coresim received.
#pragma once

#include <gtest/gtest.h>

#include <json-c/json.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "camera_bytes.h"
#include "loginfo.h"
#include "support/cgi_runner.h"
#include "support/coresim.h"
#include "support/handler_process.h"

namespace camtest {

inline const std::string& kText = nvrtest::kTextHeader;
inline const std::string& kJson = nvrtest::kJsonHeader;
inline const std::string& kJsonError = nvrtest::kJsonErrorBody;
inline const std::string& kTextError = nvrtest::kTextErrorBody;

class CameraProcess : public nvrtest::HandlerProcessTest {
 protected:
  CameraProcess() { cookie_ = "lang=en; userName=admin"; }

  // A GET whose query is JSON, with its quotes written as "%22" as browsers send them.
  nvrtest::ProcessResult get(const std::string& path, const std::string& query = "") {
    std::string q;
    for (char c : query) q += c == '"' ? std::string("%22") : std::string(1, c);
    return HandlerProcessTest::get(path, q);
  }

  // A stored record as nvrdb shows it (store column names); the caller releases it.
  json_object* stored(const std::string& kind, int key) {
    std::string out = nvrdb({"record", "get", kind, std::to_string(key)});
    std::size_t brace = out.find('{');
    return brace == std::string::npos ? nullptr : json_tokener_parse(out.c_str() + brace);
  }
  int stored_int(const std::string& kind, int key, const char* column) {
    json_object* o = stored(kind, key);
    int v = json_object_get_int(json_object_object_get(o, column));
    json_object_put(o);
    return v;
  }
  std::string stored_text(const std::string& kind, int key, const char* column) {
    json_object* o = stored(kind, key);
    const char* t = json_object_get_string(json_object_object_get(o, column));
    std::string v = t != nullptr ? t : "";
    json_object_put(o);
    return v;
  }

  std::vector<nvrtest::JournalEntry> sent(std::size_t count) { return core_->wait_journal(count); }
  // What webcgi sent, once no more messages arrive from the request just run: the
  // marker request (answered, so it arrives last) closes the list and is dropped.
  std::vector<nvrtest::JournalEntry> sent_before_marker() {
    EXPECT_EQ(get("/2028").out.rfind(kJson, 0), 0u);
    auto all = core_->journal();
    if (!all.empty() && all.back().type == 3307) all.pop_back();
    return all;
  }
};

using nvrtest::log_record;

inline std::string body_of(const nvrtest::ProcessResult& r, const std::string& header) {
  return r.out.rfind(header, 0) == 0 ? r.out.substr(header.size()) : std::string();
}

}  // namespace camtest
