// Route table of the aging quick settings module, and its registry: the service port
// record it switches SSH in (no other module declares it yet). Its requests write no log
// records and wait for no answers.
#include "camera/aging.h"
#include "module_routes.h"
#include "network/port_record.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/3300", on_set_ssh_enable},      {"/3301", on_set_auto_login},
    {"/3302", on_set_all_record_mode}, {"/3303", on_set_wizard_enable},
    {"/3304", on_set_ipc_quick},
};

constexpr const RecordKind* kKinds[] = {&kPortKind};

}  // namespace

extern const ModuleRoutes kAgingModule = {"aging", kRoutes, static_cast<int>(std::size(kRoutes)),
                                          kKinds};
