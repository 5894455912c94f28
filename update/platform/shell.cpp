// Shell commands of update, kept inside NVR_ROOT under emulation (see shell.h).
#include "shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

#include "upd_root.h"

extern char** environ;

namespace {

// Host tools that act only on the paths they are given.
constexpr std::array<std::string_view, 17> kHostTools = {
    "cat",   "grep", "echo",   "sync", "chmod", "touch", "test",  "true", "false",
    "sleep", "head", "printf", "rm",   "mv",    "cp",    "mkdir", "ls"};

bool is_separator(std::string_view word) {
  return word == "|" || word == ";" || word == "&&" || word == "||" || word == "&";
}

bool is_host_tool(std::string_view word) {
  for (std::string_view tool : kHostTools)
    if (word == tool) return true;
  return false;
}

// Single-quotes text for sh when it holds anything but plain path characters.
std::string shell_quote(const std::string& text) {
  bool plain = !text.empty();
  for (char c : text)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '.' || c == '_' ||
          c == '-' || c == '+' || c == ',' || c == ':' || c == '='))
      plain = false;
  if (plain) return text;
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  out += '\'';
  return out;
}

std::string program_under_root(const std::string& root, std::string_view name) {
  for (const char* dir : {"/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/"}) {
    std::string candidate = root + dir + std::string(name);
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  // Not there: a path that cannot exist, so the shell reports "not found".
  return root + "/bin/" + std::string(name);
}

std::string rewrite_word(const std::string& root, std::string_view word, bool command_position) {
  if (!word.empty() && word.front() == '/') return shell_quote(root + std::string(word));
  // Redirections such as ">/proc/x" or "2>/dev/null".
  size_t i = 0;
  while (i < word.size() && (std::isdigit(static_cast<unsigned char>(word[i])) || word[i] == '<' ||
                             word[i] == '>' || word[i] == '&'))
    ++i;
  if (i > 0 && i < word.size() && word[i] == '/' && word.find_first_of("<>") < i)
    return std::string(word.substr(0, i)) + shell_quote(root + std::string(word.substr(i)));
  if (command_position && word.find('/') == std::string_view::npos && !is_host_tool(word) &&
      word.find('=') == std::string_view::npos)
    return shell_quote(program_under_root(root, word));
  return std::string(word);
}

// The environment for the child: the caller's, with PATH limited to the host tools'
// folders under emulation and without the power-cut counter, which counts the
// operations of the process it was given to only.
std::vector<std::string> child_environment() {
  std::vector<std::string> env;
  bool emulated = upd_emulated();
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    std::string_view entry(*e);
    if (emulated && entry.rfind("PATH=", 0) == 0) continue;
    if (entry.rfind("NVR_FLASH_POWER_CUT=", 0) == 0) continue;
    env.emplace_back(entry);
  }
  if (emulated) env.emplace_back("PATH=/usr/bin:/bin");
  return env;
}

// Forks /bin/sh -c for the command with standard output on `out_fd` (or inherited when
// -1). The child's pid, or -1.
pid_t spawn_shell(const char* command, int out_fd) {
  std::string line = upd_shell_command(command);
  std::vector<std::string> env_text = child_environment();
  std::vector<char*> envp;
  for (auto& s : env_text) envp.push_back(s.data());
  envp.push_back(nullptr);
  char sh[] = "sh", dash_c[] = "-c";
  char* argv[] = {sh, dash_c, line.data(), nullptr};
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    if (out_fd >= 0 && out_fd != STDOUT_FILENO) dup2(out_fd, STDOUT_FILENO);
    execve("/bin/sh", argv, envp.data());
    _exit(127);
  }
  return pid;
}

int wait_child(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

std::map<FILE*, pid_t>& open_pipes() {
  static std::map<FILE*, pid_t> pipes;
  return pipes;
}

}  // namespace

std::string upd_shell_command(std::string_view command) {
  std::string root = upd_root();
  if (root.empty()) return std::string(command);
  std::string out;
  bool command_position = true;
  size_t pos = 0;
  while (pos < command.size()) {
    size_t start = command.find_first_not_of(" \t\n", pos);
    if (start == std::string_view::npos) break;
    size_t end = command.find_first_of(" \t\n", start);
    if (end == std::string_view::npos) end = command.size();
    std::string_view word = command.substr(start, end - start);
    // "sync;" ends a command as "sync ;" does.
    bool ends_command = word.size() > 1 && word.back() == ';';
    if (ends_command) word.remove_suffix(1);
    if (!out.empty()) out += ' ';
    if (is_separator(word)) {
      out += word;
      command_position = true;
    } else {
      out += rewrite_word(root, word, command_position);
      command_position = false;
    }
    if (ends_command) {
      out += " ;";
      command_position = true;
    }
    pos = end;
  }
  return out;
}

int upd_system(const char* command) {
  if (command == nullptr) return -1;
  pid_t pid = spawn_shell(command, -1);
  if (pid < 0) return -1;
  return wait_child(pid);
}

FILE* upd_popen(const char* command) {
  if (command == nullptr) return nullptr;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return nullptr;
  pid_t pid = spawn_shell(command, fds[1]);
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return nullptr;
  }
  FILE* stream = fdopen(fds[0], "r");
  if (stream == nullptr) {
    close(fds[0]);
    wait_child(pid);
    return nullptr;
  }
  open_pipes()[stream] = pid;
  return stream;
}

int upd_pclose(FILE* stream) {
  auto& pipes = open_pipes();
  auto it = pipes.find(stream);
  if (it == pipes.end()) return -1;
  pid_t pid = it->second;
  pipes.erase(it);
  std::fclose(stream);
  return wait_child(pid);
}
