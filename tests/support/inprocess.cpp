// Requests served in the test process (see inprocess.h).
#include "support/inprocess.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "cgi.h"
#include "cgi_ipc.h"
#include "dvdb.h"
#include "support/cgi_runner.h"
#include "support/store_sql.h"
#include "webres.h"

namespace nvrtest {

namespace {

// A type the core does not answer and no handler sends: the end of what a request sent.
constexpr int kMarkerType = 9999;

void marker_callback(void*, const std::uint32_t*, const void*) {}

std::unique_ptr<CoreSim>& core_instance() {
  static std::unique_ptr<CoreSim> core;
  return core;
}

}  // namespace

InProcess& InProcess::instance() {
  static InProcess* web = new InProcess();  // lives as long as the program
  return *web;
}

InProcess::InProcess() : cookie_("userName=admin") {
  // The shortened timing of the process tests: an unanswered request fails in a second.
  const IpcSeam seam;
  setenv("NVR_IPC_POLL_US", std::to_string(seam.poll_us).c_str(), 1);
  setenv("NVR_IPC_SEND_RETRY_US", std::to_string(seam.send_retry_us).c_str(), 1);
  setenv("NVR_IPC_SEND_ATTEMPTS", std::to_string(seam.send_attempts).c_str(), 1);
  ProcessResult init = run_nvrdb(root(), {"init"});
  if (init.exit_code != 0) std::fprintf(stderr, "nvrdb init: %s\n", init.err.c_str());
  core_instance() = std::make_unique<CoreSim>(root());
  register_module_routes();
  cgiRemoteAddr = "192.168.1.100";
  cgiServerAddr = "192.168.1.10";
  cgiCookie = cookie_.c_str();
}

const TempRoot& InProcess::root() const {
  return process_temp_root();
}

CoreSim& InProcess::core() {
  return *core_instance();
}

void InProcess::set_user(const std::string& name) {
  cookie_ = "userName=" + name;
  cgiCookie = cookie_.c_str();
}

std::string InProcess::run(const std::string& path, const std::string& text) {
  FILE* out = std::tmpfile();
  if (out == nullptr) return "(no capture)";
  FILE* saved = cgiOut;
  cgiOut = out;
  // The handler may write into its request text, as into the front end's buffer.
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  (void)DispatchWebReq(path.c_str(), buffer.data());
  std::fflush(out);
  cgiOut = saved;
  std::string written;
  std::rewind(out);
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, out)) > 0) written.append(chunk, n);
  std::fclose(out);
  return written;
}

std::vector<JournalEntry> InProcess::sent() {
  // Every request opens a connection of its own, so messages may arrive out of order; the
  // socket library numbers them per process. The marker is sent last: once it and every
  // number below it since the previous marker are in the journal, all has arrived.
  int rc = cgi_start_ipc(marker_callback, kMarkerType, 0, nullptr, 1);
  cgi_stop_ipc(rc);
  const auto self = static_cast<std::uint32_t>(getpid());
  std::vector<JournalEntry> got;
  // Only a message still on its way costs waiting; a loaded machine may need seconds.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    got.clear();
    std::uint32_t marker = 0;
    for (const JournalEntry& e : core().journal()) {
      if (e.sender != self || e.seq <= last_marker_) continue;
      if (e.type == kMarkerType)
        marker = e.seq;
      else
        got.push_back(e);
    }
    if (marker != 0 && got.size() >= marker - last_marker_ - 1) {
      last_marker_ = marker;
      break;
    }
    usleep(2000);
  }
  std::sort(got.begin(), got.end(),
            [](const JournalEntry& a, const JournalEntry& b) { return a.seq < b.seq; });
  return got;
}

void InProcess::refuse_writes(const std::string& table) {
  std::string e = nvrtest::refuse_writes(root(), table);
  if (!e.empty()) std::fprintf(stderr, "refuse_writes %s: %s\n", table.c_str(), e.c_str());
  // This process keeps its connection open: let it see the new schema.
  store_close_all();
}

void InProcess::allow_writes(const std::string& table) {
  (void)nvrtest::allow_writes(root(), table);
  store_close_all();
}

}  // namespace nvrtest
