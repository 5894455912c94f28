// webcgi: one process per HTTP request of the recorder's web API.
#include "cgi.h"
#include "webres.h"

namespace {

// The module tables are registered before main and unregistered after it, in the
// fixed module order; one object does both so that the order never depends on how
// the linker arranges static constructors.
struct ModuleRegistration {
  ModuleRegistration() { register_module_routes(); }
  ~ModuleRegistration() { unregister_module_routes(); }
};
ModuleRegistration g_registration;

}  // namespace

int main() {
  return cgi_main();
}
