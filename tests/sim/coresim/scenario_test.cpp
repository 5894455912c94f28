// coresim's scenario format: accepted rules, refused lines, overriding, defaults.
#include "scenario.h"

#include <gtest/gtest.h>

#include "builders.h"
#include "modules.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ParseScenario, Rules) {
  RuleSet rules;
  std::string error;
  ASSERT_TRUE(parse_scenario(R"(# comment line
3504 answer=8504 delay_ms=0 hex=00000000   # trailing comment
3300 builder=status_ok
1234 silent
4012 repeat=3 hex=0A0b
3360 hex=01000000 then delay_ms=50 answer=9999 hex= then builder=echo
3000 magic=0x12345678 length=16777217
2000
)",
                             rules, error))
      << error;
  ASSERT_EQ(rules.size(), 7u);

  const Rule& mail = rules.at(3504);
  ASSERT_EQ(mail.steps.size(), 1u);
  EXPECT_EQ(mail.steps[0].answer_type, 8504u);
  EXPECT_EQ(mail.steps[0].payload, Bytes({0, 0, 0, 0}));

  EXPECT_EQ(rules.at(3300).steps[0].builder, "status_ok");
  EXPECT_EQ(rules.at(3300).steps[0].answer_type, 8300u);  // default: request + 5000
  EXPECT_TRUE(rules.at(1234).silent);
  EXPECT_EQ(rules.at(4012).steps[0].repeat, 3u);
  EXPECT_EQ(rules.at(4012).steps[0].payload, Bytes({0x0a, 0x0b}));

  const Rule& seq = rules.at(3360);
  ASSERT_EQ(seq.steps.size(), 3u);
  EXPECT_EQ(seq.steps[0].answer_type, 8360u);
  EXPECT_EQ(seq.steps[1].answer_type, 9999u);
  EXPECT_EQ(seq.steps[1].delay_ms, 50u);
  EXPECT_TRUE(seq.steps[1].payload.empty());
  EXPECT_EQ(seq.steps[2].answer_type, 9999u);  // inherits the previous step's type
  EXPECT_EQ(seq.steps[2].builder, "echo");

  EXPECT_EQ(rules.at(3000).steps[0].magic, 0x12345678u);
  EXPECT_EQ(rules.at(3000).steps[0].length, 16777217u);
  // A bare type answers with an empty payload.
  EXPECT_FALSE(rules.at(2000).silent);
  EXPECT_TRUE(rules.at(2000).steps[0].payload.empty());
}

TEST(ParseScenario, RefusesMalformedLinesWithoutChange) {
  struct Case {
    const char* text;
    const char* error_part;
  };
  const Case cases[] = {
      {"abc hex=00", "line 1: bad request type"},
      {"\n3504 hex=0", "line 2: bad hex"},
      {"3504 hex=zz", "bad hex"},
      {"3504 builder=nope", "unknown builder"},
      {"3504 colour=red", "unknown option"},
      {"3504 hex=00 builder=status_ok", "one hex or builder"},
      {"3504 repeat=0", "repeat out of range"},
      {"3504 delay_ms=600001", "delay_ms out of range"},
      {"3504 delay_ms=-1", "bad number"},
      {"3504 silent hex=00", "stands alone"},
      {"3504 answer", "key=value"},
  };
  for (const auto& c : cases) {
    RuleSet rules;
    rules[1].type = 1;
    std::string error;
    EXPECT_FALSE(parse_scenario(c.text, rules, error)) << c.text;
    EXPECT_NE(error.find(c.error_part), std::string::npos) << c.text << " -> " << error;
    EXPECT_EQ(rules.size(), 1u);
  }
}

TEST(ParseScenario, FileRulesOverrideDefaults) {
  RuleSet rules;
  std::string error;
  ASSERT_TRUE(parse_scenario(kDefaultScenario, rules, error)) << error;
  ASSERT_TRUE(parse_scenario("3504 silent\n", rules, error)) << error;
  EXPECT_TRUE(rules.at(3504).silent);
  EXPECT_TRUE(rules.at(3485).silent);  // the other defaults stay
}

TEST(DefaultScenario, AnswersTheWaitedRequestsOfBuiltHandlers) {
  RuleSet rules;
  std::string error;
  ASSERT_TRUE(load_builtin_rules(rules, error)) << error;
  // Mail-link check: answered 8504 with int32 0.
  const Rule& mail = rules.at(3504);
  ASSERT_EQ(mail.steps.size(), 1u);
  EXPECT_EQ(mail.steps[0].answer_type, 8504u);
  const NamedBuilder* b = find_builder(mail.steps[0].builder);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->build({}), Bytes({0, 0, 0, 0}));
  // Operation log records are never answered.
  EXPECT_TRUE(rules.at(3485).silent);
  EXPECT_TRUE(rules.at(3509).silent);
}

TEST(Builders, NamesAreUniqueAndBuild) {
  std::vector<NamedBuilder> builders(coresim_builders().begin(), coresim_builders().end());
  for (const CoreModule* m : coresim_modules())
    builders.insert(builders.end(), m->builders.begin(), m->builders.end());
  for (std::size_t i = 0; i < builders.size(); ++i) {
    EXPECT_NE(builders[i].build, nullptr);
    for (std::size_t j = i + 1; j < builders.size(); ++j)
      EXPECT_NE(builders[i].name, builders[j].name);
  }
  const Bytes request = {1, 2, 3};
  EXPECT_EQ(find_builder("echo")->build(request), request);
  EXPECT_EQ(find_builder("status_fail")->build({}), Bytes({0xff, 0xff, 0xff, 0xff}));
}

}  // namespace
