// Route table of the storage management module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "module_routes.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/6100", nullptr}, {"/6101", nullptr}, {"/6102", nullptr}, {"/6103", nullptr},
    {"/6104", nullptr}, {"/6105", nullptr}, {"/6106", nullptr}, {"/6107", nullptr},
    {"/6108", nullptr}, {"/6109", nullptr}, {"/6200", nullptr}, {"/6201", nullptr},
    {"/6202", nullptr}, {"/6203", nullptr}, {"/6204", nullptr}, {"/6205", nullptr},
    {"/6206", nullptr}, {"/6207", nullptr}, {"/6208", nullptr}, {"/6209", nullptr},
    {"/6210", nullptr}, {"/6220", nullptr}, {"/6221", nullptr}, {"/6222", nullptr},
    {"/6223", nullptr}, {"/6224", nullptr}, {"/6225", nullptr}, {"/6226", nullptr},
    {"/6227", nullptr},
};

}  // namespace

extern const ModuleRoutes kStorageModule = {"storage", kRoutes,
                                            static_cast<int>(std::size(kRoutes))};
