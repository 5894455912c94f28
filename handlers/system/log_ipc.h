// The log pages' exchange with the core: search (3495), export (3494) and the detail text
// of one record (3488), their payloads and answers, and the answer rows the module's router
// joins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <type_traits>

#include "cgi_ipc.h"
#include "loginfo.h"

inline constexpr int kLogDetail = 3488;  // OperationLogRecord, answered by 8488 (text)
inline constexpr int kLogExport = 3494;  // LogQuery, answered by 8494
inline constexpr int kLogSearch = 3495;  // LogQuery, answered by 8495
inline constexpr int kLogDetailAnswer = 8488;
inline constexpr int kLogExportAnswer = 8494;
inline constexpr int kLogSearchAnswer = 8495;

inline constexpr int kLogPageSize = 100;
inline constexpr int kLogMaxSubTypes = 100;

struct LogQuery {
  int32_t start_time;
  int32_t end_time;
  int32_t main_type;  // 1, 2, 4, 8, 32 or 64
  int32_t reserved12;
  int64_t sub_types[kLogMaxSubTypes];
  int32_t sub_type_count;
  int32_t page;
  uint64_t channel_mask;  // bit n: channel n + 1
  int32_t no_channel;     // search without channel
  int32_t reserved836;
};
static_assert(sizeof(LogQuery) == 840);
static_assert(offsetof(LogQuery, sub_types) == 16);
static_assert(offsetof(LogQuery, sub_type_count) == 816);
static_assert(offsetof(LogQuery, page) == 820);
static_assert(offsetof(LogQuery, channel_mask) == 824);
static_assert(offsetof(LogQuery, no_channel) == 832);
static_assert(std::is_trivially_copyable_v<LogQuery>);

// 8495: one whole page; a shorter answer is no page at all.
struct LogSearchPage {
  int32_t total;
  int32_t count;  // records of this page; bounded by kLogPageSize when read
  OperationLogRecord records[kLogPageSize];
};
static_assert(sizeof(LogSearchPage) == 67208);
static_assert(offsetof(LogSearchPage, records) == 8);
static_assert(std::is_trivially_copyable_v<LogSearchPage>);

// 8494: the file the core wrote the selection to.
struct LogExportAnswer {
  int32_t unused;
  char path[64];  // NUL-terminated within the field
};
static_assert(sizeof(LogExportAnswer) == 68);
static_assert(offsetof(LogExportAnswer, path) == 4);
static_assert(std::is_trivially_copyable_v<LogExportAnswer>);

// The export file: an int32 record count, then this per record.
inline constexpr std::size_t kLogExportDetailSize = 4096;
struct LogExportEntry {
  OperationLogRecord record;
  char detail[kLogExportDetailSize];  // NUL-terminated within the field
};
static_assert(sizeof(LogExportEntry) == 4768);
static_assert(offsetof(LogExportEntry, detail) == 672);
static_assert(std::is_trivially_copyable_v<LogExportEntry>);

int on_log_search_info_cb(int count, const void* payload);
int on_log_web_export_info_cb(int count, const void* payload);
int on_log_web_get_log_detail_cb(int count, const void* payload);
inline constexpr IpcAnswerRoute kLogAnswers[] = {
    {kLogSearchAnswer, sizeof(LogSearchPage), on_log_search_info_cb},
    {kLogExportAnswer, sizeof(LogExportAnswer), on_log_web_export_info_cb},
    {kLogDetailAnswer, 1, on_log_web_get_log_detail_cb},
};

// ---- Pieces shared by the search, the detail and the export -------------------------------

// The category of a main type: 1 -> 1, 2 -> 2, 4 -> 3, 8 -> 4, 32 -> 5, 64 -> 6, else -1.
int log_main_category(int main_type);
// The export file's name word of a category: "Event", "Operation", ... or "All".
const char* log_category_name(int category);

// The address a record shows: after "::ffff:" for a mapped IPv4 address, else cut before
// the first "%" (the zone), else as stored; read within the record's field.
void log_shown_address(const OperationLogRecord& record, char* out, std::size_t size);

// `text` as local time in `pattern` (the local-time rules decide daylight saving). Nothing
// when it does not parse whole.
[[nodiscard]] bool log_parse_time(const char* text, const char* pattern, int32_t* seconds);
// Local time as "%4d-%02d-%02d %02d:%02d:%02d".
void log_format_time(time_t seconds, char* out, std::size_t size);

// The query checks both the search and the export make: a JSON object with "language" (a
// name trans_init accepts), "mainType" 1 to 64, "subTypeArr" whose first element is 10 or
// more, "startTime", "endTime" and "curPageNum". Null otherwise (the reason on standard
// error).
struct json_object;
[[nodiscard]] bool check_log_query(json_object* tree);
// Main type, sub types (at most 100, widened with their sign) and their number.
void log_query_types(json_object* tree, LogQuery* query);
