// Route table of the device status module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "module_routes.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/8000", nullptr}, {"/8001", nullptr}, {"/8002", nullptr}, {"/8003", nullptr},
    {"/8004", nullptr}, {"/8005", nullptr}, {"/8006", nullptr}, {"/8007", nullptr},
    {"/8008", nullptr}, {"/8009", nullptr}, {"/8010", nullptr}, {"/8011", nullptr},
};

}  // namespace

extern const ModuleRoutes kStatusModule = {"status", kRoutes, static_cast<int>(std::size(kRoutes))};
