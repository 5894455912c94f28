// Route table of the live view, playback and download module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "module_routes.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/3000", nullptr}, {"/3001", nullptr}, {"/3002", nullptr}, {"/3003", nullptr},
    {"/3004", nullptr}, {"/4000", nullptr}, {"/4001", nullptr}, {"/4002", nullptr},
    {"/4003", nullptr}, {"/4004", nullptr}, {"/4005", nullptr}, {"/4006", nullptr},
    {"/4007", nullptr}, {"/4008", nullptr}, {"/4009", nullptr}, {"/4010", nullptr},
    {"/4011", nullptr}, {"/4012", nullptr}, {"/4013", nullptr}, {"/4014", nullptr},
    {"/4015", nullptr}, {"/4016", nullptr}, {"/4017", nullptr}, {"/4018", nullptr},
    {"/4019", nullptr}, {"/4020", nullptr}, {"/4021", nullptr}, {"/4022", nullptr},
    {"/4023", nullptr}, {"/4024", nullptr}, {"/4025", nullptr}, {"/4026", nullptr},
    {"/4027", nullptr},
};

}  // namespace

extern const ModuleRoutes kPlaybackModule = {"playback", kRoutes,
                                             static_cast<int>(std::size(kRoutes))};
