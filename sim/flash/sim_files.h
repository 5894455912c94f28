// Small file helpers of the flash emulation: whole transfers that go on after short
// reads and writes, whole-file reads and atomic writes of its text files (never through a
// symbolic link), and the numbers of its text files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace flashsim {

// Reads a regular file of at most 1 MiB. False when it is missing, a link, or larger.
[[nodiscard]] bool read_small_file(const std::string& path, std::string* out);

// Replaces `path` with `content` through a temporary file and rename, with `mode`.
[[nodiscard]] bool write_file_atomic(const std::string& path, const std::string& content,
                                     int mode = 0644);

// Exactly `count` bytes at `offset`. False on an error or an early end of file.
[[nodiscard]] bool pread_full(int fd, uint8_t* data, size_t count, uint64_t offset);
[[nodiscard]] bool pwrite_full(int fd, const uint8_t* data, size_t count, uint64_t offset);

// All of `data` at the descriptor's position. False on an error.
[[nodiscard]] bool write_full(int fd, const void* data, size_t count);

// A number in decimal or C hexadecimal ("0x4D") and nothing else; no sign.
[[nodiscard]] bool parse_number(const char* text, uint64_t* out);

}  // namespace flashsim
