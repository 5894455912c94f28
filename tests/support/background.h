// A long-running child (a web server, a simulator) that lives as long as the object.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace nvrtest {

class Background {
 public:
  // Starts argv with the given extra environment on top of this process's; standard
  // output and error go to `log_path` ("" discards them).
  Background(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
             const std::string& log_path = "");
  ~Background();  // SIGTERM, then SIGKILL, to the whole process group
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;

  pid_t pid() const { return pid_; }
  bool running() const;

 private:
  pid_t pid_ = -1;
};

// A TCP port on 127.0.0.1 that was free a moment ago.
int free_tcp_port();
// Waits until something accepts connections on 127.0.0.1:port; false after `seconds`.
bool wait_for_tcp(int port, double seconds);

}  // namespace nvrtest
