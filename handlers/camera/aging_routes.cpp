// Route table of the aging quick settings module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "module_routes.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/3300", nullptr}, {"/3301", nullptr}, {"/3302", nullptr},
    {"/3303", nullptr}, {"/3304", nullptr},
};

}  // namespace

extern const ModuleRoutes kAgingModule = {"aging", kRoutes, static_cast<int>(std::size(kRoutes))};
