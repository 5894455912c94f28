// Route table of the PTZ control module, and its registry: the tour, port and speed kinds,
// the log parameter type of its changes and its answer table.
#include "module_routes.h"
#include "ptz/ptz_handlers.h"
#include "ptz/ptz_ipc.h"
#include "ptz/ptz_store.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/5000", on_send_ptz_cmd},        {"/5001", on_preset_op},
    {"/5002", on_set_ptz_tour_run},    {"/5003", on_set_ptz_tour_stop},
    {"/5004", on_set_ptz_pattern},     {"/5005", on_get_ptz_info},
    {"/5006", on_set_ptz_preset_call}, {"/5007", on_set_ptz_zomm},
    {"/5008", on_set_ipc_speed},       {"/5009", on_cgi_set_ptz_control},
    {"/5010", on_cgi_get_led_status},  {"/5011", on_cgi_get_ptz_basic},
    {"/5012", on_cgi_set_ptz_basic},   {"/6050", on_get_ptzport_info},
    {"/6051", on_set_ptzport_info},    {"/6052", on_get_ptzsupport_info},
    {"/6053", on_get_ptz_speed},       {"/6054", on_set_ptz_speed},
    {"/6055", on_set_ptz_tour_set},    {"/6056", on_set_fish_ptz_tour_set},
    {"/6057", on_set_ptz_tour_clear},
};

constexpr const RecordKind* kKinds[] = {&kPtzTourTableKind, &kPtzPortKind, &kPtzSpeedKind};
// Movement requests log the general parameter type 900, which belongs to no module.
constexpr int kLogParams[] = {kLogParamPtz};

}  // namespace

extern const ModuleRoutes kPtzModule = {"ptz",  kRoutes,    static_cast<int>(std::size(kRoutes)),
                                        kKinds, kLogParams, PtzRouter::kTables};
