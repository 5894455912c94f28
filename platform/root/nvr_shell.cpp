// Shell commands kept inside NVR_ROOT (see nvr_shell.h). The command is read the way
// sh reads it -- words, quotes, operators, redirections, comments, here-documents -- and
// only the words that must move are replaced; everything else is copied byte for byte.
#include "nvr_shell.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <utility>
#include <vector>

#include "nvr_root.h"

extern char** environ;

namespace {

// Programs taken from the host: plain tools that act on nothing but the paths and streams
// given to them.
constexpr std::string_view kHostTools[] = {"cat",   "chmod", "cp",  "grep",  "gunzip", "gzip",
                                           "head",  "ln",    "ls",  "mkdir", "mv",     "rm",
                                           "sleep", "sync",  "tar", "touch", "unzip"};
// Folders where a host tool may be named by its full path ("/bin/mv").
constexpr std::string_view kHostToolFolders[] = {"/bin", "/usr/bin", "/sbin", "/usr/sbin"};

// Built-ins the shell runs itself. "eval" and "." are left out: they run text as a
// command, which this rewriting would not see.
constexpr std::string_view kBuiltins[] = {
    ":",     "[",    "break", "cd",     "continue", "echo",     "exit",   "export",
    "false", "kill", "pwd",   "printf", "read",     "readonly", "return", "set",
    "shift", "test", "trap",  "true",   "umask",    "unset",    "wait"};

// Reserved words (and "exec") after which a command follows, and those after which none
// does.
constexpr std::string_view kBeforeCommand[] = {"!",    "{",  "do",   "elif",  "else",
                                               "exec", "if", "then", "until", "while"};
constexpr std::string_view kOtherReserved[] = {"}", "case", "done", "esac", "fi", "for"};

bool listed(std::span<const std::string_view> list, std::string_view word) {
  return std::find(list.begin(), list.end(), word) != list.end();
}

bool is_host_tool_path(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return listed(kHostToolFolders, path.substr(0, slash)) &&
         listed(kHostTools, path.substr(slash + 1));
}

// Single-quotes text for sh when it holds anything but plain path characters.
std::string shell_quote(std::string_view text) {
  bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("/._-+,:=").find(c) != std::string_view::npos;
  });
  if (plain) return std::string(text);
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

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}
bool ends_word(char c) {
  return is_blank(c) || c == '\n' || std::string_view(";&|()<>").find(c) != std::string_view::npos;
}

// A command substitution's text, as offsets into the command.
struct Span {
  std::size_t begin, end;
};

// The end of the expansion ($name, ${...}, $(...), $((...)), `...`) that starts at `i`.
// The text of a command substitution, whose commands must be rewritten too, is added to
// `commands`.
std::size_t skip_expansion(std::string_view s, std::size_t i, std::vector<Span>* commands) {
  const std::size_t n = s.size();
  if (s[i] == '`') {
    std::size_t j = i + 1;
    while (j < n && s[j] != '`') j += s[j] == '\\' ? 2 : 1;
    commands->push_back({i + 1, std::min(j, n)});
    return std::min(j + 1, n);
  }
  if (i + 1 >= n) return n;
  const char c = s[i + 1];
  if (c == '(' || c == '{') {
    const char close = c == '(' ? ')' : '}';
    int depth = 0;
    for (std::size_t j = i + 1; j < n; ++j) {
      if (s[j] == '\\') {
        ++j;
      } else if (s[j] == '\'') {
        j = s.find('\'', j + 1);
        if (j == std::string_view::npos) return n;
      } else if (s[j] == c) {
        ++depth;
      } else if (s[j] == close && --depth == 0) {
        // "$((" is arithmetic, not a command.
        if (c == '(' && s[i + 2] != '(') commands->push_back({i + 2, j});
        return j + 1;
      }
    }
    return n;
  }
  std::size_t j = i + 1;
  if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
    while (j < n && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_')) ++j;
    return j;
  }
  return std::min(j + 1, n);  // $1, $?, $$, ...
}

struct Word {
  std::size_t begin = 0, end = 0;  // its text in the command
  std::string lead;                // its value up to the first expansion
  bool expanded = false;           // holds an expansion
  bool quoted = false;             // holds a quote or an escape
  std::vector<Span> commands;      // its command substitutions
};

Word scan_word(std::string_view s, std::size_t i) {
  const std::size_t n = s.size();
  Word w;
  w.begin = i;
  auto add = [&w](char c) {
    if (!w.expanded) w.lead += c;
  };
  while (i < n && !ends_word(s[i])) {
    const char c = s[i];
    if (c == '\\') {
      w.quoted = true;
      if (i + 1 < n && s[i + 1] != '\n') add(s[i + 1]);
      i += 2;
    } else if (c == '\'') {
      w.quoted = true;
      std::size_t close = s.find('\'', i + 1);
      if (close == std::string_view::npos) close = n;
      for (std::size_t k = i + 1; k < close; ++k) add(s[k]);
      i = close + 1;
    } else if (c == '"') {
      w.quoted = true;
      ++i;
      while (i < n && s[i] != '"') {
        if (s[i] == '\\' && i + 1 < n &&
            std::string_view("\"\\$`\n").find(s[i + 1]) != std::string_view::npos) {
          if (s[i + 1] != '\n') add(s[i + 1]);
          i += 2;
        } else if (s[i] == '$' || s[i] == '`') {
          i = skip_expansion(s, i, &w.commands);
          w.expanded = true;
        } else {
          add(s[i++]);
        }
      }
      ++i;
    } else if (c == '$' || c == '`') {
      i = skip_expansion(s, i, &w.commands);
      w.expanded = true;
    } else {
      add(c);
      ++i;
    }
  }
  w.end = std::min(i, n);
  return w;
}

bool is_assignment(std::string_view text) {
  std::size_t eq = text.find('=');
  if (eq == 0 || eq == std::string_view::npos) return false;
  if (std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(eq), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  });
}

struct HereDocument {
  std::string delimiter;
  bool strip_tabs;
};

// Skips the bodies of the pending here-documents, which start at `i` (after a line end).
std::size_t skip_here_documents(std::string_view s, std::size_t i,
                                std::vector<HereDocument>* pending) {
  for (const HereDocument& doc : *pending) {
    while (i < s.size()) {
      std::size_t eol = s.find('\n', i);
      if (eol == std::string_view::npos) eol = s.size();
      std::string_view line = s.substr(i, eol - i);
      if (doc.strip_tabs) line.remove_prefix(std::min(line.find_first_not_of('\t'), line.size()));
      i = std::min(eol + 1, s.size());
      if (line == doc.delimiter) break;
    }
  }
  pending->clear();
  return i;
}

// What a redirection operator at `i` expects next, and its length.
enum class Next { kWord, kTarget, kHereDelimiter, kHereDelimiterTabs };

std::size_t redirection_length(std::string_view s, std::size_t i, Next* next) {
  std::string_view rest = s.substr(i);
  if (rest.starts_with("<<-")) {
    *next = Next::kHereDelimiterTabs;
    return 3;
  }
  if (rest.starts_with("<<")) {
    *next = Next::kHereDelimiter;
    return 2;
  }
  *next = Next::kTarget;
  for (std::string_view op : {"<>", "<&", ">>", ">&", ">|"})
    if (rest.starts_with(op)) return 2;
  return 1;
}

// A replacement of the command's text [begin, end).
struct Edit {
  std::size_t begin, end;
  std::string text;
};

// Reads one command (or the text of a command substitution) and lists the edits that
// keep it inside the root, in the order of their positions.
class Rewriter {
 public:
  Rewriter(std::string_view command, const std::string& root, const std::string& quoted_root,
           std::vector<Edit>* edits)
      : s_(command), root_(root), quoted_root_(quoted_root), edits_(edits) {}

  void run(std::size_t begin, std::size_t end) {
    std::size_t i = begin;
    while (i < end) {
      const char c = s_[i];
      if (is_blank(c)) {
        ++i;
      } else if (c == '\n') {
        command_position_ = true;
        i = skip_here_documents(s_.substr(0, end), i + 1, &here_documents_);
      } else if (c == '#') {
        i = std::min(s_.find('\n', i), end);
      } else if (c == '<' || c == '>') {
        i += redirection_length(s_.substr(0, end), i, &next_);
      } else if (std::string_view(";&|()").find(c) != std::string_view::npos) {
        // ";;", "&&" and "||" are one operator, which also ends a command.
        i += (i + 1 < end && s_[i + 1] == c && c != '(' && c != ')') ? 2 : 1;
        command_position_ = true;
      } else {
        Word w = scan_word(s_.substr(0, end), i);
        word(w);
        for (const Span& inner : w.commands)
          Rewriter(s_, root_, quoted_root_, edits_).run(inner.begin, inner.end);
        i = w.end;
      }
    }
  }

 private:
  void word(const Word& w) {
    const std::string_view text = s_.substr(w.begin, w.end - w.begin);
    const Next next = std::exchange(next_, Next::kWord);
    if (next == Next::kHereDelimiter || next == Next::kHereDelimiterTabs) {
      here_documents_.push_back({w.lead, next == Next::kHereDelimiterTabs});
      return;
    }
    // "2>" is a redirection of descriptor 2, not a word.
    if (next == Next::kWord && !w.quoted && !w.expanded && w.end < s_.size() &&
        (s_[w.end] == '<' || s_[w.end] == '>') && std::all_of(text.begin(), text.end(), [](char c) {
          return std::isdigit(static_cast<unsigned char>(c));
        }))
      return;
    if (next == Next::kTarget || !command_position_) {
      move_if_absolute(w);
      return;
    }
    if (is_assignment(text)) return;
    if (!w.quoted && !w.expanded) {
      if (listed(kBeforeCommand, text)) return;
      if (listed(kOtherReserved, text)) {
        command_position_ = false;
        return;
      }
    }
    command_position_ = false;
    if (w.expanded || w.lead.find('/') != std::string::npos) {
      if (w.expanded || !is_host_tool_path(w.lead)) move_if_absolute(w);
    } else if (!listed(kBuiltins, w.lead) && !listed(kHostTools, w.lead)) {
      edits_->push_back({w.begin, w.end, shell_quote(program_under_root(root_, w.lead))});
    }
  }

  void move_if_absolute(const Word& w) {
    const std::string& v = w.lead;
    if (v.empty() || v.front() != '/') return;
    if (v.starts_with(root_) && (v.size() == root_.size() || v[root_.size()] == '/')) return;
    edits_->push_back({w.begin, w.begin, quoted_root_});
  }

  std::string_view s_;
  const std::string& root_;
  const std::string& quoted_root_;
  std::vector<Edit>* edits_;
  bool command_position_ = true;
  Next next_ = Next::kWord;
  std::vector<HereDocument> here_documents_;
};

}  // namespace

std::string nvr_shell_command(std::string_view command) {
  const std::string root = nvr_root();
  if (root.empty()) return std::string(command);
  const std::string quoted_root = shell_quote(root);
  std::vector<Edit> edits;
  Rewriter(command, root, quoted_root, &edits).run(0, command.size());
  std::string out;
  std::size_t copied = 0;
  for (const Edit& e : edits) {
    out.append(command.substr(copied, e.begin - copied));
    out += e.text;
    copied = e.end;
  }
  out.append(command.substr(copied));
  return out;
}

pid_t nvr_shell_spawn(const char* command, int out_fd, std::span<const std::string_view> drop_env) {
  if (command == nullptr) return -1;
  std::string line = nvr_shell_command(command);
  const bool rooted = nvr_emulated();
  std::string path = "PATH=/usr/bin:/bin";
  std::vector<char*> envp;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    std::string_view entry(*e);
    std::string_view name = entry.substr(0, entry.find('='));
    if ((rooted && name == "PATH") || listed(drop_env, name)) continue;
    envp.push_back(*e);
  }
  if (rooted) envp.push_back(path.data());
  envp.push_back(nullptr);

  char sh[] = "sh", dash_c[] = "-c";
  char* argv[] = {sh, dash_c, line.data(), nullptr};
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return -1;
  bool ready = out_fd < 0 || out_fd == STDOUT_FILENO ||
               posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO) == 0;
  std::fflush(nullptr);
  pid_t pid = -1;
  if (ready && posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv, envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int nvr_shell_wait(pid_t pid) {
  if (pid <= 0) return -1;  // waitpid would wait for some other child
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

int nvr_shell_run(const char* command, std::span<const std::string_view> drop_env) {
  pid_t pid = nvr_shell_spawn(command, -1, drop_env);
  return pid < 0 ? -1 : nvr_shell_wait(pid);
}

std::string nvr_program_path(std::string_view name) {
  const std::string root = nvr_root();
  return root.empty() ? std::string(name) : program_under_root(root, name);
}
