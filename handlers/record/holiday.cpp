// Holidays: "/6030" lists the 32 holiday slots, "/6031" saves one of them. Schedules may
// treat these days apart; the core evaluates them.
#include <json-c/json.h>

#include <iterator>

#include "cgi_response.h"
#include "record/record_handlers.h"
#include "record/record_ipc.h"
#include "record/record_store.h"
#include "record_json.h"

namespace {

constexpr int kLogParamHoliday = 920;

// "id", "enable" and "type" must be there; every key present must fit its field
// (id 0 to 31, enable 0 or 1, type not negative, integers where integers are kept).
bool check_holiday_info(json_object* tree) {
  static constexpr const char* kRequired[] = {"id", "enable", "type"};
  return record_validate(kHolidayKind, tree, kRequired, static_cast<int>(std::size(kRequired))) ==
         0;
}

}  // namespace

int on_get_holiday_info(char* /*text*/) {
  HolidayRecord holidays[kMaxHolidays];
  int count = 0;
  if (read_holidays(kStoreMain, holidays, &count) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_record_list("holidays", kHolidayKind, holidays,
                    count < kMaxHolidays ? count : kMaxHolidays);
  return 0;
}

int on_set_holiday_info(char* text) {
  json_object* tree = parse_record_request(text, check_holiday_info);
  if (tree == nullptr) return -1;
  // Every field from the request; what it leaves out is cleared, not kept.
  HolidayRecord holiday;
  record_reset(kHolidayKind, &holiday, 0);
  (void)record_from_json(kHolidayKind, tree, &holiday);
  json_object_put(tree);
  if (write_holiday(kStoreMain, &holiday) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  send_record_notice(kHolidaysChanged, nullptr, 0);
  send_record_log(kLogParamHoliday, holiday.id);
  cgi_writeback_webserver(kCgiText, "OK");
  return 0;
}
