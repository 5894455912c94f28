// The simulated core daemon for end-to-end tests: starts build/bin/coresim on a test's
// private root with the test's own rules, and reads back what it received.
//
//   TempRoot root;
//   CoreSim core(root, "3504 builder=status_ok\n");   // scenario text (scenario.h)
//   ASSERT_TRUE(core.ok());
//   auto result = run_webcgi(root, request);           // see cgi_runner.h
//   auto sent = core.journal();                        // what webcgi sent, parsed
//   EXPECT_EQ(sent.at(0).type, 3504u);
//
// The scenario text is added to coresim's built-in rules (a rule replaces the built-in
// one of the same type). The destructor stops coresim.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "temp_root.h"

namespace nvrtest {

// One journal line: type=<T> len=<L> seq=<S> sender=<pid> hex=<payload hex>.
struct JournalEntry {
  std::uint32_t type = 0;
  std::uint32_t length = 0;
  std::uint32_t seq = 0;
  std::uint32_t sender = 0;
  std::string hex;  // lower-case payload hex, "" for no payload

  std::vector<std::uint8_t> bytes() const;
};

// Parses journal text; lines that are not journal lines are skipped.
std::vector<JournalEntry> parse_journal(const std::string& text);

// Lower-case hex of bytes, the journal's and the scenarios' payload notation.
std::string to_hex(const void* data, std::size_t size);
std::string to_hex(const std::string& bytes);

class CoreSim {
 public:
  explicit CoreSim(const TempRoot& root, const std::string& scenario = "");
  ~CoreSim();
  CoreSim(const CoreSim&) = delete;
  CoreSim& operator=(const CoreSim&) = delete;

  // True once coresim listens on the root's core socket.
  bool ok() const { return ready_; }
  // Everything received so far.
  std::vector<JournalEntry> journal() const;
  // Waits (up to `timeout_seconds`) until at least `count` messages were received, and
  // returns the journal. Needed for requests sent without waiting: webcgi may exit
  // before coresim has read them.
  std::vector<JournalEntry> wait_journal(std::size_t count, double timeout_seconds = 10) const;
  // Stops coresim (SIGTERM) and returns its exit status: 0 after a clean stop, -1 when
  // it had died or was never started. Further calls return the same value.
  int stop();

 private:
  const TempRoot& root_;
  pid_t pid_ = -1;
  bool ready_ = false;
  bool stopped_ = false;
  int exit_status_ = -1;
};

}  // namespace nvrtest
