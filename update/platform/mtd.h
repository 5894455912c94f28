// The recorder's raw flash as update uses it: the Linux MTD character devices
// ("/dev/mtdN") and their ioctls, behind one small interface with two backends.
//
// On the board (no NVR_ROOT) every call is the system call or ioctl it names. With
// NVR_ROOT set, the device names resolve under the root and the calls go to the flash
// emulation (sim/flash/flash_model.h), which keeps the chips' rules: erase whole blocks
// to 0xFF, program only 1 -> 0 and whole NAND pages, bad blocks on NAND, lock bits on
// NOR, injected faults and power cuts. The emulation opens nothing but regular files and
// refuses a root that is the host's "/", so it can never reach a host device.
//
// Every function returns what the call it stands for returns: 0 (or a count) on
// success, -1 with errno set on failure. A handle is a file descriptor number; close it
// with mtd_close, never with close(2).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

inline constexpr uint8_t kMtdNorFlash = 3;   // MTD_NORFLASH
inline constexpr uint8_t kMtdNandFlash = 4;  // MTD_NANDFLASH

// MEMGETINFO's answer, the fields update reads.
struct MtdInfo {
  uint8_t type = 0;
  uint32_t flags = 0;
  uint32_t size = 0;       // partition size in bytes
  uint32_t erasesize = 0;  // erase-block size
  uint32_t writesize = 0;  // page size (1 on NOR)
  uint32_t oobsize = 0;    // spare bytes per page
};

// Opens the device the system names `device` ("/dev/mtd4") with open(2) flags.
int mtd_open(const char* device, int flags);
int mtd_close(int fd);

int mtd_get_info(int fd, MtdInfo* info);                 // MEMGETINFO
int mtd_erase(int fd, uint32_t start, uint32_t length);  // MEMERASE: whole erase blocks
int mtd_get_bad_block(int fd, int64_t offset);           // MEMGETBADBLOCK: 1 bad, 0 good
int mtd_set_bad_block(int fd, int64_t offset);           // MEMSETBADBLOCK
// MEMLOCK / MEMUNLOCK: NOR needs an unlocked block to erase or program it; NAND
// devices answer EOPNOTSUPP, which callers that lock around every write ignore.
int mtd_lock(int fd, uint32_t start, uint32_t length);
int mtd_unlock(int fd, uint32_t start, uint32_t length);

ssize_t mtd_pread(int fd, void* buf, size_t count, off_t offset);
// On NAND, offset and count must be whole pages (EINVAL otherwise).
ssize_t mtd_pwrite(int fd, const void* buf, size_t count, off_t offset);
// Sequential access at the handle's position, as read(2), write(2) and lseek(2).
ssize_t mtd_read(int fd, void* buf, size_t count);
ssize_t mtd_write(int fd, const void* buf, size_t count);
off_t mtd_seek(int fd, off_t offset, int whence);
