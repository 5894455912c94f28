// The module registries as a whole: what every module lists beside its routes.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "cgi_ipc.h"
#include "field_table.h"
#include "linkage.h"
#include "webres.h"

namespace {

TEST(ModuleRegistry, LogParameterTypesAreUniqueAcrossModules) {
  std::set<int> seen;
  int listed = 0;
  for (const ModuleRoutes* module : kModuleRoutes)
    for (int param : module->log_params) {
      ++listed;
      EXPECT_TRUE(seen.insert(param).second) << module->name << " reuses " << param;
    }
  // The built modules' types.
  for (int param : {901, 902, 903, 904, 905, 906, 907, 908, 909, 910, 911, 913, 920, 921, 922, 925})
    EXPECT_EQ(seen.count(param), 1u) << param;
  EXPECT_EQ(listed, static_cast<int>(seen.size()));
}

TEST(ModuleRegistry, KindsAreValidAndTheirTablesUnique) {
  std::set<std::string> tables;
  auto check = [&](const char* owner, const RecordKind* kind) {
    ASSERT_NE(kind, nullptr) << owner;
    EXPECT_TRUE(record_kind_is_valid(*kind)) << owner << " " << kind->name;
    EXPECT_TRUE(tables.insert(kind->name).second) << owner << " " << kind->name;
  };
  for (const RecordKind* kind : kLinkageKinds) check("links", kind);
  for (const ModuleRoutes* module : kModuleRoutes)
    for (const RecordKind* kind : module->kinds) check(module->name, kind);
  for (const char* name : {"user", "camera", "osd", "holiday", "record", "motion", "schedule"})
    EXPECT_EQ(tables.count(name), 1u) << name;
}

TEST(ModuleRegistry, AnswerRowsHaveWritersAndRecordSizes) {
  int rows = 0;
  for (const ModuleRoutes* module : kModuleRoutes) {
    std::set<int> types;
    for (const auto& table : module->answers)
      for (const IpcAnswerRoute& row : table) {
        ++rows;
        EXPECT_NE(row.handler, nullptr) << module->name << " " << row.answer_type;
        EXPECT_GT(row.record_size, 0u) << module->name << " " << row.answer_type;
        EXPECT_TRUE(types.insert(row.answer_type).second) << module->name << " " << row.answer_type;
      }
  }
  EXPECT_GE(rows, 3 + 11 + 11 + 1);  // record, camera, event, system
}

}  // namespace
