// Where `update` finds the recorder's files, devices and programs.
//
// On the board every path is used as it stands. With NVR_ROOT naming a folder other
// than "/", every absolute path the tool uses is resolved under that folder, and the
// raw flash is the emulation laid out there (see sim/flash): tests and people without a
// board run the tool against files, never against the host's devices. Unset, empty or
// "/" means the real root and the real MTD devices.
//
// The variable is read on every call, so that tests can change it between cases; the
// cost is one getenv.
#pragma once

#include <string>
#include <string_view>

// The root prefix without trailing slashes; "" on the board.
std::string upd_root();

// True when the tool works on the flash emulation under upd_root().
bool upd_emulated();

// `path` resolved under the root when it is absolute; relative paths are unchanged.
std::string upd_path(std::string_view path);

// True when the root, once symbolic links and dot segments are resolved, is the host's
// own "/" although NVR_ROOT did not say so literally ("/tmp/..", "//."): the emulation
// refuses to run there, since "emulated" devices would be the host's.
bool upd_root_is_host();
