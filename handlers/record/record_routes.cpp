// Route table of the recording schedules module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "module_routes.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/6030", nullptr},
    {"/6031", nullptr},
    {"/6040", nullptr},
    {"/6041", nullptr},
    {"/6042", nullptr},
    {"/6043", nullptr},
    {"/6044", nullptr},
    {"/6045", nullptr},
    {"/6046", nullptr},
    {"/6047", nullptr},
};

}  // namespace

extern const ModuleRoutes kRecordModule = {"record", kRoutes, static_cast<int>(std::size(kRoutes))};
