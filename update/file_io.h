// Whole transfers on file descriptors: reads and writes that go on after short counts
// and interrupted calls, as every copy of update needs.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

// Reads until `size` bytes or the end of the file; the count read, or -1 on an error.
ssize_t read_full(int fd, uint8_t* data, size_t size);

// Writes all of `data`. False on an error.
[[nodiscard]] bool write_all(int fd, const uint8_t* data, size_t size);

// Reads until `size` bytes from `offset` on, or the end of the file; the count read, or
// -1 on an error.
ssize_t read_full_at(int fd, uint8_t* data, size_t size, uint64_t offset);
