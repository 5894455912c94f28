// What each handler module teaches coresim: its built-in rules (scenario text, added
// after the general ones) and its named payload builders. One file per module under
// modules/, listed once in modules.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "builders.h"
#include "scenario.h"

struct CoreModule {
  std::string_view name;
  std::string_view rules;  // scenario lines (scenario.h)
  std::span<const NamedBuilder> builders;
};

extern const CoreModule kCoreSystem;
extern const CoreModule kCoreEvent;
extern const CoreModule kCoreRecord;
extern const CoreModule kCoreCamera;
extern const CoreModule kCorePtz;
extern const CoreModule kCoreAlarm;

std::span<const CoreModule* const> coresim_modules();

// The general built-in rules followed by every module's rules. False (with the error) when
// a built-in rule does not parse.
[[nodiscard]] bool load_builtin_rules(RuleSet& rules, std::string& error);

// ---- The operation log coresim keeps ----
// Every operation log record the programs send (3485, 3509) is kept, stamped with the time
// it arrived, so that a log search or export answers with the demo's own logins and
// changes (modules/system.cpp).
void coresim_keep_log(std::uint32_t type, std::span<const std::uint8_t> payload);
