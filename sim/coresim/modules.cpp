// The modules whose answers coresim knows, in the order their rules are read.
#include "modules.h"

namespace {
const CoreModule* const kModules[] = {&kCoreSystem, &kCoreEvent, &kCoreRecord,
                                      &kCoreCamera, &kCorePtz,   &kCoreAlarm};
}  // namespace

std::span<const CoreModule* const> coresim_modules() {
  return kModules;
}

bool load_builtin_rules(RuleSet& rules, std::string& error) {
  if (!parse_scenario(kDefaultScenario, rules, error)) {
    error = "built-in rules: " + error;
    return false;
  }
  for (const CoreModule* m : coresim_modules()) {
    if (!parse_scenario(m->rules, rules, error)) {
      error = "built-in rules of " + std::string(m->name) + ": " + error;
      return false;
    }
  }
  return true;
}
