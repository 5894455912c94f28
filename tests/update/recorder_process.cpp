// The process test fixture of update (see recorder_process.h).
#include "recorder_process.h"

#include <cstdio>

namespace updtest {

std::string padded(const std::string& content) {
  const size_t unit = 2048;
  return content + std::string((unit - content.size() % unit) % unit, '\xFF');
}

flashsim::LayoutOptions RecorderProcessTest::small_layout() {
  flashsim::LayoutOptions options;
  options.small = true;
  return options;
}

void RecorderProcessTest::lay_out(flashsim::LayoutOptions options) {
  options.tool_path = nvrtest::bin_path("flashsim");
  std::string error;
  ASSERT_TRUE(flashsim::create_recorder(root_.path(), options, &error)) << error;
}

nvrtest::ProcessResult RecorderProcessTest::run(
    const std::string& program, const std::vector<std::string>& args,
    const std::map<std::string, std::string>& env) const {
  nvrtest::ProcessSpec spec;
  spec.argv = {nvrtest::bin_path(program)};
  spec.argv.insert(spec.argv.end(), args.begin(), args.end());
  spec.env = {{"NVR_ROOT", root_.path()},
              {"PATH", "/usr/bin:/bin"},
              {"TZ", "UTC"},
              {"NVR_REBOOT_WAIT_MS", "0"}};
  for (const auto& [k, v] : env) spec.env[k] = v;
  return nvrtest::run_process(spec);
}

std::string RecorderProcessTest::image(const std::vector<Part>& parts,
                                       const std::string& rel) const {
  std::vector<std::string> args = {"-o", root_.at(rel)};
  for (const Part& p : parts) {
    const std::string source = "/tmp/src." + p.record;
    root_.write(source, p.content);
    args.push_back(p.record + "=" + root_.at(source) + (p.version.empty() ? "" : "," + p.version));
  }
  auto r = run("mkupfw", args);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  return root_.at(rel);
}

envtest::Vars RecorderProcessTest::boot_env() const {
  const std::string dev = root_.read("/dev/mtd1");
  std::optional<envtest::Vars> vars =
      envtest::boot_vars(envtest::decode_copy(dev, 0), envtest::decode_copy(dev, 1));
  if (!vars) {
    ADD_FAILURE() << "the boot loader falls back to its built-in environment";
    return {};
  }
  return *vars;
}

std::optional<std::string> RecorderProcessTest::boot_var(const std::string& name) const {
  return envtest::value_of(boot_env(), name);
}

void RecorderProcessTest::put_env(const envtest::Vars& vars) const {
  root_.write("/dev/mtd1", envtest::make_copy(vars, 2) + envtest::make_copy(vars, 1));
}

void RecorderProcessTest::put_var(const std::string& name,
                                  const std::optional<std::string>& value) const {
  envtest::Vars vars;
  for (const std::string& v : boot_env())
    if (v.compare(0, name.size() + 1, name + "=") != 0) vars.push_back(v);
  if (value) vars.push_back(name + "=" + *value);
  put_env(vars);
}

std::map<std::string, std::string> RecorderProcessTest::flash_state() const {
  std::map<std::string, std::string> state;
  for (int i = 0; i <= 10; ++i) {
    const std::string dev = "/dev/mtd" + std::to_string(i);
    state[dev] = root_.read(dev);
    state[dev + ".flash"] = root_.read(dev + ".flash");
  }
  return state;
}

std::string RecorderProcessTest::record_text(const std::string& name, uint32_t version,
                                             uint32_t size, uint32_t date) {
  char text[128];
  std::snprintf(text, sizeof text, "name:%s\tver:0x%08x\tsize:%u\tdate:0x%08x ", name.c_str(),
                version, size, date);
  return text;
}

}  // namespace updtest
