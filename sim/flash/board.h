// The emulated board's own settings and the record of the programs it ran.
//
// "<root>/flashsim/board.conf" holds text lines "key value":
//   model_line TEXT   first line printed by the stand-in "dvchip_update" (rest of line)
//   phy_id N          the Ethernet PHY identifier read through "/dev/mem" on a board
//   poe_id N          the PoE controller's identification byte read over I2C
// A missing phy_id reads as a failed PHY read, a missing poe_id as no answer.
// "<root>/flashsim/calls.log" gets one line per call of the stand-ins "reboot" and
// "dvchip_update": the program name and its arguments.
#pragma once

#include <string>

namespace flashsim {

struct BoardSettings {
  std::string model_line;
  bool has_phy_id = false;
  int phy_id = -1;
  bool has_poe_id = false;
  int poe_id = 0;
};

std::string board_settings_path(const std::string& root);
std::string calls_log_path(const std::string& root);

// False when the file is missing or unreadable; unknown keys are ignored.
[[nodiscard]] bool load_board_settings(const std::string& root, BoardSettings* out);
[[nodiscard]] bool save_board_settings(const std::string& root, const BoardSettings& board);

// Appends one line to the calls log; false when it cannot be written.
[[nodiscard]] bool record_call(const std::string& root, const std::string& line);

}  // namespace flashsim
