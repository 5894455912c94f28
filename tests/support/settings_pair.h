// One table row per settings get/set pair: the save is answered "OK", stored (the getter
// shows it), told to the core (the notice and its bytes) and logged (parameter type and
// channel); bodies the check refuses get no answer and send nothing; a save whose store
// write fails gets the error answer and sends nothing.
//
//   const SettingsPair kHolidays{
//       .name = "holidays", .set_path = "/6031", .body = R"({"id":4,...})",
//       .get_path = "/6030", .get_contains = R"({"id":4,"enable":1,...})",
//       .notice = 1401, .log_param = 920, .log_channel = 4,
//       .refused = {R"({"id":32,"enable":1,"type":0})", ...},
//       .table = "holiday"};
//   TEST(RecordPairs, Holidays) { check_settings_pair(kHolidays); }
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace nvrtest {

struct SettingsPair {
  std::string name = {};
  std::string set_path = {};
  std::string body = {};
  std::string get_path = {};
  std::string get_query = {};     // the getter's request text
  std::string get_contains = {};  // the getter's answer (plain JSON) contains this after the save
  uint32_t notice = 0;            // the change notice sent after the save (0: none)
  std::string notice_hex = {};    // its payload ("" for none)
  int log_param = -1;             // the log record's parameter type (-1: no log record)
  int log_channel = -1;           // the record's 0-based channel (-1: none)
  std::vector<std::string> refused = {};  // bodies answered with nothing, sending nothing
  std::string table = {};                 // the store table of the save, for the failed write
  std::string failed_answer = "Content-type: text/plain\r\n\r\nCGI ERROR";
};

// Test parameters print as their name.
inline void PrintTo(const SettingsPair& pair, std::ostream* os) {
  *os << pair.name;
}

// Runs the whole row in process (support/inprocess.h) and reports every mismatch.
void check_settings_pair(const SettingsPair& pair);

}  // namespace nvrtest
