// The core-socket library stand-in: framing, one client connection per process and its
// receive thread. See dvsocket.h for the wire format.
#include "dvsocket.h"

#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "nvr_root.h"

std::uint32_t dv_load_le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void dv_store_le32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

void dv_header_words(const DvMsgHeader& h, std::uint32_t words[kDvHeaderWords]) {
  std::memcpy(words, &h, sizeof h);
}

void dv_header_encode(const DvMsgHeader& h, unsigned char out[kDvHeaderSize]) {
  std::uint32_t words[kDvHeaderWords];
  dv_header_words(h, words);
  for (int i = 0; i < kDvHeaderWords; ++i) dv_store_le32(out + 4 * i, words[i]);
}

DvMsgHeader dv_header_decode(const unsigned char in[kDvHeaderSize]) {
  std::uint32_t words[kDvHeaderWords];
  for (int i = 0; i < kDvHeaderWords; ++i) words[i] = dv_load_le32(in + 4 * i);
  DvMsgHeader h;
  std::memcpy(&h, words, sizeof h);
  return h;
}

namespace {

// Reads exactly `size` bytes. Returns the count read before the end of the stream
// (== size on success), or -1 on an error.
long read_full(int fd, unsigned char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t r = recv(fd, buffer + done, size - done, 0);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -1;
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return static_cast<long>(done);
}

}  // namespace

DvReadResult dv_read_message(int fd, DvMsgHeader& header, std::vector<unsigned char>& payload) {
  unsigned char raw[kDvHeaderSize];
  long got = read_full(fd, raw, sizeof raw);
  if (got == 0) return DvReadResult::kClosed;
  if (got != static_cast<long>(sizeof raw)) return DvReadResult::kError;
  header = dv_header_decode(raw);
  if (header.magic != kDvMagic || header.length > kDvMaxPayload) return DvReadResult::kBadFrame;
  payload.resize(header.length);
  if (header.length > 0 &&
      read_full(fd, payload.data(), header.length) != static_cast<long>(header.length))
    return DvReadResult::kError;
  return DvReadResult::kMessage;
}

bool dv_write_message(int fd, const DvMsgHeader& header, const void* payload,
                      std::size_t payload_size) {
  unsigned char raw[kDvHeaderSize];
  dv_header_encode(header, raw);
  iovec parts[2] = {{raw, sizeof raw}, {const_cast<void*>(payload), payload_size}};
  int count = payload != nullptr && payload_size > 0 ? 2 : 1;
  iovec* next = parts;
  while (count > 0) {
    msghdr msg{};
    msg.msg_iov = next;
    msg.msg_iovlen = static_cast<std::size_t>(count);
    ssize_t w = sendmsg(fd, &msg, MSG_NOSIGNAL);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    auto left = static_cast<std::size_t>(w);
    while (count > 0 && left >= next->iov_len) {
      left -= next->iov_len;
      ++next;
      --count;
    }
    if (count > 0) {
      next->iov_base = static_cast<unsigned char*>(next->iov_base) + left;
      next->iov_len -= left;
    }
  }
  return true;
}

namespace {

// How long one send may block on a core that stopped reading before the connection is
// given up (the caller's retry loop then starts afresh).
constexpr int kSendTimeoutSeconds = 5;

// The one connection of this process. init, uninit and the lazy connect of a send run
// on the handler's thread (requests are strictly sequential); the receive thread only
// reads from the descriptor and calls the callback it was started with.
struct Connection {
  std::mutex life;   // init, uninit, (re)connect
  std::mutex write;  // one message at a time on the socket
  std::atomic<int> fd{-1};
  std::atomic<bool> broken{false};
  std::thread receiver;
  std::atomic<std::thread::id> receiver_id{};
  dv_sock_callback callback = nullptr;
  std::string path;  // resolved socket path; empty after uninit

  // A handler that never closed its connection: join the thread before exit.
  ~Connection();
};

Connection& conn() {
  static Connection c;
  return c;
}

std::atomic<std::uint32_t> g_next_seq{1};

void receive_loop(Connection* c, int fd, dv_sock_callback callback) {
  DvMsgHeader header;
  std::vector<unsigned char> payload;
  while (dv_read_message(fd, header, payload) == DvReadResult::kMessage) {
    std::uint32_t words[kDvHeaderWords];
    dv_header_words(header, words);
    callback(nullptr, words, header.length == 0 ? nullptr : payload.data());
  }
  // End of stream, an error or a bad frame: the connection is over either way; shut it
  // down so that the peer sees the close and later sends fail and reconnect.
  c->broken = true;
  shutdown(fd, SHUT_RDWR);
}

// Closes the connection; the caller holds c.life.
void close_locked(Connection& c) {
  int fd = c.fd.load();
  if (fd < 0) return;
  shutdown(fd, SHUT_RDWR);
  if (c.receiver.joinable()) c.receiver.join();
  c.receiver_id = std::thread::id{};
  std::lock_guard<std::mutex> w(c.write);
  close(fd);
  c.fd = -1;
  c.broken = false;
}

// Connects to c.path and starts the receive thread; the caller holds c.life.
[[nodiscard]] bool connect_locked(Connection& c) {
  if (c.path.empty() || c.callback == nullptr) return false;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (c.path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, c.path.c_str(), c.path.size() + 1);

  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  int rc;
  do {
    rc = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    close(fd);
    return false;
  }
  timeval timeout{kSendTimeoutSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  c.fd = fd;
  c.broken = false;
  c.receiver = std::thread(receive_loop, &c, fd, c.callback);
  c.receiver_id = c.receiver.get_id();
  return true;
}

Connection::~Connection() {
  std::lock_guard<std::mutex> lock(life);
  close_locked(*this);
}

}  // namespace

int dv_sock_init(dv_sock_callback callback, int /*flags*/, int /*mode*/, const char* path) {
  Connection& c = conn();
  if (std::this_thread::get_id() == c.receiver_id.load()) return -1;
  std::lock_guard<std::mutex> lock(c.life);
  close_locked(c);
  c.callback = callback;
  c.path = path != nullptr ? nvr_path(path) : std::string();
  return connect_locked(c) ? 0 : -1;
}

int dv_sock_send_msg(int dest, int type, const void* payload, int length, std::uint64_t arg) {
  if (length < 0 || static_cast<std::uint32_t>(length) > kDvMaxPayload) return -1;
  if (payload == nullptr && length > 0) return -1;
  Connection& c = conn();
  bool on_receiver = std::this_thread::get_id() == c.receiver_id.load();
  if (!on_receiver && (c.fd.load() < 0 || c.broken.load())) {
    std::lock_guard<std::mutex> lock(c.life);
    close_locked(c);
    if (!connect_locked(c)) return -1;
  }
  DvMsgHeader h{};
  h.magic = kDvMagic;
  h.sender = static_cast<std::uint32_t>(getpid());
  h.dest = static_cast<std::uint32_t>(dest);
  h.type = static_cast<std::uint32_t>(type);
  h.length = static_cast<std::uint32_t>(length);
  h.arg_lo = static_cast<std::uint32_t>(arg);
  h.arg_hi = static_cast<std::uint32_t>(arg >> 32);
  std::lock_guard<std::mutex> w(c.write);
  int fd = c.fd.load();
  if (fd < 0) return -1;
  h.seq = g_next_seq.fetch_add(1);
  if (!dv_write_message(fd, h, payload, static_cast<std::size_t>(length))) {
    // Part of the message may be on the wire: the framing is lost, so the connection
    // is dropped and the next attempt reconnects.
    c.broken = true;
    shutdown(fd, SHUT_RDWR);
    return -1;
  }
  return 0;
}

int dv_sock_uninit() {
  Connection& c = conn();
  if (std::this_thread::get_id() == c.receiver_id.load()) return -1;
  std::lock_guard<std::mutex> lock(c.life);
  close_locked(c);
  c.callback = nullptr;
  c.path.clear();
  return 0;
}
