// A stand-in request process for the concurrency test. It runs against the store under
// NVR_ROOT and exits 0 only when every call succeeded and everything it read was whole.
//
//   store_worker write CHANNEL ROUNDS   writes the channel's record and parameters ROUNDS times
//   store_worker read ROUNDS            lists every channel ROUNDS times and checks each record
//   store_worker first CHANNEL          creates NVR_ROOT/ready/CHANNEL, waits (at most 30 s)
//                                       for NVR_ROOT/go, then writes and reads back the
//                                       channel's record once: many of them started on a
//                                       root without a store create it at the same moment
#include <sys/stat.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dvdb.h"
#include "dvstd.h"
#include "sample_kinds.h"

namespace {

using sample::Everything;
using sample::kEverythingKind;

// The record a writer stores in `round`: every field derives from channel and round, so
// a reader can tell a whole record from a mix of two.
void fill(Everything* r, int channel, int round) {
  std::memset(r, 0, sizeof *r);
  r->channel = channel;
  r->i32 = round;
  r->i64 = channel * 1000 + round;
  std::snprintf(r->text, sizeof r->text, "c%d-r%d", channel, round);
  for (int& v : r->ints) v = round;
  for (auto& row : r->rows) row.sections[47].action = round;
}

bool whole(const Everything& r, int channel) {
  Everything expected;
  fill(&expected, channel, r.i32);
  return std::memcmp(&expected, &r, sizeof r) == 0;
}

int write_rounds(int channel, int rounds) {
  auto r = std::make_unique<Everything>();
  std::string key = "worker_" + std::to_string(channel);
  std::string text_key = "worker_text_" + std::to_string(channel);
  for (int round = 1; round <= rounds; ++round) {
    fill(r.get(), channel, round);
    std::string text = "round " + std::to_string(round);
    if (store_write("/mnt/nand/app/dvdb.db", kEverythingKind, channel, r.get()) != 0 ||
        set_param_int("/mnt/nand/app/dvdb.db", key.c_str(), round) != 0 ||
        (check_param_key("/mnt/nand/app/dvdb.db", text_key.c_str()) == 0
             ? set_param_value("/mnt/nand/app/dvdb.db", text_key.c_str(), text.c_str())
             : add_param_value("/mnt/nand/app/dvdb.db", text_key.c_str(), text.c_str())) != 0) {
      std::fprintf(stderr, "channel %d round %d: %s\n", channel, round, store_last_error());
      return 1;
    }
  }
  return 0;
}

int read_rounds(int rounds) {
  std::vector<Everything> list(64);
  for (int round = 0; round < rounds; ++round) {
    int count = 0;
    if (store_list("/mnt/nand/app/dvdb.db", kEverythingKind, list.data(), 64, &count) != 0 ||
        count != 64) {
      std::fprintf(stderr, "list failed: %s\n", store_last_error());
      return 1;
    }
    for (int channel = 0; channel < 64; ++channel) {
      const Everything& r = list[static_cast<std::size_t>(channel)];
      if (r.i32 != 0 && !whole(r, channel)) {
        std::fprintf(stderr, "channel %d: a mixed record (round %d)\n", channel, r.i32);
        return 1;
      }
    }
    get_param_int("/mnt/nand/app/dvdb.db", "worker_0", 0);
  }
  return 0;
}

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

int first_use(int channel) {
  const char* root = std::getenv("NVR_ROOT");
  if (root == nullptr) return 2;
  const std::string ready = std::string(root) + "/ready/" + std::to_string(channel);
  FILE* f = std::fopen(ready.c_str(), "w");
  if (f == nullptr || std::fclose(f) != 0) {
    std::fprintf(stderr, "cannot create %s\n", ready.c_str());
    return 2;
  }
  const std::string go = std::string(root) + "/go";
  const timespec pause = {0, 1000000};
  for (int waited_ms = 0; !exists(go); ++waited_ms) {
    if (waited_ms > 30000) {
      std::fputs("no start signal\n", stderr);
      return 2;
    }
    nanosleep(&pause, nullptr);
  }
  auto r = std::make_unique<Everything>();
  fill(r.get(), channel, 1);
  auto back = std::make_unique<Everything>();
  bool stored = false;
  if (store_write("/mnt/nand/app/dvdb.db", kEverythingKind, channel, r.get()) != 0 ||
      store_read("/mnt/nand/app/dvdb.db", kEverythingKind, channel, back.get(), &stored) != 0) {
    std::fprintf(stderr, "channel %d: %s\n", channel, store_last_error());
    return 1;
  }
  if (!stored || !whole(*back, channel) || back->i32 != 1) {
    std::fprintf(stderr, "channel %d: read back something else\n", channel);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "write") == 0)
    return write_rounds(std::atoi(argv[2]), std::atoi(argv[3]));
  if (argc == 3 && std::strcmp(argv[1], "read") == 0) return read_rounds(std::atoi(argv[2]));
  if (argc == 3 && std::strcmp(argv[1], "first") == 0) return first_use(std::atoi(argv[2]));
  std::fputs("usage: store_worker write CHANNEL ROUNDS | read ROUNDS | first CHANNEL\n", stderr);
  return 2;
}
