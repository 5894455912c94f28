// Whole-process cost of a program: starts it N times with a CGI environment and reports
// the median and spread of the wall time and the peak resident memory (from wait4).
//   proc_bench RUNS PROGRAM [NAME=VALUE ...]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: proc_bench RUNS PROGRAM [NAME=VALUE ...]\n");
    return 2;
  }
  int runs = std::atoi(argv[1]);
  std::vector<char*> env;
  for (int i = 3; i < argc; ++i) env.push_back(argv[i]);
  env.push_back(nullptr);
  std::vector<double> ms;
  std::vector<long> rss_kb;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
      int null = open("/dev/null", 1);
      dup2(null, 1);
      char* args[] = {argv[2], nullptr};
      execve(argv[2], args, env.data());
      _exit(127);
    }
    int status;
    rusage ru{};
    wait4(pid, &status, 0, &ru);
    auto end = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    rss_kb.push_back(ru.ru_maxrss);
  }
  std::sort(ms.begin(), ms.end());
  std::sort(rss_kb.begin(), rss_kb.end());
  auto at = [&](double q) { return ms[static_cast<std::size_t>(q * (ms.size() - 1))]; };
  std::printf("%-28s runs %4d  median %.3f ms  p10 %.3f  p90 %.3f  peak RSS %ld KiB\n",
              argv[2] + std::string(argv[2]).rfind('/') + 1, runs, at(0.5), at(0.1), at(0.9),
              rss_kb[rss_kb.size() / 2]);
  return 0;
}
