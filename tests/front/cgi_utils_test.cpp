// Process-wide utilities: the shell runner's status mapping, the file lock, file tests,
// moves, text replacement and the debug log line.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "cgi_utils.h"
#include "nvr_root.h"

namespace {

std::string slurp(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

TEST(WebSystem, StatusMapping) {
  EXPECT_EQ(web_system("exit 0"), 0);
  EXPECT_EQ(web_system("exit 3"), -1);
  EXPECT_EQ(web_system("kill -9 $$"), -1);
  EXPECT_EQ(web_system(nullptr), -1);
}

TEST(WebSystem, ProgramsAreFoundOnlyUnderTheRoot) {
  // A stand-in "reboot" under the root runs; nothing of that name is taken from the host.
  std::string marker = nvr_path("/tmp/reboot-called");
  std::string bin = nvr_path("/sbin");
  mkdir(bin.c_str(), 0755);
  {
    std::ofstream f(bin + "/reboot");
    f << "#!/bin/sh\necho \"$@\" > " << marker << "\n";
  }
  chmod((bin + "/reboot").c_str(), 0755);
  EXPECT_EQ(web_system("reboot now"), 0);
  EXPECT_EQ(slurp(marker), "now\n");
  EXPECT_EQ(web_system("tcpdump -c 1"), -1);                // not under the root: not found
  EXPECT_EQ(web_system("/usr/sbin/flash_eraseall x"), -1);  // moved under the root
  // Plain file tools come from the host.
  std::string a = nvr_path("/tmp/a"), b = nvr_path("/tmp/b");
  std::ofstream(a) << "x";
  EXPECT_EQ(web_system(("/bin/mv " + a + " " + b).c_str()), 0);
  EXPECT_EQ(access(b.c_str(), F_OK), 0);
}

TEST(Paths, ResolvedUnderTheRoot) {
  std::string root = nvr_root();
  EXPECT_EQ(nvr_path("/mnt/nand/x"), root + "/mnt/nand/x");
  EXPECT_EQ(nvr_path("relative"), "relative");
  char small[8];
  EXPECT_FALSE(nvr_path_buf("/mnt/nand/x", small, sizeof small));
  EXPECT_STREQ(small, "");
  char big[4096];
  EXPECT_TRUE(nvr_path_buf("/a", big, sizeof big));
  EXPECT_EQ(std::string(big), root + "/a");
}

TEST(FileLock, ExcludesOtherProcessesUntilUnlocked) {
  std::string path = nvr_path("/tmp/cgilockfile");
  int fd = file_lock(path.c_str());
  ASSERT_GE(fd, 0);
  pid_t child = fork();
  if (child == 0) {
    int fd2 = open(path.c_str(), O_RDWR);
    // A non-blocking attempt must fail while the parent holds the lock.
    _exit(lockf(fd2, F_TLOCK, 0) == 0 ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(file_unlock(fd), 0);
  EXPECT_EQ(file_unlock(-5), -5);
  EXPECT_EQ(file_lock(nullptr), -1);
  EXPECT_LT(file_lock(nvr_path("/no/such/dir/lock").c_str()), 0);
}

TEST(FileTests, ExistenceDirectoriesDeleteAndMove) {
  std::string dir = nvr_path("/tmp/d"), file = nvr_path("/tmp/f"), link = nvr_path("/tmp/l");
  mkdir(dir.c_str(), 0755);
  std::ofstream(file) << "data";
  symlink(dir.c_str(), link.c_str());
  EXPECT_EQ(IsFileExisted(file.c_str()), 0);
  EXPECT_EQ(IsFileExisted(""), -1);
  EXPECT_EQ(IsFileExisted(nullptr), -1);
  EXPECT_EQ(IsFileExisted(nvr_path("/tmp/none").c_str()), -1);
  EXPECT_EQ(IsDirExisted(dir.c_str()), 0);
  EXPECT_EQ(IsDirExisted(file.c_str()), -1);
  EXPECT_EQ(IsDirExisted(link.c_str()), -1);  // the final link is not followed

  // Names that a shell would interpret are plain names here.
  std::string odd = nvr_path("/tmp/x $(touch pwned) `y`; z");
  EXPECT_EQ(RemoveFile(file.c_str(), odd.c_str()), 0);
  EXPECT_EQ(slurp(odd), "data");
  EXPECT_EQ(access(nvr_path("/tmp/pwned").c_str(), F_OK), -1);
  EXPECT_EQ(DeleteFile(odd.c_str()), 0);
  EXPECT_EQ(access(odd.c_str(), F_OK), -1);
  EXPECT_EQ(DeleteFile(nullptr), -1);
  EXPECT_EQ(RemoveFile(nullptr, "x"), -1);
  EXPECT_EQ(RemoveFile("x", nullptr), -1);
}

TEST(Strrpl, LeftToRightWithoutRescanning) {
  const struct {
    const char* src;
    const char* find;
    const char* repl;
    const char* out;
  } cases[] = {
      {"a%22b%22", "%22", "\"", "a\"b\""},
      {"%2522", "%22", "\"", "%2522"},
      {"aaa", "aa", "a", "aa"},
      {"xyz", "q", "Q", "xyz"},
      {"", "%22", "\"", ""},
      {"abab", "ab", "abab", "abababab"},
  };
  for (const auto& c : cases) {
    char dst[64];
    strrpl(dst, c.src, c.find, c.repl);
    EXPECT_STREQ(dst, c.out) << c.src;
  }
}

TEST(CgiLog, LineFormat) {
  std::string path = nvr_path("/mnt/nand/cgi_log.txt");
  unlink(path.c_str());
  EXPECT_EQ(cgi_log("unit", 12, "", "value %d %s", 5, "x"), 0);
  std::string line = slurp(path);
  std::regex re(
      "\\[vorna debug\\] \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  unit:12 in : value 5 x\n");
  EXPECT_TRUE(std::regex_match(line, re)) << line;
  unlink(path.c_str());
  std::string huge(5000, 'h');
  EXPECT_EQ(cgi_log("u", 1, "", "%s", huge.c_str()), 0);
  EXPECT_EQ(slurp(path).size(), 2047u);
}

}  // namespace
