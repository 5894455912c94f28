// Power cuts during an install, through the real update on emulated flash. A traced run
// lists every mutating flash operation of the install (update's own: page programs, NOR
// erases and writes, environment writes; and the block erases of the erase program it
// starts). Then, for each of them in turn, the install runs from the factory state with
// the power cut at that operation, and afterwards:
//   - the boot loader's rule applied to the environment must pick a kernel and a
//     filesystem of the same copy, both old (the factory's content) or both new (the
//     image's records, recorded with the image's versions);
//   - after the reboot into that pair, the same install must run to its end and leave a
//     new pair booted, with the records written in place holding the image's content.
//
// In CI a small image is swept at every cut point, and a real-sized one (the board's
// partition sizes, a 4 MiB kernel and a 40 MiB filesystem) at a sample of them: the first
// and last operations of each partition's erase and program runs and the environment
// write that switches the copies. The sanitizer build, whose programs start and run
// several times slower, takes every third cut point of the small image (and every
// environment operation) and of the real-sized one only the switch. NVR_SWEEP=full sweeps
// every cut point of the real-sized image; NVR_SWEEP_JOBS=N spreads the cut points over N
// processes, each with a recorder of its own.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image_bytes.h"
#include "recorder_process.h"

namespace {

using envtest::Vars;

#ifdef NVR_SANITIZED_SWEEP
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Which cut points a sweep tries.
enum class Coverage {
  kEvery,
  kEveryNth,  // every n-th, and every environment operation
  kSample,    // the ends of each run of operations on a partition, and the switch
  kSwitch,    // the environment write that switches the copies
};

// One mutating flash operation of an install.
struct CutPoint {
  bool in_update = false;   // update's own operation, else one of the erase program it runs
  uint64_t process_op = 0;  // update's operation number (NVR_FLASH_POWER_CUT)
  std::string device;       // "/dev/mtd7"
  std::string kind;         // "erase", "program", "mark_bad"
  uint64_t device_op = 0;   // the erase program's operation number on it (power_cut_after)
};

// What the install writes: the records as padded in the image, and their versions.
struct Install {
  struct Record {
    std::string name;  // partition name of the first copy, or the in-place partition
    int mtd;           // first copy's device, or the in-place partition's
    std::string content;
    uint32_t version;
    bool copy;  // kernel or filesystem: written to the copy not booted
  };
  std::vector<Record> records;
};

struct Tally {
  int tried = 0;
  int failed = 0;
  std::map<std::string, int> by_kind;  // "update program /dev/mtd7" and so on
  std::string failures;                // the first few, for the report
};

std::string device_of(int mtd) {
  return "/dev/mtd" + std::to_string(mtd);
}

// A recorder under its own root, with the factory state kept to go back to.
class SweepRoot {
 public:
  SweepRoot(const std::string& root, const Install& install) : root_(root), install_(install) {}

  // Keeps the current state of every partition, side file and the kernel command line.
  void keep_factory() {
    for (int i = 0; i <= 10; ++i) {
      factory_[device_of(i)] = read(device_of(i));
      factory_[device_of(i) + ".flash"] = read(device_of(i) + ".flash");
    }
    factory_["/proc/cmdline"] = read("/proc/cmdline");
  }
  void adopt_factory(const std::map<std::string, std::string>& factory) {
    factory_ = factory;
    for (const auto& [rel, bytes] : factory_) write(rel, bytes);
  }
  const std::map<std::string, std::string>& factory() const { return factory_; }

  // The install, traced.
  nvrtest::ProcessResult install(const std::map<std::string, std::string>& env = {}) const {
    nvrtest::ProcessSpec spec;
    spec.argv = {nvrtest::bin_path("update"), "-u"};
    spec.env = {{"NVR_ROOT", root_}, {"PATH", "/usr/bin:/bin"}, {"NVR_FLASH_TRACE", trace_path()}};
    for (const auto& [k, v] : env) spec.env[k] = v;
    spec.timeout_seconds = 600;
    return nvrtest::run_process(spec);
  }

  // Every mutating operation of an install from this state.
  std::vector<CutPoint> list_cut_points() {
    (void)::unlink(trace_path().c_str());
    nvrtest::ProcessResult r = install();
    std::vector<CutPoint> points;
    if (r.exit_code != 0) {
      ADD_FAILURE() << "the install does not complete: " << r.err;
      return points;
    }
    std::ifstream in(trace_path());
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      int pid = 0;
      CutPoint p;
      std::string path;
      fields >> pid >> p.process_op >> path >> p.kind >> p.device_op;
      p.in_update = pid == r.pid;
      p.device = path.substr(root_.size());
      points.push_back(p);
    }
    restore();
    return points;
  }

  // Cuts the power at `p`, checks what the boot loader boots, reboots into it and installs
  // again. "" when everything held, else what did not.
  std::string cut_and_check(const CutPoint& p) {
    (void)::unlink(trace_path().c_str());
    nvrtest::ProcessResult cut;
    if (p.in_update) {
      cut = install({{"NVR_FLASH_POWER_CUT", std::to_string(p.process_op)}});
      if (cut.signal != SIGKILL)
        return "the power cut never came (exit " + std::to_string(cut.exit_code) + ")";
    } else {
      write(p.device + ".flash",
            read(p.device + ".flash") + "power_cut_after " + std::to_string(p.device_op) + "\n");
      cut = install();
      if (read(p.device + ".flash").find("power_cut_after") != std::string::npos)
        return "the power cut never came";
      if (cut.exit_code == 0) return "the install reported success after its erase program was cut";
    }
    std::string problem = check_boot("after the cut", false);
    if (problem.empty()) {
      // The board reboots into what the environment names; the same install runs again.
      write("/proc/cmdline", *envtest::value_of(boot_env(), "bootargs") + "\n");
      nvrtest::ProcessResult again = install();
      if (again.exit_code != 0)
        problem = "the install after the reboot fails (" + std::to_string(again.exit_code) +
                  "): " + again.err;
      else
        problem = check_boot("after the second install", true);
    }
    restore();
    return problem;
  }

 private:
  std::string trace_path() const { return root_ + "/flashsim/trace"; }
  std::string read(const std::string& rel) const {
    std::ifstream f(root_ + rel, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  void write(const std::string& rel, const std::string& bytes) const {
    std::ofstream f(root_ + rel, std::ios::binary | std::ios::trunc);
    f << bytes;
  }
  // Whether the file at `rel` starts with `bytes` and, with `whole`, holds nothing else.
  // Partitions of the board's sizes are compared where they lie, without a copy.
  bool holds(const std::string& rel, const std::string& bytes, bool whole) const {
    int fd = ::open((root_ + rel).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
      if (fd >= 0) ::close(fd);
      return false;
    }
    const auto size = static_cast<size_t>(st.st_size);
    bool same = size >= bytes.size() && (!whole || size == bytes.size());
    if (same && !bytes.empty()) {
      void* map = mmap(nullptr, bytes.size(), PROT_READ, MAP_SHARED, fd, 0);
      same = map != MAP_FAILED && std::memcmp(map, bytes.data(), bytes.size()) == 0;
      if (map != MAP_FAILED) munmap(map, bytes.size());
    }
    ::close(fd);
    return same;
  }
  // Puts a partition's factory bytes back in place (the file keeps its pages).
  void put_back(const std::string& rel) const {
    const std::string& bytes = factory_.at(rel);
    int fd = ::open((root_ + rel).c_str(), O_WRONLY | O_CLOEXEC);
    bool ok = fd >= 0;
    for (size_t done = 0; ok && done < bytes.size();) {
      ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      ok = n > 0;
      if (ok) done += static_cast<size_t>(n);
    }
    if (fd >= 0) ::close(fd);
    if (!ok) ADD_FAILURE() << "cannot put back " << rel;
  }

  Vars boot_env() const {
    const std::string dev = read("/dev/mtd1");
    return envtest::boot_vars(envtest::decode_copy(dev, 0), envtest::decode_copy(dev, 1))
        .value_or(Vars{});
  }

  // The copy a boot variable names after `mark` ("ker" in bootcmd, "=fs" in bootargs).
  static int copy_named(const Vars& env, const std::string& name, const std::string& mark) {
    std::optional<std::string> value = envtest::value_of(env, name);
    size_t at = value ? value->find(mark) : std::string::npos;
    if (at == std::string::npos || at + mark.size() >= value->size()) return 0;
    char digit = (*value)[at + mark.size()];
    return digit == '1' || digit == '2' ? digit - '0' : 0;
  }

  // The pair the boot loader boots: a kernel and a filesystem of one copy, old or new.
  std::string check_boot(const std::string& when, bool must_be_new) const {
    const Vars env = boot_env();
    if (env.empty()) return when + ": the boot loader has no valid environment";
    const int ker = copy_named(env, "bootcmd", "ker"), fs = copy_named(env, "bootargs", "=fs");
    if (ker == 0 || ker != fs)
      return when + ": the boot loader would start ker" + std::to_string(ker) + " with fs" +
             std::to_string(fs);
    int old_parts = 0, new_parts = 0;
    for (const Install::Record& r : install_.records) {
      if (!r.copy) continue;
      const int mtd = r.mtd + (ker - 1);
      const std::string name = r.name.substr(0, r.name.size() - 1) + std::to_string(ker);
      std::optional<std::string> record = envtest::value_of(env, name);
      char version[16];
      std::snprintf(version, sizeof version, "ver:0x%08x", r.version);
      if (holds(device_of(mtd), factory_.at(device_of(mtd)), true)) {
        ++old_parts;
      } else if (holds(device_of(mtd), r.content, false) && record &&
                 record->find(version) != std::string::npos) {
        ++new_parts;
      } else {
        return when + ": " + name + " holds neither the factory's content nor the image's";
      }
    }
    if (old_parts != 0 && new_parts != 0) return when + ": one old and one new copy are booted";
    if (must_be_new && new_parts == 0) return when + ": the old copies are still booted";
    if (!must_be_new) return "";
    for (const Install::Record& r : install_.records) {
      if (r.copy) continue;
      if (!holds(device_of(r.mtd), r.content, false))
        return when + ": " + r.name + " does not hold the image's record";
      char version[16];
      std::snprintf(version, sizeof version, "ver:0x%08x", r.version);
      std::optional<std::string> record = envtest::value_of(env, r.name);
      if (!record || record->find(version) == std::string::npos)
        return when + ": the record of " + r.name + " lacks the image's version";
    }
    return "";
  }

  // Back to the factory state: the partitions the last runs wrote (the trace names them),
  // every side file and the kernel command line.
  void restore() {
    std::set<std::string> written;
    std::ifstream in(trace_path());
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string pid, op, path;
      fields >> pid >> op >> path;
      written.insert(path.substr(root_.size()));
    }
    for (const std::string& dev : written) put_back(dev);
    for (int i = 0; i <= 10; ++i)
      write(device_of(i) + ".flash", factory_.at(device_of(i) + ".flash"));
    write("/proc/cmdline", factory_.at("/proc/cmdline"));
    (void)::unlink(trace_path().c_str());
  }

  std::string root_;
  Install install_;
  std::map<std::string, std::string> factory_;
};

std::string kind_of(const CutPoint& p) {
  return (p.in_update ? "update " : "erase program ") + p.kind + " " + p.device;
}

void count(Tally* tally, const CutPoint& p, const std::string& problem) {
  ++tally->tried;
  ++tally->by_kind[kind_of(p)];
  if (problem.empty()) return;
  ++tally->failed;
  if (tally->failed <= 10)
    tally->failures += "cut at " + kind_of(p) + " #" +
                       std::to_string(p.in_update ? p.process_op : p.device_op) + ": " + problem +
                       "\n";
}

// Runs the cut points in `jobs` processes, each on a recorder of its own that `lay_out`
// prepares and that takes the factory state of `here`. With one job they run here.
Tally sweep(SweepRoot& here, const std::vector<CutPoint>& points, const Install& install, int jobs,
            const std::function<void(const std::string&)>& lay_out) {
  Tally tally;
  if (jobs <= 1) {
    for (const CutPoint& p : points) count(&tally, p, here.cut_and_check(p));
    return tally;
  }
  std::vector<std::unique_ptr<nvrtest::TempRoot>> roots;
  std::vector<pid_t> pids;
  for (int j = 0; j < jobs; ++j) {
    roots.push_back(std::make_unique<nvrtest::TempRoot>());
    const std::string root = roots.back()->path();
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
      lay_out(root);
      SweepRoot mine(root, install);
      mine.adopt_factory(here.factory());
      // One line per cut point: its index, then what failed (nothing when it held).
      std::ofstream report(root + "/report");
      for (size_t i = static_cast<size_t>(j); i < points.size(); i += static_cast<size_t>(jobs)) {
        std::string problem = mine.cut_and_check(points[i]);
        for (char& c : problem)
          if (c == '\n') c = ' ';
        report << i << " " << problem << "\n" << std::flush;
      }
      _exit(0);
    }
    pids.push_back(pid);
  }
  for (size_t j = 0; j < pids.size(); ++j) {
    int status = 0;
    waitpid(pids[j], &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      ADD_FAILURE() << "sweep job " << j << " died";
    std::ifstream report(roots[j]->at("/report"));
    std::string line;
    while (std::getline(report, line)) {
      size_t blank = line.find(' ');
      count(&tally, points[std::stoul(line.substr(0, blank))], line.substr(blank + 1));
    }
  }
  return tally;
}

class PowerCutSweep : public updtest::RecorderProcessTest {
 protected:
  // Lays out the recorder, builds the image, and sweeps the cut points `choose` keeps.
  Tally run_sweep(bool small, const std::map<std::string, size_t>& sizes, Coverage coverage,
                  size_t nth = 3) {
    flashsim::LayoutOptions options = small_layout();
    options.small = small;
    options.tool_path = nvrtest::bin_path("flashsim");
    lay_out(options);
    Install install;
    std::vector<updtest::Part> parts;
    const struct {
      const char* record;
      const char* version;
      const char* partition;
      int mtd;
      bool copy;
    } kinds[] = {{"bld", "72.1.1.26", "uboot", 0, false},
                 {"ker", "", "ker1", 4, true},
                 {"fs", "72.9.0.20", "fs1", 6, true},
                 {"param", "72.1.0.5", "baseparam", 2, false},
                 {"jpg", "72.1.0.6", "logo", 3, false}};
    uint32_t seed = 1;
    for (const auto& k : kinds) {
      const std::string bytes = content(sizes.at(k.record), seed++);
      parts.push_back({k.record, bytes, k.version});
      uint32_t version = 0;
      if (std::string(k.version).empty())
        version = 0x4801000A;  // the kernel's usual version
      else {
        unsigned a, b, c, d;
        std::sscanf(k.version, "%u.%u.%u.%u", &a, &b, &c, &d);
        version = a << 24 | b << 16 | c << 8 | d;
      }
      install.records.push_back({k.partition, k.mtd, updtest::padded(bytes), version, k.copy});
    }
    image(parts);

    SweepRoot here(root_.path(), install);
    here.keep_factory();
    std::vector<CutPoint> points = here.list_cut_points();
    points = sample(points, coverage, nth);
    const char* jobs_text = std::getenv("NVR_SWEEP_JOBS");
    const int jobs = jobs_text != nullptr ? std::max(1, std::atoi(jobs_text)) : 1;
    auto start = std::chrono::steady_clock::now();
    const std::string image_bytes = root_.read("/dev/shm/updateFM.bin");
    Tally tally = sweep(here, points, install, jobs, [&](const std::string& root) {
      std::string error;
      if (!flashsim::create_recorder(root, options, &error)) std::_Exit(3);
      std::ofstream(root + "/dev/shm/updateFM.bin", std::ios::binary) << image_bytes;
    });
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("power-cut sweep: %d cut points tried, %d failed (%.1f s)\n", tally.tried,
                tally.failed, seconds);
    for (const auto& [kind, n] : tally.by_kind) std::printf("  %5d  %s\n", n, kind.c_str());
    return tally;
  }

  // The cut points `coverage` keeps. A run is a sequence of operations of one kind on one
  // partition by one process; the switch is the last environment write, four operations.
  static std::vector<CutPoint> sample(const std::vector<CutPoint>& all, Coverage coverage,
                                      size_t nth) {
    auto same_run = [&](size_t a, size_t b) {
      return all[a].device == all[b].device && all[a].kind == all[b].kind &&
             all[a].in_update == all[b].in_update;
    };
    size_t env_ops = 0;
    for (const CutPoint& p : all) env_ops += p.device == "/dev/mtd1" ? 1 : 0;
    std::vector<CutPoint> kept;
    size_t env_seen = 0;
    for (size_t i = 0; i < all.size(); ++i) {
      const bool env = all[i].device == "/dev/mtd1";
      const bool in_switch = env && ++env_seen + 4 > env_ops;
      const bool run_end =
          i == 0 || i + 1 == all.size() || !same_run(i, i - 1) || !same_run(i, i + 1);
      bool keep = true;
      switch (coverage) {
        case Coverage::kEvery:
          break;
        case Coverage::kEveryNth:
          keep = env || i % nth == 0;
          break;
        case Coverage::kSample:
          keep = in_switch || (!env && run_end) || all[i].kind == "mark_bad";
          break;
        case Coverage::kSwitch:
          keep = in_switch;
          break;
      }
      if (keep) kept.push_back(all[i]);
    }
    return kept;
  }
};

TEST_F(PowerCutSweep, SmallImageAtEveryCutPoint) {
  Tally t = run_sweep(
      true, {{"bld", 20000}, {"ker", 16384}, {"fs", 60000}, {"param", 4000}, {"jpg", 6000}},
      kSanitized ? Coverage::kEveryNth : Coverage::kEvery);
  EXPECT_EQ(t.failed, 0) << t.failures;
  // NOR boot loader: 1 erase, 2 writes; pages: 8 + 30 + 2 + 3; six environment writes of
  // 2 erases and 2 programs; the erase program: 8 + 16 + 2 + 2 blocks.
  if (!kSanitized) {
    EXPECT_EQ(t.tried, 3 + 43 + 24 + 28);
  }
}

TEST_F(PowerCutSweep, RealSizedImage) {
  // NVR_SWEEP=full tries every cut point; NVR_SWEEP=N every N-th (and the environment's).
  const char* sweep_text = std::getenv("NVR_SWEEP");
  const std::string sweep = sweep_text != nullptr ? sweep_text : "";
  const unsigned long nth =
      sweep.empty() || sweep == "full" ? 0 : std::strtoul(sweep.c_str(), nullptr, 10);
  Coverage coverage = kSanitized ? Coverage::kSwitch : Coverage::kSample;
  if (sweep == "full") coverage = Coverage::kEvery;
  if (nth > 0) coverage = Coverage::kEveryNth;
  Tally t = run_sweep(false,
                      {{"bld", 256 * 1024},
                       {"ker", 4 << 20},
                       {"fs", 40 << 20},
                       {"param", 128 * 1024},
                       {"jpg", 256 * 1024}},
                      coverage, nth > 0 ? nth : 3);
  EXPECT_EQ(t.failed, 0) << t.failures;
  EXPECT_GT(t.tried, 0);
}

}  // namespace
