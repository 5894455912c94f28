// A test of in-process answer handling: the response writers write into a temporary file
// instead of standard output, and each test starts a fresh core exchange. For tests that
// link the front end and the core link.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cgi.h"
#include "cgi_ipc.h"

namespace nvrtest {

class AnswerCapture : public ::testing::Test {
 protected:
  void SetUp() override {
    out_ = std::tmpfile();
    ASSERT_NE(out_, nullptr);
    cgiOut = out_;
    cgi_ipc_begin_exchange();
  }
  void TearDown() override {
    cgiOut = nullptr;
    if (out_ != nullptr) std::fclose(out_);
    out_ = nullptr;
  }
  // Empties the captured output and starts a new exchange (one row of a table).
  void fresh() {
    TearDown();
    SetUp();
  }
  // Everything written since the last fresh start.
  std::string output() {
    std::fflush(out_);
    std::rewind(out_);
    std::string s;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, out_)) > 0) s.append(buf, n);
    return s;
  }
  FILE* out_ = nullptr;
};

}  // namespace nvrtest
