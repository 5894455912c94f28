// Board settings and call log of the emulated recorder (see board.h).
#include "board.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "sim_files.h"

namespace flashsim {

std::string board_settings_path(const std::string& root) {
  return root + "/flashsim/board.conf";
}
std::string calls_log_path(const std::string& root) {
  return root + "/flashsim/calls.log";
}

namespace {

// Identifiers are 16-bit; anything else reads as no identifier.
[[nodiscard]] bool parse_id(const std::string& text, int* out) {
  uint64_t value = 0;
  if (!parse_number(text.c_str(), &value) || value > 0xFFFF) return false;
  *out = static_cast<int>(value);
  return true;
}

}  // namespace

bool load_board_settings(const std::string& root, BoardSettings* out) {
  std::string text;
  if (!read_small_file(board_settings_path(root), &text)) return false;
  BoardSettings board;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    size_t blank = line.find(' ');
    if (line.empty() || line[0] == '#' || blank == std::string::npos) continue;
    std::string key = line.substr(0, blank), value = line.substr(blank + 1);
    if (key == "model_line") board.model_line = value;
    if (key == "phy_id") board.has_phy_id = parse_id(value, &board.phy_id);
    if (key == "poe_id") board.has_poe_id = parse_id(value, &board.poe_id);
  }
  *out = board;
  return true;
}

bool save_board_settings(const std::string& root, const BoardSettings& board) {
  std::string text = "# Settings of the emulated board.\n";
  text += "model_line " + board.model_line + "\n";
  char number[32];
  if (board.has_phy_id) {
    std::snprintf(number, sizeof number, "0x%04X", static_cast<unsigned>(board.phy_id));
    text += std::string("phy_id ") + number + "\n";
  }
  if (board.has_poe_id) {
    std::snprintf(number, sizeof number, "0x%02X", static_cast<unsigned>(board.poe_id));
    text += std::string("poe_id ") + number + "\n";
  }
  return write_file_atomic(board_settings_path(root), text);
}

bool record_call(const std::string& root, const std::string& line) {
  int fd = ::open(calls_log_path(root).c_str(),
                  O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::string text = line + "\n";
  bool ok = write_full(fd, text.data(), text.size());
  ok = (close(fd) == 0) && ok;
  return ok;
}

}  // namespace flashsim
