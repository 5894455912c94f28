// Plate lists in process: the life cycle of entries in the plate store (batch add and
// replace, update, delete), decoding and cutting of plate texts, and the refused requests
// that must leave the lists as they were.
#include <gtest/gtest.h>

#include <string>

#include "dvdb.h"
#include "event/anpr_list.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"

namespace {

using nvrtest::InProcess;

const std::string& kText = nvrtest::kTextHeader;
const std::string kOk = kText + "OK";

InProcess& web() {
  return InProcess::instance();
}

// The answer of "/6184" for n entries stored.
std::string counted(int n) {
  return nvrtest::kJsonHeader + "{ \"count\": " + std::to_string(n) + " }";
}

int stored_count() {
  int n = -1;
  EXPECT_EQ(store_count(kStoreAnpr, kAnprPlateKind, &n), 0);
  return n;
}

// The list type stored for `plate`, or "-" when the plate is not stored.
std::string type_of(const std::string& plate) {
  AnprPlateRecord r{};
  if (store_find(kStoreAnpr, kAnprPlateKind, "plate", plate.c_str(), &r) != 0) return "-";
  return r.type;
}

TEST(AnprList, LifeCycle) {
  web();
  // "cnt" 3 with two elements: two entries; the escaped plate is stored decoded, the type
  // cut to 15 characters.
  EXPECT_EQ(web().post("/6184", R"({"cnt":3,"plate":[["black","AB%20123"],)"
                                R"(["white-list-with-long-name","CD456"]]})"),
            counted(2));
  EXPECT_EQ(stored_count(), 2);
  EXPECT_EQ(type_of("AB 123"), "black");
  EXPECT_EQ(type_of("CD456"), "white-list-with");

  // A plate added again replaces its entry instead of doubling it.
  EXPECT_EQ(web().post("/6184", R"({"cnt":1,"plate":[["white","AB+123"]]})"), counted(1));
  EXPECT_EQ(stored_count(), 2);
  EXPECT_EQ(type_of("AB 123"), "white");

  // A malformed element anywhere refuses the update before any plate is touched.
  EXPECT_EQ(web().post("/6185", R"({"cnt":2,"plate":[["CD456","black","EF789"],)"
                                R"(["AB 123","black",""]]})"),
            nvrtest::kTextErrorBody);
  EXPECT_EQ(type_of("CD456"), "white-list-with");
  EXPECT_EQ(type_of("EF789"), "-");

  // Renames one plate and retypes the other (old and new plate alike).
  EXPECT_EQ(web().post("/6185", R"({"cnt":2,"plate":[["CD456","black","EF%37%38%39"],)"
                                R"(["AB%20123","visitor","AB 123"]]})"),
            kOk);
  EXPECT_EQ(stored_count(), 2);
  EXPECT_EQ(type_of("CD456"), "-");
  EXPECT_EQ(type_of("EF789"), "black");
  EXPECT_EQ(type_of("AB 123"), "visitor");

  // Deletes up to "cnt" plates; an unknown plate is no fault.
  EXPECT_EQ(web().post("/6183", R"({"cnt":2,"plate":["EF789","ZZ000","AB 123"]})"), kOk);
  EXPECT_EQ(stored_count(), 1);
  EXPECT_EQ(type_of("AB 123"), "visitor");
  EXPECT_EQ(web().post("/6183", R"({"cnt":1,"plate":["AB%20123"]})"), kOk);
  EXPECT_EQ(stored_count(), 0);
  EXPECT_TRUE(web().sent().empty());
}

TEST(AnprList, LongPlateIsCutToItsField) {
  const std::string escaped(300, 'A');
  EXPECT_EQ(web().post("/6184", R"({"cnt":1,"plate":[["black",")" + escaped + R"("]]})"),
            counted(1));
  EXPECT_EQ(type_of(std::string(63, 'A')), "black");
  EXPECT_EQ(web().post("/6183", R"({"cnt":1,"plate":[")" + escaped + R"("]})"), kOk);
  EXPECT_EQ(type_of(std::string(63, 'A')), "-");
}

struct Refused {
  const char* path;
  const char* body;
  const std::string& error;
};

TEST(AnprList, RefusedRequestsChangeNothing) {
  ASSERT_EQ(web().post("/6184", R"({"cnt":1,"plate":[["black","KEEP1"]]})"), counted(1));
  const Refused cases[] = {
      {"/6183", R"({"cnt":10001,"plate":["KEEP1"]})", nvrtest::kTextErrorBody},
      {"/6183", R"({"cnt":0,"plate":["KEEP1"]})", nvrtest::kTextErrorBody},
      {"/6183", R"({"cnt":1,"plate":[5]})", nvrtest::kTextErrorBody},
      {"/6183", R"({"cnt":1})", nvrtest::kTextErrorBody},
      {"/6183", "not json", nvrtest::kTextErrorBody},
      {"/6184", R"({"cnt":10001,"plate":[["white","KEEP1"]]})", nvrtest::kJsonErrorBody},
      {"/6184", R"({"cnt":1,"plate":[]})", nvrtest::kJsonErrorBody},
      {"/6184", R"({"cnt":1,"plate":[["white"]]})", nvrtest::kJsonErrorBody},
      {"/6184", R"({"cnt":1,"plate":[["white",""]]})", nvrtest::kJsonErrorBody},
      {"/6185", R"({"cnt":0,"plate":[["KEEP1","white","KEEP2"]]})", nvrtest::kTextErrorBody},
      {"/6185", R"({"cnt":1,"plate":[["KEEP1","white"]]})", nvrtest::kTextErrorBody},
      {"/6185", R"({"cnt":1,"plate":[["KEEP1",3,"KEEP2"]]})", nvrtest::kTextErrorBody},
      {"/6185", R"({"cnt":1,"plate":[]})", nvrtest::kTextErrorBody},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " " + c.body);
    EXPECT_EQ(web().post(c.path, c.body), c.error);
    EXPECT_EQ(type_of("KEEP1"), "black");
    EXPECT_EQ(type_of("KEEP2"), "-");
  }
  EXPECT_EQ(web().post("/6183", R"({"cnt":1,"plate":["KEEP1"]})"), kOk);
}

}  // namespace
