// The log library's detail packing: the detail block of an operation log record.
//
// Encoding of the 512-byte detail field (little-endian): int32 detail kind, int32 block
// length, then the block's bytes; the rest is zero. A block longer than 504 bytes is
// refused. The log search reads it back with dvfs_log_unpack_detail.
#pragma once

#include <cstddef>

struct OperationLogRecord;

inline constexpr std::size_t kLogDetailCapacity = 504;

// Packs `length` bytes of `detail` under `kind`. 0, or -1 for a null argument or a block
// that does not fit.
int dvfs_log_pack_detail(OperationLogRecord* record, int kind, const void* detail, int length);

// The kind and block of a packed detail field: the block's length, or -1 when the field
// holds no valid packing. Copies at most `capacity` bytes.
int dvfs_log_unpack_detail(const unsigned char (&field)[512], int* kind, void* out,
                           std::size_t capacity);
