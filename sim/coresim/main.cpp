// coresim: plays the recorder's core daemon on the core socket so that webcgi can run
// on a plain machine. It answers each request by its rule (scenario.h), journals every
// message it receives, and never acts on the host: it only reads its scenario files,
// listens on the socket under the root and appends to its journal.
//
//   coresim [--root DIR] [--scenario FILE]... [--journal PATH]
//   coresim --help        (lists the payload builders)
//
// --root sets the root as NVR_ROOT does (default: NVR_ROOT). The socket is
// "/var/run/dvsocket" under the root; the journal defaults to
// "/var/run/coresim.journal" under the root and is emptied at start. Once listening,
// coresim prints "ready" on standard output. SIGTERM or SIGINT end it and remove the
// socket.
//
// Journal: one line per received message,
//   type=<T> len=<L> seq=<S> sender=<pid> hex=<payload in lower-case hex>
// written before the message is answered.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "builders.h"
#include "modules.h"
#include "dvsocket.h"
#include "nvr_root.h"
#include "scenario.h"

namespace {

constexpr const char* kSocketPath = "/var/run/dvsocket";
constexpr const char* kJournalPath = "/var/run/coresim.journal";

int g_stop_pipe[2] = {-1, -1};

void on_stop_signal(int) {
  char byte = 1;
  ssize_t ignored = write(g_stop_pipe[1], &byte, 1);
  (void)ignored;
}

class Journal {
 public:
  [[nodiscard]] bool open_file(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    return fd_ >= 0;
  }

  void record(const DvMsgHeader& h, const std::vector<std::uint8_t>& payload) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string line = "type=" + std::to_string(h.type) + " len=" + std::to_string(h.length) +
                       " seq=" + std::to_string(h.seq) + " sender=" + std::to_string(h.sender) +
                       " hex=";
    line.reserve(line.size() + 2 * payload.size() + 1);
    for (std::uint8_t b : payload) {
      line.push_back(kHex[b >> 4]);
      line.push_back(kHex[b & 15]);
    }
    line.push_back('\n');
    // One write per line under the lock: lines of concurrent connections never mix.
    std::lock_guard<std::mutex> lock(mutex_);
    const char* p = line.data();
    std::size_t left = line.size();
    while (left > 0) {
      ssize_t w = write(fd_, p, left);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) break;
      p += w;
      left -= static_cast<std::size_t>(w);
    }
  }

 private:
  std::mutex mutex_;
  int fd_ = -1;
};

struct Server {
  RuleSet rules;
  Journal journal;
};

void sleep_ms(std::uint32_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Sends the answers of `rule` to the request `req`; false when the client went away.
[[nodiscard]] bool answer(int fd, const Rule& rule, const DvMsgHeader& req,
                          const std::vector<std::uint8_t>& request_payload) {
  for (const AnswerStep& step : rule.steps) {
    sleep_ms(step.delay_ms);
    std::vector<std::uint8_t> payload = step.payload;
    if (!step.builder.empty()) {
      const NamedBuilder* b = find_builder(step.builder);
      if (b != nullptr) payload = b->build(request_payload);
    }
    DvMsgHeader h{};
    h.magic = step.magic.value_or(kDvMagic);
    h.sender = 0;
    h.dest = req.sender;
    h.type = step.answer_type;
    h.seq = req.seq;
    h.length = step.length.value_or(static_cast<std::uint32_t>(payload.size()));
    for (std::uint32_t i = 0; i < step.repeat; ++i)
      if (!dv_write_message(fd, h, payload.data(), payload.size())) return false;
  }
  return true;
}

// Serves one client connection until it closes. Requests on one connection are
// answered in order; a delayed answer holds back the next request of the same
// connection only.
void serve(Server* server, int fd) {
  DvMsgHeader h;
  std::vector<std::uint8_t> payload;
  for (;;) {
    DvReadResult r = dv_read_message(fd, h, payload);
    if (r == DvReadResult::kBadFrame)
      std::fprintf(stderr, "coresim: bad frame (magic 0x%08x, length %u), connection closed\n",
                   h.magic, h.length);
    if (r != DvReadResult::kMessage) break;
    server->journal.record(h, payload);
    coresim_keep_log(h.type, payload);
    auto it = server->rules.find(h.type);
    if (it == server->rules.end() || it->second.silent) continue;
    if (!answer(fd, it->second, h, payload)) break;
  }
  close(fd);
}

[[nodiscard]] bool read_file(const std::string& path, std::string& text) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::stringstream s;
  s << f.rdbuf();
  text = s.str();
  return true;
}

int listen_on(const std::string& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) {
    std::fprintf(stderr, "coresim: socket path too long: %s\n", path.c_str());
    return -1;
  }
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  // Remove a stale socket of an earlier run, but never any other kind of file.
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) unlink(path.c_str());
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 64) != 0) {
    std::fprintf(stderr, "coresim: cannot listen on %s: %s\n", path.c_str(), std::strerror(errno));
    close(fd);
    return -1;
  }
  return fd;
}

void usage() {
  std::fprintf(stderr,
               "usage: coresim [--root DIR] [--scenario FILE]... [--journal PATH]\n"
               "builders:\n");
  auto list = [](std::span<const NamedBuilder> builders) {
    for (const auto& b : builders)
      std::fprintf(stderr, "  %-14.*s %.*s\n", static_cast<int>(b.name.size()), b.name.data(),
                   static_cast<int>(b.about.size()), b.about.data());
  };
  list(coresim_builders());
  for (const CoreModule* m : coresim_modules()) list(m->builders);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> scenarios;
  std::string journal_path;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool has_value = i + 1 < argc;
    if (arg == "--root" && has_value) {
      setenv("NVR_ROOT", argv[++i], 1);  // before the first nvr_path()
    } else if (arg == "--scenario" && has_value) {
      scenarios.emplace_back(argv[++i]);
    } else if (arg == "--journal" && has_value) {
      journal_path = argv[++i];
    } else if (arg == "--help") {
      usage();
      return 0;
    } else {
      usage();
      return 2;
    }
  }

  static Server server;  // lives until _exit: connection threads may still use it
  std::string error;
  if (!load_builtin_rules(server.rules, error)) {
    std::fprintf(stderr, "coresim: %s\n", error.c_str());
    return 1;
  }
  for (const auto& file : scenarios) {
    std::string text;
    if (!read_file(file, text)) {
      std::fprintf(stderr, "coresim: cannot read %s\n", file.c_str());
      return 1;
    }
    if (!parse_scenario(text, server.rules, error)) {
      std::fprintf(stderr, "coresim: %s: %s\n", file.c_str(), error.c_str());
      return 1;
    }
  }
  if (journal_path.empty()) journal_path = nvr_path(kJournalPath);
  if (!server.journal.open_file(journal_path)) {
    std::fprintf(stderr, "coresim: cannot open journal %s\n", journal_path.c_str());
    return 1;
  }

  if (pipe2(g_stop_pipe, O_CLOEXEC) != 0) return 1;
  struct sigaction sa {};
  sa.sa_handler = on_stop_signal;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const std::string socket_path = nvr_path(kSocketPath);
  int listener = listen_on(socket_path);
  if (listener < 0) return 1;
  std::printf("ready\n");
  std::fflush(stdout);

  for (;;) {
    pollfd fds[2] = {{listener, POLLIN, 0}, {g_stop_pipe[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents != 0) break;
    if ((fds[0].revents & POLLIN) == 0) continue;
    int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    std::thread(serve, &server, client).detach();
  }
  close(listener);
  unlink(socket_path.c_str());
  // Connection threads may be mid-answer; the journal is written unbuffered, so the
  // process can end without waiting for them.
  std::fflush(stdout);
  _exit(0);
}
