// coresim's answers for the record module: its built-in rules and named builders.
#include "modules.h"

extern const CoreModule kCoreRecord = {"record", R"(# record module
)", {}};
