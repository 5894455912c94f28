// The registration order of the module tables. C++ leaves the order of static
// constructors across files open, so this one list fixes it.
#include "module_routes.h"

const ModuleRoutes* const kModuleRoutes[11] = {
    &kAgingModule,    &kAlarmModule,  &kCameraModule, &kNetworkModule,
    &kPtzModule,      &kRecordModule, &kStatusModule, &kStorageModule,
    &kPlaybackModule, &kSystemModule, &kEventModule,
};
