// Route table of the PTZ control module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "module_routes.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/5000", nullptr}, {"/5001", nullptr}, {"/5002", nullptr}, {"/5003", nullptr},
    {"/5004", nullptr}, {"/5005", nullptr}, {"/5006", nullptr}, {"/5007", nullptr},
    {"/5008", nullptr}, {"/5009", nullptr}, {"/5010", nullptr}, {"/5011", nullptr},
    {"/5012", nullptr}, {"/6050", nullptr}, {"/6051", nullptr}, {"/6052", nullptr},
    {"/6053", nullptr}, {"/6054", nullptr}, {"/6055", nullptr}, {"/6056", nullptr},
    {"/6057", nullptr},
};

}  // namespace

extern const ModuleRoutes kPtzModule = {"ptz", kRoutes, static_cast<int>(std::size(kRoutes))};
