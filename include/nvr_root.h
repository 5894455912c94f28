// Where the programs find the recorder's file system.
//
// On the board every path is used as it stands. Everywhere else (tests, the demo)
// NVR_ROOT names a private folder and every absolute path the programs use -- files,
// devices, the core socket, the store, programs run through the shell -- is resolved
// under it. Unset, empty or "/" means the real root.
//
// Convention: code that names a system path (a string constant such as
// "/mnt/nand/cgi_log.txt") resolves it with nvr_path() at that point; utilities that
// receive a path from their caller use it as given.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The prefix without a trailing slash; "" when paths are used as they stand.
const char* nvr_root();

// `path` resolved under the root. Relative paths are returned unchanged.
std::string nvr_path(std::string_view path);

// The same into a caller's fixed buffer. Returns false (and an empty buffer) when the
// result does not fit, so a cut path can never name another file.
[[nodiscard]] bool nvr_path_buf(std::string_view path, char* out, std::size_t size);

// The command line to hand to /bin/sh for `command`, and the PATH to run it with.
//
// With a root set, programs named by the system are looked up only under the root
// (its bin, sbin, usr/bin and usr/sbin), never on the host: an absolute first word is
// moved under the root and the shell's PATH lists only the root's folders. The plain
// file tools (mv, rm, cp, tar, unzip, ...) are taken from the host, since they only
// act on the paths they are given, which the callers resolve under the root.
struct ShellCommand {
  std::string command;
  std::string path_env;  // value for PATH; empty: leave the environment alone
};
ShellCommand nvr_shell_command(std::string_view command);
