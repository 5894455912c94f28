// coresim's answers for the camera module: its built-in rules and named builders.
#include "modules.h"

extern const CoreModule kCoreCamera = {"camera", R"(# camera module
)", {}};
