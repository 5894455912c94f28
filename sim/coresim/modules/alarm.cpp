// coresim's answers for the alarm module: its built-in rules and named builders.
#include "modules.h"

namespace {

constexpr int kCameraInputs = 4;
constexpr int kCameraOutputs = 2;

std::int32_t request_channel(std::span<const std::uint8_t> request) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4 && i < request.size(); ++i)
    v |= static_cast<std::uint32_t>(request[i]) << (8 * i);
  return static_cast<std::int32_t>(v);
}

// 8298: a camera with one alarm input, enabled, normally open, idle.
std::vector<std::uint8_t> camera_alarm_inputs(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, request_channel(request));
  for (int i = 0; i < kCameraInputs; ++i) put_i32(out, i == 0 ? 1 : 0);  // enable
  for (int i = 0; i < kCameraInputs; ++i) put_i32(out, 0);               // type
  for (int i = 0; i < kCameraInputs; ++i) put_i32(out, 0);               // status
  put_i32(out, 1);
  return out;
}

// 8296: a camera with one alarm output, normally open, released.
std::vector<std::uint8_t> camera_alarm_outputs(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, request_channel(request));
  for (int i = 0; i < kCameraOutputs; ++i) put_i32(out, 0);  // type
  for (int i = 0; i < kCameraOutputs; ++i) put_i32(out, 0);  // status
  put_i32(out, 1);
  return out;
}

constexpr NamedBuilder kBuilders[] = {
    {"camera_alarm_inputs", camera_alarm_inputs,
     "8298: the asked channel's camera with one enabled, idle alarm input"},
    {"camera_alarm_outputs", camera_alarm_outputs,
     "8296: the asked channel's camera with one released alarm output"},
};

}  // namespace

extern const CoreModule kCoreAlarm = {"alarm", R"(# alarm module
# The alarm contacts of a camera.
3296 builder=camera_alarm_outputs
3298 builder=camera_alarm_inputs
# Change notices: recorder input, output, manual output trigger, input linkage, camera
# inputs and outputs.
1404 silent
1405 silent
1409 silent
1415 silent
1417 silent
1418 silent
# Camera contact settings and manual camera output state, sent without waiting.
3324 silent
3325 silent
3352 silent
)",
                                      kBuilders};
