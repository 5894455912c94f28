// The emulated recorder flash: one MTD partition is a regular file holding its bytes,
// with a side file "<device>.flash" beside it giving the geometry, the bad-block table,
// the NOR lock bits and the faults to inject.
//
// The model keeps the rules of real chips so that code written against it behaves on
// the board: erase works on whole erase blocks and sets 0xFF; programming can only turn
// 1 bits into 0 (the stored byte is old AND new, so programming over unerased data reads
// back wrong); NAND programs whole pages only and refuses to erase or program a bad
// block; NOR refuses to erase or program a locked block; bad-block marks and lock bits
// persist in the side file.
//
// Side file: text lines "key value" ('#' starts a comment; numbers in decimal or 0x hex):
//   type N            3 = NOR, 4 = NAND
//   erasesize N       erase-block size in bytes; the partition size is the file's size
//   writesize N       page size (NAND) or 1 (NOR)
//   oobsize N         spare bytes per page, reported only
//   bad B             block B is bad (factory mark, or marked by MEMSETBADBLOCK)
//   locked B          NOR block B is locked (MEMLOCK / MEMUNLOCK)
//   erase_fail B      erasing block B fails with EIO
//   program_fail P    programming page P fails with EIO, the page is left as it was
//   bit_flip P        programming page P succeeds but one bit is stored inverted
//   grow_bad B        block B goes bad at its first program: the page keeps its old bytes
//                     (the read-back differs) and B enters the bad-block table; one-shot
//   eraseall_fail 1   the stand-in "flash_eraseall" fails on this partition
//   power_cut_after K the K-th mutating operation on this partition in a process is torn
//                     and the process is killed at once; one-shot (removed when it fires)
// Pages and blocks are counted from the start of the partition. Mutating operations are
// the erase of one block, the program of one page (NAND) or of one write call (NOR), and
// the marking of a bad block. NVR_FLASH_POWER_CUT=K in the environment does the same over
// all partitions of the process. NVR_FLASH_TRACE=FILE appends one line per mutating
// operation to FILE: "PID PROCESS_OP PARTITION OPERATION PARTITION_OP" (the process's
// operation number as NVR_FLASH_POWER_CUT counts it, the backing file, "erase", "program"
// or "mark_bad", and the partition's number as power_cut_after counts it), so that a
// sweep can list every cut point of a run first. A torn program stores the first half of
// the page, a torn erase sets the first half of the block to 0xFF, a torn bad-block mark
// is not recorded.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>

namespace flashsim {

inline constexpr uint8_t kNorFlash = 3;  // as the MTD layer reports the types
inline constexpr uint8_t kNandFlash = 4;

struct Geometry {
  uint8_t type = kNandFlash;
  uint64_t size = 0;  // partition size in bytes (the backing file's size)
  uint32_t erasesize = 0;
  uint32_t writesize = 0;
  uint32_t oobsize = 0;
};

// Everything a side file holds.
struct SideFile {
  Geometry geometry;  // size is not stored; it comes from the backing file
  std::set<uint64_t> bad;
  std::set<uint64_t> locked;
  std::set<uint64_t> erase_fail;
  std::set<uint64_t> program_fail;
  std::set<uint64_t> bit_flip;
  std::set<uint64_t> grow_bad;
  bool eraseall_fail = false;
  uint64_t power_cut_after = 0;  // 0: none
};

// "<device>.flash" for a backing file.
std::string side_file_path(const std::string& device_path);

// Reads a side file. False, with a one-line reason in `error`, when it is missing,
// not a regular file, or holds an unknown key or a bad number.
[[nodiscard]] bool load_side_file(const std::string& path, SideFile* out, std::string* error);

// Writes a side file atomically (temporary file and rename). False on any failure.
[[nodiscard]] bool save_side_file(const std::string& path, const SideFile& side);

// The exit signal of a process stopped by an injected power cut.
inline constexpr int kPowerCutSignal = 9;  // SIGKILL: nothing runs after it

struct DeviceState;

// One open emulated partition. The results follow the system calls they stand in for:
// 0 or a count on success, -1 with errno set on failure.
class FlashDevice {
 public:
  // Opens the backing file `path` (a full host path) with open(2)-style `flags`.
  // Refuses (errno ENODEV) anything that is not a regular file -- a device node or a
  // symbolic link -- and a file whose side file is missing or invalid (errno EINVAL,
  // the reason in `error` when given).
  static std::unique_ptr<FlashDevice> open(const std::string& path, int flags,
                                           std::string* error = nullptr);
  ~FlashDevice();
  FlashDevice(const FlashDevice&) = delete;
  FlashDevice& operator=(const FlashDevice&) = delete;

  int fd() const { return fd_; }
  const Geometry& geometry() const;
  const SideFile& side() const;

  // MEMERASE: [start, start + length) must be whole erase blocks inside the partition.
  int erase(uint64_t start, uint64_t length);
  // Programs `count` bytes at `offset`; NAND needs whole pages. Returns the count.
  ssize_t program(const void* data, size_t count, uint64_t offset);
  // Reads like pread(2): 0 at or past the end.
  ssize_t read(void* data, size_t count, uint64_t offset);
  // MEMGETBADBLOCK: 1 bad, 0 good (always 0 on NOR).
  int is_bad(uint64_t offset);
  // MEMSETBADBLOCK: NAND only (EOPNOTSUPP on NOR).
  int mark_bad(uint64_t offset);
  // MEMLOCK / MEMUNLOCK: NOR only (EOPNOTSUPP on NAND), whole erase blocks.
  int set_locked(uint64_t start, uint64_t length, bool locked);

 private:
  FlashDevice(int fd, bool writable, std::shared_ptr<DeviceState> state);
  [[nodiscard]] bool writable_or_errno() const;
  int fd_;
  bool writable_;
  std::shared_ptr<DeviceState> state_;
};

// Starts the count of NVR_FLASH_POWER_CUT over (a test's forked child inherits its
// parent's count).
void reset_operation_count();

// Erases every good block of a partition, as "flash_eraseall" does; bad blocks are
// skipped with a line on standard output. 0, or -1 after a message on standard error.
int erase_all(const std::string& path);

}  // namespace flashsim
