// coresim's answer rules and the scenario text that describes them.
//
// One rule per line, '#' starts a comment:
//
//   TYPE silent                       journal the request, never answer
//   TYPE STEP [then STEP]...          answer with each step in turn
//
// A step is a list of options (all optional):
//   answer=N     answer type (first step: TYPE + 5000; later steps: the previous step's)
//   delay_ms=N   wait before sending this step (0..600000)
//   repeat=N     send this step's answer N times (1..1000)
//   hex=HEX      payload bytes; "hex=" is an empty (null) payload
//   builder=NAME payload from a named builder (builders.h), given the request payload
//   magic=N      header magic to send instead of the right one (fault tests)
//   length=N     payload length to claim in the header instead of the real one
// A step without hex or builder has an empty payload. Numbers are decimal or 0x hex.
//
// Examples:
//   3504 answer=8504 delay_ms=0 hex=00000000
//   3504 builder=status_ok
//   3485 silent
//   4012 repeat=3 hex=01000000
//   3360 hex=00000000 then delay_ms=50 hex=01000000
//
// A rule replaces any earlier rule for the same type, so a scenario file overrides the
// built-in defaults; a type without a rule is journaled and not answered.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct AnswerStep {
  std::uint32_t answer_type = 0;
  std::uint32_t delay_ms = 0;
  std::uint32_t repeat = 1;
  std::vector<std::uint8_t> payload;  // used when builder is empty
  std::string builder;
  std::optional<std::uint32_t> magic;
  std::optional<std::uint32_t> length;
};

struct Rule {
  std::uint32_t type = 0;
  bool silent = false;
  std::vector<AnswerStep> steps;
};

using RuleSet = std::map<std::uint32_t, Rule>;

// Adds the rules of `text` to `rules`, replacing rules of the same type. On a malformed
// line returns false, leaves `rules` unchanged and describes the fault in `error`
// ("line N: ...").
[[nodiscard]] bool parse_scenario(std::string_view text, RuleSet& rules, std::string& error);

// The built-in rules: every waited request of the handlers built so far is answered.
extern const char kDefaultScenario[];
