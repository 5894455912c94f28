// Holidays: "/6030" lists the 32 holiday slots, "/6031" saves one of them. Schedules may
// treat these days apart; the core evaluates them.
#include "handler_kit.h"
#include "record/record_handlers.h"
#include "record/record_ipc.h"
#include "record/record_store.h"

int on_get_holiday_info(char* /*text*/) {
  HolidayRecord holidays[kMaxHolidays];
  int count = 0;
  if (store_list(kStoreMain, holidays, &count) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_record_list("holidays", kHolidayKind, holidays, count);
  return 0;
}

int on_set_holiday_info(char* text) {
  // "id", "enable" and "type" must be there; every key present must fit its field (id 0
  // to 31, enable 0 or 1, type not negative, integers where integers are kept).
  Json tree = request_checked(text, kHolidayKind, {"id", "enable", "type"});
  if (tree == nullptr) return -1;
  // Every field from the request; what it leaves out is cleared, not kept.
  HolidayRecord holiday;
  record_reset(kHolidayKind, &holiday, 0);
  (void)record_from_json(kHolidayKind, tree.get(), &holiday);
  if (store_write(kStoreMain, holiday) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kRecordCore.notice(kHolidaysChanged);
  kRecordCore.log(kLogParamHoliday, holiday.id);
  write_ok();
  return 0;
}
