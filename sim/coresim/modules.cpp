// The modules whose answers coresim knows, in the order their rules are read.
#include "modules.h"

namespace {
const CoreModule* const kModules[] = {&kCoreSystem, &kCoreEvent, &kCoreRecord, &kCoreCamera};
}  // namespace

std::span<const CoreModule* const> coresim_modules() { return kModules; }
