// The route tables of the eleven handler modules, in the order in which the front end
// registers them.
#pragma once

#include <iterator>

#include "webres.h"

extern const ModuleRoutes kAgingModule;
extern const ModuleRoutes kAlarmModule;
extern const ModuleRoutes kCameraModule;
extern const ModuleRoutes kNetworkModule;
extern const ModuleRoutes kPtzModule;
extern const ModuleRoutes kRecordModule;
extern const ModuleRoutes kStatusModule;
extern const ModuleRoutes kStorageModule;
extern const ModuleRoutes kPlaybackModule;
extern const ModuleRoutes kSystemModule;
extern const ModuleRoutes kEventModule;
