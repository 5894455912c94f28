// Route table of the alarm inputs and outputs module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "module_routes.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/6020", nullptr}, {"/6021", nullptr}, {"/6022", nullptr}, {"/6023", nullptr},
    {"/6024", nullptr}, {"/6025", nullptr}, {"/6026", nullptr}, {"/6027", nullptr},
    {"/6028", nullptr}, {"/6029", nullptr}, {"/6032", nullptr}, {"/6033", nullptr},
    {"/6034", nullptr}, {"/6060", nullptr}, {"/6061", nullptr}, {"/6062", nullptr},
    {"/6063", nullptr}, {"/6064", nullptr},
};

}  // namespace

extern const ModuleRoutes kAlarmModule = {"alarm", kRoutes, static_cast<int>(std::size(kRoutes))};
