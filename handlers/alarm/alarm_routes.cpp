// Route table of the alarm inputs and outputs module.
#include "alarm/alarm_handlers.h"
#include "alarm/alarm_ipc.h"
#include "alarm/alarm_store.h"
#include "module_routes.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/6020", on_get_alarm_outputs},       {"/6021", on_get_alarm_output},
    {"/6022", on_set_alarm_output},        {"/6023", on_trigger_alarm_output},
    {"/6024", on_get_camera_alarm_input},  {"/6025", on_set_camera_alarm_input},
    {"/6026", on_get_nvr_alarm_input},     {"/6027", on_set_nvr_alarm_input},
    {"/6028", on_get_camera_alarm_output}, {"/6029", on_set_camera_alarm_output},
    {"/6032", on_get_all_alarmout_names},  {"/6033", on_set_camera_alarm_output_state},
    {"/6034", on_get_all_alarmin_names},   {"/6060", on_get_alarm_inputs},
    {"/6061", on_get_alarm_input},         {"/6062", on_set_alarm_input},
    {"/6063", on_set_alarm_input_basic},   {"/6064", on_set_alarm_input_params},
};

constexpr const RecordKind* kKinds[] = {&kAlarmInKind,           &kAlarmDisarmingKind,
                                        &kAlarmOutKind,          &kCameraAlarmInEventKind,
                                        &kCameraAlarmInNameKind, &kCameraAlarmOutKind};
constexpr int kLogParams[] = {kLogParamAlarmIn, kLogParamAlarmOut};

}  // namespace

extern const ModuleRoutes kAlarmModule = {"alarm", kRoutes,    static_cast<int>(std::size(kRoutes)),
                                          kKinds,  kLogParams, AlarmRouter::kTables};
