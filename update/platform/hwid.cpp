// Hardware identifications of the board (see hwid.h).
#include "hwid.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "board.h"
#include "nvr_root.h"

namespace {

// Only a build for the board reaches for "/dev/mem" and the I2C node: on any other
// machine the physical address is someone else's memory, and writing the MDIO command
// word there could do anything.
#ifdef NVR_BOARD_BUILD
constexpr bool kBoardBuild = true;
#else
constexpr bool kBoardBuild = false;
#endif

// MDIO controller of the SoC.
constexpr off_t kMdioBase = 0xF9841000;
constexpr size_t kMdioMapSize = 1024;
constexpr size_t kMdioCommand = 0x3C0;   // bit 20: busy
constexpr size_t kMdioReadData = 0x3C4;  // data in bits 31-16
constexpr size_t kMdioStatus = 0x3D0;    // bit 0: the read failed
constexpr uint32_t kMdioBusy = 1u << 20;
constexpr uint32_t kMdioReadCommand = 0x00120000;
constexpr uint32_t kPhyAddress = 4;
constexpr uint32_t kPhyIdRegister = 2;

uint32_t reg_read(volatile uint8_t* base, size_t offset) {
  return *reinterpret_cast<volatile uint32_t*>(base + offset);
}
void reg_write(volatile uint8_t* base, size_t offset, uint32_t value) {
  *reinterpret_cast<volatile uint32_t*>(base + offset) = value;
}

[[nodiscard]] bool wait_not_busy(volatile uint8_t* base, int polls, useconds_t pause) {
  for (int i = 0; i < polls; ++i) {
    if ((reg_read(base, kMdioCommand) & kMdioBusy) == 0) return true;
    usleep(pause);
  }
  return false;
}

int real_phy_id() {
  int fd = open("/dev/mem", O_RDWR | O_SYNC | O_CLOEXEC);
  if (fd < 0) {
    std::printf("Fail to open /dev/mem fd=%08x\n", static_cast<unsigned>(fd));
    return -1;
  }
  void* map = mmap(nullptr, kMdioMapSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, kMdioBase);
  if (map == MAP_FAILED) {
    std::printf("mmap phyaddr %#x failed ! \n", static_cast<unsigned>(kMdioBase));
    close(fd);
    return -1;
  }
  auto* base = static_cast<volatile uint8_t*>(map);
  int result = -1;
  if (wait_not_busy(base, 999, 10)) {
    reg_write(base, kMdioCommand, 0);
    reg_write(base, kMdioCommand, kMdioReadCommand | (kPhyAddress << 8) | kPhyIdRegister);
    bool done = wait_not_busy(base, 999, 10);
    for (int retry = 0; !done && retry < 100; ++retry) {
      usleep(5000);
      done = wait_not_busy(base, 999, 10);
    }
    if (!done || (reg_read(base, kMdioStatus) & 1u) != 0)
      result = 0;
    else
      result = static_cast<int>(reg_read(base, kMdioReadData) >> 16);
  }
  munmap(map, kMdioMapSize);
  close(fd);
  return result;
}

// The I2C driver's read request, fields in the driver's order.
struct I2cRequest {
  unsigned int bus;
  unsigned int device_address;
  unsigned int register_address;
  unsigned int register_address_length;
  unsigned char* data;
  unsigned int data_length;
};
constexpr unsigned long kI2cReadRequest = 0x40045301;

int real_poe_id() {
  int fd = open("/dev/hi_i2c", O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    std::printf("open file fail");
    return 0;
  }
  unsigned char value = 0;
  I2cRequest request{2, 0x40, 0x43, 1, &value, 1};
  if (ioctl(fd, kI2cReadRequest, &request) < 0) value = 0;
  close(fd);
  return value;
}

}  // namespace

int hw_read_phy_id() {
  if (!nvr_emulated()) return kBoardBuild ? real_phy_id() : -1;
  flashsim::BoardSettings board;
  if (!flashsim::load_board_settings(nvr_root(), &board) || !board.has_phy_id) return -1;
  return board.phy_id;
}

int hw_read_poe_id() {
  if (!nvr_emulated()) return kBoardBuild ? real_poe_id() : 0;
  flashsim::BoardSettings board;
  if (!flashsim::load_board_settings(nvr_root(), &board) || !board.has_poe_id) return 0;
  return board.poe_id;
}
