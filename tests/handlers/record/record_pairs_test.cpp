// The recording module's settings pairs, one table row each, served in process.
#include <gtest/gtest.h>

#include "support/settings_pair.h"

namespace {

using nvrtest::SettingsPair;

const SettingsPair kPairs[] = {
    {.name = "holidays",
     .set_path = "/6031",
     .body = R"({"id":4,"name":"Spring festival","enable":1,"type":1,"startYear":2025,)"
             R"("startMon":1,"startMDay":28,"endYear":2025,"endMon":2,"endMDay":4})",
     .get_path = "/6030",
     .get_contains = R"({"id":4,"enable":1,"name":"Spring festival","type":1,"startYear":2025,)"
                     R"("startMon":1,"startMDay":28,"startMWeek":0,"startWDay":0,"endYear":2025,)"
                     R"("endMon":2,"endMDay":4,"endMWeek":0,"endWDay":0})",
     .notice = 1401,
     .log_param = 920,
     .log_channel = 4,
     .refused = {"not json", R"({"enable":1,"type":1})", R"({"id":32,"enable":1,"type":1})",
                 R"({"id":"abc","enable":1,"type":1})", R"({"id":1,"enable":2,"type":1})",
                 R"({"id":1,"enable":1,"type":-1})", R"({"id":1,"enable":1})",
                 R"({"id":1,"enable":1,"type":1,"name":{"a":1}})"},
     .table = "holiday"},
};

class RecordPairs : public ::testing::TestWithParam<SettingsPair> {};

TEST_P(RecordPairs, SaveReadBackRefuseAndFail) {
  nvrtest::check_settings_pair(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Pairs, RecordPairs, ::testing::ValuesIn(kPairs),
                         [](const ::testing::TestParamInfo<SettingsPair>& p) {
                           return p.param.name;
                         });

}  // namespace
