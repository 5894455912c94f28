// Direct access to a test root's main store, for what no request can do: breaking writes to
// a table (the failing-write trigger) and reading a raw column.
#pragma once

#include <cstdint>
#include <string>

#include "temp_root.h"

namespace nvrtest {

// Runs SQL on the root's main store; "" on success, else SQLite's message.
std::string store_sql(const TempRoot& root, const std::string& statement);

// Makes every later insert or update of `table` fail ("refused"), until allow_writes. The
// table must exist (a first write creates it). "" on success, else why not.
std::string refuse_writes(const TempRoot& root, const std::string& table);
std::string allow_writes(const TempRoot& root, const std::string& table);

// The integer of the first row of a one-column query, or `fallback`.
int64_t store_query_int(const TempRoot& root, const std::string& query, int64_t fallback = -1);

}  // namespace nvrtest
