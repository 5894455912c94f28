// Shell commands kept inside the root: one table of commands as callers write them and
// the line /bin/sh receives, and a root that needs quoting run through the real shell.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "nvr_root.h"
#include "nvr_shell.h"

namespace {

// "@" in a row stands for the root.
std::string with_root(std::string text, const std::string& root) {
  for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at))
    text.replace(at, 1, root), at += root.size();
  return text;
}

void write_program(const std::string& path, const std::string& body) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  ASSERT_EQ(chmod(path.c_str(), 0755), 0);
}

TEST(ShellUnderRoot, KeptInsideTheRoot) {
  const std::string root = nvr_root();
  ASSERT_FALSE(root.empty());
  write_program(root + "/usr/bin/dvchip_update", "exit 0");
  const struct {
    const char* command;
    const char* expected;
  } cases[] = {
      // Programs: from the root, where one the root lacks cannot be found.
      {"reboot -f", "@/bin/reboot -f"},
      {"dvchip_update", "@/usr/bin/dvchip_update"},
      {"/usr/sbin/flash_eraseall /dev/mtd3 ", "@/usr/sbin/flash_eraseall @/dev/mtd3 "},
      {"  /www/webmonitor &", "  @/www/webmonitor &"},
      // Host tools, bare or in the host's folders; paths given to them still move, unless
      // the caller resolved them already.
      {"/bin/mv /tmp/a \"@/tmp/b\"", "/bin/mv @/tmp/a \"@/tmp/b\""},
      {"/opt/bin/mv a b", "@/opt/bin/mv a b"},
      {"tar -xzf /tmp/u.tgz -C /mnt; sync", "tar -xzf @/tmp/u.tgz -C @/mnt; sync"},
      // Chained commands, with or without blanks around the operators.
      {"sync;reboot&&cat /proc/mtd|grep fs2 \n", "sync;@/bin/reboot&&cat @/proc/mtd|grep fs2 \n"},
      {"X=/a exec reboot", "X=/a exec @/bin/reboot"},
      {"if test -f /x; then exit 3; fi # reboot", "if test -f @/x; then exit 3; fi # reboot"},
      // Redirections, attached or not; a descriptor is not a file.
      {"echo 3 >/proc/x 2> /dev/null 2>&1", "echo 3 >@/proc/x 2> @/dev/null 2>&1"},
      {"cat <<E >/tmp/o\n/x reboot\nE\nreboot", "cat <<E >@/tmp/o\n/x reboot\nE\n@/bin/reboot"},
      // Quoted words keep their quoting; substituted commands are rewritten too.
      {"dvprofile -i \"/tmp/a b\" && /bin/rm '/tmp/a b'",
       "@/bin/dvprofile -i @\"/tmp/a b\" && /bin/rm @'/tmp/a b'"},
      {"echo $(reboot) `dvchip_update` /tmp/$n $((1+2)) '$(reboot)'",
       "echo $(@/bin/reboot) `@/usr/bin/dvchip_update` @/tmp/$n $((1+2)) '$(reboot)'"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(nvr_shell_command(with_root(c.command, root)), with_root(c.expected, root))
        << c.command;
}

TEST(ShellUnderRoot, RootThatNeedsQuotingRunsThroughTheShell) {
  const std::string saved = nvr_root();
  const std::string odd = saved + "/a b'c $x";
  std::filesystem::create_directories(odd + "/tmp");
  write_program(odd + "/sbin/reboot", "echo \"$@\"");
  ASSERT_EQ(setenv("NVR_ROOT", odd.c_str(), 1), 0);
  EXPECT_EQ(nvr_shell_command("cat /proc/mtd"), "cat '" + saved + "/a b'\\''c $x'/proc/mtd");
  int status = nvr_shell_run("reboot 'x  y' >/tmp/out");
  ASSERT_EQ(setenv("NVR_ROOT", saved.c_str(), 1), 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::stringstream out;
  out << std::ifstream(odd + "/tmp/out").rdbuf();
  EXPECT_EQ(out.str(), "x  y\n");
}

}  // namespace
