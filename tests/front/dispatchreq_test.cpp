// The resource table: the module tables as a whole, registration limits, slot reuse and
// dispatch.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "nvr_root.h"
#include "webres.h"

namespace {

class Table : public ::testing::Test {
 protected:
  void SetUp() override { webres_reset(); }
  void TearDown() override { webres_reset(); }
};

std::string read_log() {
  std::ifstream f(nvr_path("/mnt/nand/cgi_log.txt"));
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// n distinct routes "/a0000"... with a given handler.
std::vector<WebReq> make_routes(int n, int first, WebHandler h) {
  std::vector<WebReq> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    std::snprintf(v[static_cast<std::size_t>(i)].path.text, 8, "/t%05d", first + i);
    v[static_cast<std::size_t>(i)].handler = h;
  }
  return v;
}

int g_calls = 0;
std::string g_text;
int record(char* text) {
  ++g_calls;
  g_text = text;
  return 7;
}

TEST(ModuleTables, EveryPathOnceInTheRequiredOrderAndCounts) {
  const struct {
    const char* name;
    int count;
  } expected[] = {{"aging", 5},     {"alarm", 18},  {"camera", 81}, {"network", 39},
                  {"ptz", 21},      {"record", 10}, {"status", 12}, {"storage", 29},
                  {"playback", 33}, {"system", 63}, {"event", 109}};
  std::set<std::string> seen;
  int total = 0;
  for (int i = 0; i < 11; ++i) {
    const ModuleRoutes* m = kModuleRoutes[i];
    EXPECT_STREQ(m->name, expected[i].name);
    EXPECT_EQ(m->count, expected[i].count) << m->name;
    for (int j = 0; j < m->count; ++j) {
      std::string path(m->entries[j].path.text);
      EXPECT_TRUE(seen.insert(path).second) << "duplicate " << path;
      EXPECT_EQ(path[0], '/');
    }
    total += m->count;
  }
  EXPECT_EQ(total, 420);
  for (const char* p : {"/1000", "/1009", "/1020", "/vb.htm", "/dw.cgi", "/json", "/oem", "/ipc",
                        "/2000", "/2082", "/6999", "/6996", "/8011", "/7096", "/3300"})
    EXPECT_TRUE(seen.count(p)) << p;
  for (const char* p : {"/2002", "/2027", "/7088", "/6155", "/6156", "/6187", "/6188", "/1025"})
    EXPECT_FALSE(seen.count(p)) << p;
}

TEST_F(Table, AllModulesRegisterAndLeave91SlotsFree) {
  register_module_routes();
  EXPECT_EQ(webres_used_count(), 420);
  // The first module's paths sit in the first slots.
  EXPECT_EQ(FindWebRes("/3300"), FindWebRes("/3300"));
  EXPECT_NE(FindWebRes("/6999"), nullptr);
  EXPECT_EQ(FindWebRes("/VB.HTM"), nullptr);
  EXPECT_NE(FindWebRes("/vb.htm"), nullptr);
  unregister_module_routes();
  EXPECT_EQ(webres_used_count(), 0);
  EXPECT_EQ(FindWebRes("/1000"), nullptr);
}

TEST_F(Table, At511SlotsTheNextTableIsRefusedWholeAndLogged) {
  auto big = make_routes(511, 0, record);
  EXPECT_EQ(WebResRegister(big.data(), 511), 0);
  EXPECT_EQ(webres_used_count(), 511);
  auto one = make_routes(1, 900, record);
  EXPECT_EQ(WebResRegister(one.data(), 1), -1);
  EXPECT_EQ(webres_used_count(), 511);
  EXPECT_EQ(FindWebRes("/t00900"), nullptr);
  EXPECT_NE(read_log().find("dispatchreq:62 in : [quel debug] WEBREQ exceeded maximum "
                            "value(MAX_WEBREQ_COUNT)\n"),
            std::string::npos);
}

TEST_F(Table, ATableThatWouldNotFitStoresNothing) {
  auto a = make_routes(500, 0, record);
  auto b = make_routes(20, 600, record);
  auto c = make_routes(11, 700, record);
  EXPECT_EQ(WebResRegister(a.data(), 500), 0);
  EXPECT_EQ(WebResRegister(b.data(), 20), -1);
  EXPECT_EQ(FindWebRes("/t00600"), nullptr);
  EXPECT_EQ(WebResRegister(c.data(), 11), 0);  // a later module that fits still registers
  EXPECT_EQ(webres_used_count(), 511);
}

TEST_F(Table, BadArgumentsChangeNothing) {
  auto a = make_routes(3, 0, record);
  EXPECT_EQ(WebResRegister(nullptr, 3), -1);
  EXPECT_EQ(WebResRegister(a.data(), 0), -1);
  EXPECT_EQ(WebResRegister(a.data(), -2), -1);
  EXPECT_EQ(WebResUnregister(nullptr, 3), -1);
  EXPECT_EQ(WebResUnregister(a.data(), 0), -1);
  EXPECT_EQ(webres_used_count(), 0);
  EXPECT_EQ(FindWebRes(nullptr), nullptr);
}

TEST_F(Table, UnregisterFreesExactlyItsSlotsAndTheLowestAreReused) {
  auto a = make_routes(3, 0, record);
  auto b = make_routes(3, 10, record);
  auto c = make_routes(2, 20, record);
  ASSERT_EQ(WebResRegister(a.data(), 3), 0);
  ASSERT_EQ(WebResRegister(b.data(), 3), 0);
  const WebReq* b0 = FindWebRes("/t00010");
  ASSERT_EQ(WebResUnregister(a.data(), 3), 0);
  EXPECT_EQ(webres_used_count(), 3);
  EXPECT_EQ(FindWebRes("/t00000"), nullptr);
  EXPECT_EQ(FindWebRes("/t00010"), b0);
  const WebReq* slot0 = b0 - 3;
  ASSERT_EQ(WebResRegister(c.data(), 2), 0);
  EXPECT_EQ(FindWebRes("/t00020"), slot0);
  EXPECT_EQ(FindWebRes("/t00021"), slot0 + 1);
}

TEST_F(Table, DispatchRunsTheHandlerWithTheTextOnly) {
  static const WebReq routes[] = {{"/1009", record}, {"/1020", record}, {"/9000", nullptr}};
  ASSERT_EQ(WebResRegister(routes, 3), 0);
  char t1[] = "first", t2[] = "second", t3[] = "third";
  g_calls = 0;
  EXPECT_EQ(DispatchWebReq("/1009", t1), 7);
  EXPECT_EQ(g_text, "first");
  EXPECT_EQ(DispatchWebReq("/1020", t2), 7);
  EXPECT_EQ(g_text, "second");
  EXPECT_EQ(g_calls, 2);
  // Unknown, differently cased, too long or not yet built: nothing runs.
  DispatchWebReq("/1021", t3);
  DispatchWebReq("/9000", t3);
  DispatchWebReq("/10099", t3);
  DispatchWebReq(nullptr, t3);
  EXPECT_EQ(g_calls, 2);
}

// Unregistering all modules at once frees what unregistering them one by one would: also
// the slots another table filled with one of their paths, and nothing else.
TEST_F(Table, UnregisteringTheModulesFreesEverySlotOfTheirPaths) {
  static const WebReq extra[] = {{"/1019", record}, {"/echo", record}, {"", record}};
  ASSERT_EQ(WebResRegister(extra, 2), 0);
  register_module_routes();
  auto more = make_routes(40, 0, record);
  ASSERT_EQ(WebResRegister(more.data(), 40), 0);
  ASSERT_EQ(webres_used_count(), 462);
  unregister_module_routes();
  EXPECT_EQ(webres_used_count(), 41);  // "/echo" and the 40 others
  EXPECT_EQ(FindWebHandler("/1019"), nullptr);
  EXPECT_EQ(FindWebHandler("/echo"), record);
  EXPECT_EQ(FindWebHandler("/t00039"), record);
  // The free slots are reused from the lowest: slot 0 ("/1019" before) comes first.
  const WebReq* echo = FindWebRes("/echo");
  ASSERT_EQ(WebResRegister(extra + 2, 1), 0);
  EXPECT_EQ(FindWebRes(""), echo - 1);
  EXPECT_EQ(FindWebHandler(""), record);
  EXPECT_EQ(WebResUnregister(extra + 2, 1), 0);
  EXPECT_EQ(webres_used_count(), 41);
  EXPECT_EQ(FindWebHandler("/12345678"), nullptr);
}

}  // namespace
