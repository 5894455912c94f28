// The socket library stand-in against a core played by the test itself: exact wire
// bytes both ways, null payloads, bad frames, and no callback after uninit.
#include "dvsocket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_root.h"

namespace {

using Bytes = std::vector<unsigned char>;

// One root for the whole binary, named in NVR_ROOT on first use.
const nvrtest::TempRoot& root() {
  static nvrtest::TempRoot r;
  static bool set = setenv("NVR_ROOT", r.path().c_str(), 1) == 0;
  (void)set;
  return r;
}

Bytes le32(std::uint32_t v) {
  return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
          static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
}

Bytes frame(const std::vector<std::uint32_t>& words, const Bytes& payload) {
  Bytes out;
  for (auto w : words) {
    Bytes b = le32(w);
    out.insert(out.end(), b.begin(), b.end());
  }
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

// The core's end: listens on the root's socket and accepts one connection.
class FakeCore {
 public:
  FakeCore() {
    std::string path = root().at("/var/run/dvsocket");
    unlink(path.c_str());
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ok_ = bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
          listen(listener_, 4) == 0;
  }
  ~FakeCore() {
    if (peer_ >= 0) close(peer_);
    close(listener_);
  }
  bool ok() const { return ok_; }
  void accept_one() { peer_ = accept(listener_, nullptr, nullptr); }
  Bytes read_bytes(std::size_t n) {
    Bytes out(n);
    std::size_t done = 0;
    while (done < n) {
      ssize_t r = read(peer_, out.data() + done, n - done);
      if (r <= 0) break;
      done += static_cast<std::size_t>(r);
    }
    out.resize(done);
    return out;
  }
  void send_bytes(const Bytes& b) {
    ASSERT_EQ(write(peer_, b.data(), b.size()), ssize_t(b.size()));
  }
  // True when the client has closed its end (read returns end of stream).
  bool peer_closed() {
    char c;
    return read(peer_, &c, 1) == 0;
  }

 private:
  int listener_ = -1;
  int peer_ = -1;
  bool ok_ = false;
};

struct Received {
  std::vector<std::uint32_t> words;
  Bytes payload;
  bool null_payload = false;
};
std::mutex g_mutex;
std::vector<Received> g_received;
std::atomic<int> g_calls{0};

void record_cb(void* context, const std::uint32_t* words, const void* payload) {
  EXPECT_EQ(context, nullptr);
  Received r;
  r.words.assign(words, words + kDvHeaderWords);
  r.null_payload = payload == nullptr;
  if (payload != nullptr) {
    const auto* p = static_cast<const unsigned char*>(payload);
    r.payload.assign(p, p + words[5]);
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  g_received.push_back(r);
  ++g_calls;
}

void wait_calls(int n) {
  for (int i = 0; i < 2000 && g_calls.load() < n; ++i) usleep(1000);
}

class DvSocket : public ::testing::Test {
 protected:
  void SetUp() override {
    root();
    g_received.clear();
    g_calls = 0;
  }
  void TearDown() override { dv_sock_uninit(); }
};

TEST(DvHeader, EncodesLittleEndianWordsInOrder) {
  DvMsgHeader h{kDvMagic, 0x01020304, 1, 3504, 7, 256, 0xAABBCCDD, 0x11223344};
  unsigned char raw[kDvHeaderSize];
  dv_header_encode(h, raw);
  Bytes expected = frame({0x4B535644, 0x01020304, 1, 3504, 7, 256, 0xAABBCCDD, 0x11223344}, {});
  EXPECT_EQ(Bytes(raw, raw + sizeof raw), expected);
  EXPECT_EQ(raw[0], 0x44);  // "DVSK" on the wire
  DvMsgHeader back = dv_header_decode(raw);
  EXPECT_EQ(std::memcmp(&back, &h, sizeof h), 0);
}

TEST_F(DvSocket, SendsTheFramedRequestAndDeliversTheAnswer) {
  FakeCore core;
  ASSERT_TRUE(core.ok());
  ASSERT_EQ(dv_sock_init(record_cb, 0, 3, "/var/run/dvsocket"), 0);
  core.accept_one();

  const Bytes payload = {'a', 'b', 'c', 0};
  ASSERT_EQ(dv_sock_send_msg(1, 3504, payload.data(), 4, 0x1122334455667788ull), 0);
  Bytes got = core.read_bytes(kDvHeaderSize + 4);
  ASSERT_EQ(got.size(), kDvHeaderSize + 4);
  std::uint32_t seq = dv_load_le32(got.data() + 16);
  EXPECT_GE(seq, 1u);
  EXPECT_EQ(got, frame({kDvMagic, std::uint32_t(getpid()), 1, 3504, seq, 4, 0x55667788, 0x11223344},
                       payload));

  // The next request carries the next sequence number.
  ASSERT_EQ(dv_sock_send_msg(1, 3485, nullptr, 0, 0), 0);
  Bytes second = core.read_bytes(kDvHeaderSize);
  EXPECT_EQ(dv_load_le32(second.data() + 16), seq + 1);
  EXPECT_EQ(dv_load_le32(second.data() + 20), 0u);

  core.send_bytes(frame({kDvMagic, 0, std::uint32_t(getpid()), 8504, seq, 4, 0, 0}, le32(5)));
  core.send_bytes(frame({kDvMagic, 0, std::uint32_t(getpid()), 8485, seq + 1, 0, 0, 0}, {}));
  wait_calls(2);
  std::lock_guard<std::mutex> lock(g_mutex);
  ASSERT_EQ(g_received.size(), 2u);
  EXPECT_EQ(g_received[0].words[3], 8504u);
  EXPECT_EQ(g_received[0].words[5], 4u);
  EXPECT_EQ(g_received[0].payload, le32(5));
  EXPECT_FALSE(g_received[0].null_payload);
  EXPECT_EQ(g_received[1].words[3], 8485u);
  EXPECT_TRUE(g_received[1].null_payload);  // length 0 is a null payload
}

TEST_F(DvSocket, BadFramesCloseTheConnectionWithoutCallback) {
  struct Case {
    const char* name;
    std::uint32_t magic;
    std::uint32_t length;
  };
  for (const Case& c :
       {Case{"wrong magic", 0x12345678, 4}, Case{"oversized", kDvMagic, kDvMaxPayload + 1}}) {
    SCOPED_TRACE(c.name);
    g_calls = 0;
    FakeCore core;
    ASSERT_TRUE(core.ok());
    ASSERT_EQ(dv_sock_init(record_cb, 0, 3, "/var/run/dvsocket"), 0);
    core.accept_one();
    core.send_bytes(frame({c.magic, 0, 1, 8504, 1, c.length, 0, 0}, le32(0)));
    EXPECT_TRUE(core.peer_closed());
    EXPECT_EQ(g_calls.load(), 0);
    EXPECT_EQ(dv_sock_uninit(), 0);
  }
}

TEST_F(DvSocket, NoCallbackRunsAfterUninit) {
  FakeCore core;
  ASSERT_TRUE(core.ok());
  ASSERT_EQ(dv_sock_init(record_cb, 0, 3, "/var/run/dvsocket"), 0);
  core.accept_one();
  EXPECT_EQ(dv_sock_uninit(), 0);
  EXPECT_TRUE(core.peer_closed());
  EXPECT_EQ(g_calls.load(), 0);
  EXPECT_EQ(dv_sock_uninit(), 0);  // harmless twice
  // Without a connection nothing can be sent.
  EXPECT_NE(dv_sock_send_msg(1, 3504, nullptr, 0, 0), 0);
}

TEST_F(DvSocket, RefusesPayloadsItCannotSend) {
  FakeCore core;
  ASSERT_TRUE(core.ok());
  ASSERT_EQ(dv_sock_init(record_cb, 0, 3, "/var/run/dvsocket"), 0);
  char byte = 0;
  EXPECT_NE(dv_sock_send_msg(1, 3504, nullptr, 4, 0), 0);
  EXPECT_NE(dv_sock_send_msg(1, 3504, &byte, -1, 0), 0);
}

TEST_F(DvSocket, ConnectsOnSendWhenTheCoreStartsLate) {
  unlink(root().at("/var/run/dvsocket").c_str());
  EXPECT_EQ(dv_sock_init(record_cb, 0, 3, "/var/run/dvsocket"), -1);
  EXPECT_NE(dv_sock_send_msg(1, 3504, nullptr, 0, 0), 0);
  FakeCore core;
  ASSERT_TRUE(core.ok());
  EXPECT_EQ(dv_sock_send_msg(1, 3504, nullptr, 0, 0), 0);
  core.accept_one();
  Bytes got = core.read_bytes(kDvHeaderSize);
  EXPECT_EQ(dv_load_le32(got.data() + 12), 3504u);
  // The answer reaches the callback given to init.
  core.send_bytes(frame({kDvMagic, 0, 1, 8504, 1, 4, 0, 0}, le32(0)));
  wait_calls(1);
  EXPECT_EQ(g_calls.load(), 1);
}

}  // namespace
