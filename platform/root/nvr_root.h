// Where the programs find the recorder's file system.
//
// On the board every path is used as it stands. Everywhere else (tests, the demo, the
// flash emulation of update) NVR_ROOT names a private folder and every absolute path the
// programs use -- files, devices, the core socket, the store, programs run through the
// shell (see nvr_shell.h) -- is resolved under it. Unset, empty or "/" means the real
// root.
//
// The variable is read on every call: one getenv, cheaper than anything done with the
// path, and tests may change it between cases.
//
// Convention: code that names a system path (a string constant such as
// "/mnt/nand/cgi_log.txt") resolves it with nvr_path() at that point; utilities that
// receive a path from their caller use it as given.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The prefix without trailing slashes; "" when paths are used as they stand.
std::string nvr_root();

// True when NVR_ROOT names a folder, so that the programs work on files laid out there
// (update: on the flash emulation) instead of the board's.
bool nvr_emulated();

// `path` resolved under the root. Relative paths are returned unchanged.
std::string nvr_path(std::string_view path);

// The same into a caller's fixed buffer. Returns false (and an empty buffer) when the
// result does not fit, so a cut path can never name another file.
[[nodiscard]] bool nvr_path_buf(std::string_view path, char* out, std::size_t size);

// True when the root, once symbolic links and dot segments are resolved, is the host's
// own "/" although NVR_ROOT did not say so literally ("/tmp/..", "//."): code that would
// take the host's devices for emulated ones refuses to run there.
bool nvr_root_is_host();
