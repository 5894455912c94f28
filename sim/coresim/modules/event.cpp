// coresim's answers for the event module: its built-in rules and named builders.
#include "modules.h"

extern const CoreModule kCoreEvent = {"event", R"(# event module
)", {}};
