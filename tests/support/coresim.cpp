#include "coresim.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <sstream>
#include <thread>

#include "process.h"

namespace nvrtest {

std::vector<std::uint8_t> JournalEntry::bytes() const {
  auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(digit(hex[i]) * 16 + digit(hex[i + 1])));
  return out;
}

std::vector<JournalEntry> parse_journal(const std::string& text) {
  std::vector<JournalEntry> entries;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    JournalEntry e;
    unsigned long type, len, seq, sender;
    char hex[2];
    // The hex part is taken from the text after "hex=", which sscanf cannot bound.
    if (std::sscanf(line.c_str(), "type=%lu len=%lu seq=%lu sender=%lu hex%1[=]", &type, &len, &seq,
                    &sender, hex) != 5)
      continue;
    e.type = static_cast<std::uint32_t>(type);
    e.length = static_cast<std::uint32_t>(len);
    e.seq = static_cast<std::uint32_t>(seq);
    e.sender = static_cast<std::uint32_t>(sender);
    e.hex = line.substr(line.find("hex=") + 4);
    entries.push_back(e);
  }
  return entries;
}

std::string to_hex(const void* data, std::size_t size) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    out.push_back(kHex[p[i] >> 4]);
    out.push_back(kHex[p[i] & 15]);
  }
  return out;
}

std::string to_hex(const std::string& bytes) {
  return to_hex(bytes.data(), bytes.size());
}

CoreSim::CoreSim(const TempRoot& root, const std::string& scenario) : root_(root) {
  const std::string scenario_file = root.at("/tmp/coresim.scenario");
  root.write("/tmp/coresim.scenario", scenario);
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], 1);
    const std::string program = bin_path("coresim");
    execl(program.c_str(), program.c_str(), "--root", root.path().c_str(), "--scenario",
          scenario_file.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  if (pid_ < 0) {
    close(out[0]);
    return;
  }
  // coresim prints "ready" once it listens; anything else (or nothing) is a failure.
  std::string text;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (text.find('\n') == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) break;
    pollfd p{out[0], POLLIN, 0};
    int rc = poll(&p, 1, static_cast<int>(left));
    if (rc < 0 && errno == EINTR) continue;
    if (rc <= 0) break;
    char buffer[64];
    ssize_t r = read(out[0], buffer, sizeof buffer);
    if (r <= 0) break;
    text.append(buffer, static_cast<std::size_t>(r));
  }
  close(out[0]);
  ready_ = text == "ready\n";
}

CoreSim::~CoreSim() {
  stop();
}

int CoreSim::stop() {
  if (stopped_) return exit_status_;
  stopped_ = true;
  if (pid_ <= 0) return exit_status_;
  // A coresim that already died (a crash) is reaped here and reported as -1.
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) return exit_status_;
  kill(pid_, SIGTERM);
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) exit_status_ = WEXITSTATUS(status);
  return exit_status_;
}

std::vector<JournalEntry> CoreSim::journal() const {
  return parse_journal(root_.read("/var/run/coresim.journal"));
}

std::vector<JournalEntry> CoreSim::wait_journal(std::size_t count, double timeout_seconds) const {
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(static_cast<long>(timeout_seconds * 1000));
  for (;;) {
    auto entries = journal();
    if (entries.size() >= count || std::chrono::steady_clock::now() >= deadline) return entries;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace nvrtest
