// Small file helpers of the flash emulation: whole-file reads and atomic writes of its
// text files, never following a symbolic link.
#pragma once

#include <string>

namespace flashsim {

// Reads a regular file of at most 1 MiB. False when it is missing, a link, or larger.
[[nodiscard]] bool read_small_file(const std::string& path, std::string* out);

// Replaces `path` with `content` through a temporary file and rename, with `mode`.
[[nodiscard]] bool write_file_atomic(const std::string& path, const std::string& content,
                                     int mode = 0644);

}  // namespace flashsim
