// Test fixture for requests through real webcgi and coresim processes on a private root
// whose store nvrdb has initialised: the requests, the store seeded and read back through
// nvrdb, and coresim (re)started with scenario rules.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/cgi_runner.h"
#include "support/coresim.h"
#include "support/temp_root.h"

namespace nvrtest {

class HandlerProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    nvrdb({"init"});
    start_core("");
  }

  // (Re)starts coresim with extra scenario rules.
  void start_core(const std::string& scenario) {
    core_.reset();
    core_ = std::make_unique<CoreSim>(root_, scenario);
    ASSERT_TRUE(core_->ok());
  }

  // Runs nvrdb on the root's store; its standard output.
  std::string nvrdb(const std::vector<std::string>& args) {
    ProcessResult r = run_nvrdb(root_, args);
    EXPECT_EQ(r.exit_code, 0) << args[0] << ": " << r.err;
    return r.out;
  }

  ProcessResult post(const std::string& path, const std::string& body) {
    return run_webcgi(root_, json_post(path, body, cookie_));
  }
  ProcessResult get(const std::string& path, const std::string& query = "") {
    CgiRequest req;
    req.path = path;
    req.query = query;
    req.cookie = cookie_;
    return run_webcgi(root_, req);
  }

  TempRoot root_;
  std::unique_ptr<CoreSim> core_;
  std::string cookie_ = "userName=admin";  // the caller every request names
};

}  // namespace nvrtest
