/* The least a process can do for one core round trip: connect to the core socket under
 * NVR_ROOT, send one framed 3504 request with a 256-byte payload, read the answer, exit.
 * The baseline that bench/ipc/run.sh holds webcgi's messaging against. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

static void put32(unsigned char* p, uint32_t v) {
  p[0] = (unsigned char)v;
  p[1] = (unsigned char)(v >> 8);
  p[2] = (unsigned char)(v >> 16);
  p[3] = (unsigned char)(v >> 24);
}

static uint32_t get32(const unsigned char* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static int read_full(int fd, unsigned char* buf, size_t n) {
  size_t done = 0;
  while (done < n) {
    ssize_t r = read(fd, buf + done, n - done);
    if (r <= 0) return -1;
    done += (size_t)r;
  }
  return 0;
}

int main(void) {
  const char* root = getenv("NVR_ROOT");
  struct sockaddr_un addr;
  memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (snprintf(addr.sun_path, sizeof addr.sun_path, "%s/var/run/dvsocket", root ? root : "") >=
      (int)sizeof addr.sun_path)
    return 2;
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0 || connect(fd, (struct sockaddr*)&addr, sizeof addr) != 0) return 1;

  unsigned char msg[32 + 256];
  memset(msg, 0, sizeof msg);
  put32(msg, 0x4B535644);
  put32(msg + 4, (uint32_t)getpid());
  put32(msg + 8, 1);
  put32(msg + 12, 3504);
  put32(msg + 16, 1);
  put32(msg + 20, 256);
  memcpy(msg + 32, "token=abc", 9);
  if (write(fd, msg, sizeof msg) != (ssize_t)sizeof msg) return 1;

  unsigned char header[32];
  if (read_full(fd, header, sizeof header) != 0) return 1;
  uint32_t length = get32(header + 20);
  if (get32(header + 12) != 8504 || length > 4096) return 1;
  unsigned char payload[4096];
  if (read_full(fd, payload, length) != 0) return 1;
  close(fd);
  return 0;
}
