// Runs a call of update's code with standard output and error captured, for tests that
// compare the exact texts.
#pragma once

#include <string>

#include <gtest/gtest.h>

struct Outcome {
  int result;
  std::string out, err;
};

template <typename Call>
Outcome capture(Call&& call) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int result = call();
  std::string out = testing::internal::GetCapturedStdout();
  return {result, out, testing::internal::GetCapturedStderr()};
}
