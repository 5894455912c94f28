// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320, initial value and final XOR
// 0xFFFFFFFF), the checksum of image records and of the boot environment.
//
// It gates every install (each record is read and checked before anything is written),
// so it is fast: table slicing by 16 everywhere; on x86-64 processors with carry-less
// multiplication a folding path chosen at run time; on ARMv8 built with the CRC
// extension, the processor's CRC-32 instructions.
#pragma once

#include <cstddef>
#include <cstdint>

// Continues the checksum `previous` over `length` bytes; start a new one from 0.
// crc32(crc32(0, a, n), b, m) equals the checksum of a followed by b.
uint32_t crc32(uint32_t previous, const void* bytes, size_t length);

// The table path alone (slicing by 16), for tests and the benchmark.
uint32_t crc32_portable(uint32_t previous, const void* bytes, size_t length);

// True when crc32() uses the carry-less-multiply path on this processor.
bool crc32_uses_clmul();
