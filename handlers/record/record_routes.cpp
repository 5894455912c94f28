// Route table of the recording schedules module.
#include "module_routes.h"
#include "record/record_handlers.h"
#include "record/record_ipc.h"
#include "record/record_store.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/6030", on_get_holiday_info},   {"/6031", on_set_holiday_info},
    {"/6040", on_get_record_info},    {"/6041", on_set_record_info},
    {"/6042", on_get_record_modes},   {"/6043", on_set_record_modes},
    {"/6044", on_get_record_params},  {"/6045", on_set_record_params},
    {"/6046", on_get_record_support}, {"/6047", on_get_record_primary_secondary},
};

constexpr const RecordKind* kKinds[] = {&kHolidayKind, &kRecordSettingsKind, &kRecordScheduleKind};
constexpr int kLogParams[] = {kLogParamRecordModes, kLogParamRecordParams, kLogParamRecordSchedule,
                              kLogParamHoliday};

}  // namespace

extern const ModuleRoutes kRecordModule = {
    "record", kRoutes,    static_cast<int>(std::size(kRoutes)),
    kKinds,   kLogParams, RecordRouter::kTables};
