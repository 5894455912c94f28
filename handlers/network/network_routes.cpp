// Route table of the network services module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "module_routes.h"
#include "network/network_record.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/7000", nullptr}, {"/7001", nullptr}, {"/7010", nullptr}, {"/7011", nullptr},
    {"/7020", nullptr}, {"/7021", nullptr}, {"/7030", nullptr}, {"/7031", nullptr},
    {"/7032", nullptr}, {"/7033", nullptr}, {"/7034", nullptr}, {"/7040", nullptr},
    {"/7041", nullptr}, {"/7042", nullptr}, {"/7043", nullptr}, {"/7044", nullptr},
    {"/7050", nullptr}, {"/7051", nullptr}, {"/7060", nullptr}, {"/7061", nullptr},
    {"/7062", nullptr}, {"/7070", nullptr}, {"/7071", nullptr}, {"/7080", nullptr},
    {"/7081", nullptr}, {"/7082", nullptr}, {"/7083", nullptr}, {"/7084", nullptr},
    {"/7085", nullptr}, {"/7086", nullptr}, {"/7087", nullptr}, {"/7089", nullptr},
    {"/7090", nullptr}, {"/7091", nullptr}, {"/7092", nullptr}, {"/7093", nullptr},
    {"/7094", nullptr}, {"/7095", nullptr}, {"/7096", nullptr},
};

constexpr const RecordKind* kKinds[] = {&kNetworkKind};

}  // namespace

extern const ModuleRoutes kNetworkModule = {"network", kRoutes,
                                            static_cast<int>(std::size(kRoutes)), kKinds};
