// MTD access for update: the kernel's MTD user interface on the board, the flash
// emulation under NVR_ROOT (see mtd.h).
#include "mtd.h"

#include <fcntl.h>
#include <mtd/mtd-user.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>

#include "flash_model.h"
#include "nvr_root.h"

namespace {

// Open emulated devices by handle; the handle is the backing file's descriptor.
std::map<int, std::unique_ptr<flashsim::FlashDevice>>& emulated_devices() {
  static std::map<int, std::unique_ptr<flashsim::FlashDevice>> devices;
  return devices;
}

flashsim::FlashDevice* emulated(int fd) {
  auto& devices = emulated_devices();
  auto it = devices.find(fd);
  return it == devices.end() ? nullptr : it->second.get();
}

int real_erase_ioctl(int fd, unsigned long request, uint32_t start, uint32_t length) {
  erase_info_user range{start, length};
  return ioctl(fd, request, &range);
}

}  // namespace

int mtd_open(const char* device, int flags) {
  if (device == nullptr) {
    errno = EFAULT;
    return -1;
  }
  if (!nvr_emulated()) return ::open(device, flags | O_CLOEXEC);
  if (nvr_root_is_host()) {
    errno = EPERM;
    return -1;
  }
  std::unique_ptr<flashsim::FlashDevice> dev = flashsim::FlashDevice::open(nvr_path(device), flags);
  if (!dev) return -1;
  int fd = dev->fd();
  emulated_devices()[fd] = std::move(dev);
  return fd;
}

int mtd_close(int fd) {
  auto& devices = emulated_devices();
  auto it = devices.find(fd);
  if (it == devices.end()) return ::close(fd);
  devices.erase(it);  // the device closes its descriptor
  return 0;
}

int mtd_get_info(int fd, MtdInfo* info) {
  if (flashsim::FlashDevice* dev = emulated(fd)) {
    const flashsim::Geometry& g = dev->geometry();
    info->type = g.type;
    info->flags = 0;
    info->size = static_cast<uint32_t>(g.size);
    info->erasesize = g.erasesize;
    info->writesize = g.writesize;
    info->oobsize = g.oobsize;
    return 0;
  }
  mtd_info_user raw{};
  if (ioctl(fd, MEMGETINFO, &raw) != 0) return -1;
  info->type = raw.type;
  info->flags = raw.flags;
  info->size = raw.size;
  info->erasesize = raw.erasesize;
  info->writesize = raw.writesize;
  info->oobsize = raw.oobsize;
  return 0;
}

int mtd_erase(int fd, uint32_t start, uint32_t length) {
  if (flashsim::FlashDevice* dev = emulated(fd)) return dev->erase(start, length);
  return real_erase_ioctl(fd, MEMERASE, start, length);
}

int mtd_get_bad_block(int fd, int64_t offset) {
  if (offset < 0) {
    errno = EINVAL;
    return -1;
  }
  if (flashsim::FlashDevice* dev = emulated(fd)) return dev->is_bad(static_cast<uint64_t>(offset));
  loff_t at = offset;
  return ioctl(fd, MEMGETBADBLOCK, &at);
}

int mtd_set_bad_block(int fd, int64_t offset) {
  if (offset < 0) {
    errno = EINVAL;
    return -1;
  }
  if (flashsim::FlashDevice* dev = emulated(fd))
    return dev->mark_bad(static_cast<uint64_t>(offset));
  loff_t at = offset;
  return ioctl(fd, MEMSETBADBLOCK, &at);
}

int mtd_lock(int fd, uint32_t start, uint32_t length) {
  if (flashsim::FlashDevice* dev = emulated(fd)) return dev->set_locked(start, length, true);
  return real_erase_ioctl(fd, MEMLOCK, start, length);
}

int mtd_unlock(int fd, uint32_t start, uint32_t length) {
  if (flashsim::FlashDevice* dev = emulated(fd)) return dev->set_locked(start, length, false);
  return real_erase_ioctl(fd, MEMUNLOCK, start, length);
}

ssize_t mtd_pread(int fd, void* buf, size_t count, off_t offset) {
  if (flashsim::FlashDevice* dev = emulated(fd)) {
    if (offset < 0) {
      errno = EINVAL;
      return -1;
    }
    return dev->read(buf, count, static_cast<uint64_t>(offset));
  }
  return ::pread(fd, buf, count, offset);
}

ssize_t mtd_pwrite(int fd, const void* buf, size_t count, off_t offset) {
  if (flashsim::FlashDevice* dev = emulated(fd)) {
    if (offset < 0) {
      errno = EINVAL;
      return -1;
    }
    return dev->program(buf, count, static_cast<uint64_t>(offset));
  }
  return ::pwrite(fd, buf, count, offset);
}

ssize_t mtd_read(int fd, void* buf, size_t count) {
  if (emulated(fd) == nullptr) return ::read(fd, buf, count);
  off_t at = ::lseek(fd, 0, SEEK_CUR);
  if (at < 0) return -1;
  ssize_t n = mtd_pread(fd, buf, count, at);
  if (n > 0) ::lseek(fd, at + n, SEEK_SET);
  return n;
}

ssize_t mtd_write(int fd, const void* buf, size_t count) {
  if (emulated(fd) == nullptr) return ::write(fd, buf, count);
  off_t at = ::lseek(fd, 0, SEEK_CUR);
  if (at < 0) return -1;
  ssize_t n = mtd_pwrite(fd, buf, count, at);
  if (n > 0) ::lseek(fd, at + n, SEEK_SET);
  return n;
}

off_t mtd_seek(int fd, off_t offset, int whence) {
  return ::lseek(fd, offset, whence);
}
