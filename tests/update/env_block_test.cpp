// The boot environment block without flash: byte layout and checksum against bytes built
// by hand, the copy choice of the boot loader, the built-in environment, and the edits of
// the variable list at the edges of its room.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "env_block.h"
#include "support/reference_crc.h"

namespace {

std::vector<uint8_t> bytes_of(const EnvBlock& block) {
  std::vector<uint8_t> out(sizeof block);
  std::memcpy(out.data(), &block, sizeof block);
  return out;
}

std::unique_ptr<EnvBlock> encoded(const std::vector<std::string>& texts) {
  auto block = std::make_unique<EnvBlock>();
  EXPECT_TRUE(env_encode(texts, block.get()));
  return block;
}

std::vector<std::string> texts_of(const EnvBlock& block) {
  std::vector<std::string> out;
  auto entries = env_entries(block);
  if (!entries) return {"<not terminated>"};
  for (std::string_view e : *entries) out.emplace_back(e);
  return out;
}

TEST(EnvBlock, LayoutAndChecksumMatchBytesBuiltByHand) {
  auto block = encoded({"bootdelay=1", "sn=X"});
  block->generation = 0x2A;
  env_seal(block.get());

  std::vector<uint8_t> expected(0x10000, 0);
  const char list[] = "bootdelay=1\0sn=X\0";  // and the list's end from the zeroed area
  std::memcpy(expected.data() + 4, list, sizeof list);
  expected[0xFFFF] = 0x2A;
  uint32_t crc = nvrtest::reference_crc(expected.data() + 4, 0x10000 - 4);
  for (int i = 0; i < 4; ++i)
    expected[static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));

  EXPECT_EQ(bytes_of(*block), expected);
  EXPECT_TRUE(env_crc_ok(*block));
  EXPECT_EQ(env_stored_crc(*block), crc);
  // The generation byte is covered by the checksum.
  block->generation = 0x2B;
  EXPECT_FALSE(env_crc_ok(*block));
}

TEST(EnvBlock, CopyChoiceOfTheBootLoader) {
  struct Case {
    bool valid0;
    int gen0;
    bool valid1;
    int gen1;
    EnvChoice expected;
  };
  const Case cases[] = {
      {true, 255, true, 0, EnvChoice::kCopy1},  // one step across the wrap
      {true, 0, true, 255, EnvChoice::kCopy1},  // plainly greater
      {true, 7, true, 7, EnvChoice::kCopy0},    // equal: copy 0
      {true, 3, true, 4, EnvChoice::kCopy1},   {true, 4, true, 3, EnvChoice::kCopy0},
      {true, 254, true, 0, EnvChoice::kCopy0}, {true, 0, false, 200, EnvChoice::kCopy0},
      {false, 0, true, 0, EnvChoice::kCopy1},  {false, 9, false, 1, EnvChoice::kDefault},
  };
  for (const Case& c : cases)
    EXPECT_EQ(env_choose_copy(c.valid0, static_cast<uint8_t>(c.gen0), c.valid1,
                              static_cast<uint8_t>(c.gen1)),
              c.expected)
        << c.gen0 << "/" << c.gen1;
}

TEST(EnvBlock, BuiltInEnvironmentIsThe180BytesOfTheBootLoader) {
  auto block = std::make_unique<EnvBlock>();
  std::memset(block->vars, 'x', sizeof block->vars);
  block->generation = 9;
  env_put_default(block.get());
  const std::string bootcmd =
      "bootcmd=bootp; setenv bootargs root=/dev/nfs nfsroot=${serverip}:${rootpath} "
      "ip=${ipaddr}:${serverip}:${gatewayip}:${netmask}:${hostname}::off; bootm";
  EXPECT_EQ(texts_of(*block),
            (std::vector<std::string>{bootcmd, "bootdelay=5", "baudrate=115200"}));
  EXPECT_EQ(bootcmd.size() + 1 + 12 + 16 + 2, kEnvDefaultSize);
  EXPECT_EQ(std::string(block->vars + kEnvDefaultSize - 2, 2), std::string(2, '\0'));
  EXPECT_EQ(block->vars[sizeof block->vars - 1], '\0');  // free space cleared
  EXPECT_EQ(block->generation, 9);
}

TEST(EnvBlock, EditsReplaceAtTheEndRemoveAndLookUp) {
  auto block = encoded({"a=1", "bootargs=x", "c=3"});
  const EnvChange changes[] = {{"bootargs", "longer"}, {"c", std::nullopt}, {"d", ""}};
  ASSERT_EQ(env_apply(block.get(), changes), EnvEdit::kDone);
  EXPECT_EQ(texts_of(*block), (std::vector<std::string>{"a=1", "bootargs=longer", "d="}));
  auto entries = env_entries(*block);
  ASSERT_TRUE(entries);
  EXPECT_EQ(env_find(*entries, "bootargs"), "longer");
  EXPECT_EQ(env_find(*entries, "d"), "");
  EXPECT_EQ(env_find(*entries, "boot"), std::nullopt);  // a prefix is not a name
  EXPECT_EQ(env_find(*entries, "c"), std::nullopt);
  // Bytes after the list are cleared when an entry is removed.
  const size_t used = std::strlen("a=1") + std::strlen("bootargs=longer") + std::strlen("d=") + 3;
  for (size_t i = used; i < used + 8; ++i) EXPECT_EQ(block->vars[i], '\0') << i;
}

TEST(EnvBlock, RefusedEditsLeaveTheBlockAsItWas) {
  auto block = encoded({"a=1", "b=2"});
  const std::vector<uint8_t> before = bytes_of(*block);
  const std::string too_long(kEnvAreaSize, 'v');
  struct Case {
    EnvChange bad;
    EnvEdit expected;
  };
  const Case cases[] = {
      {{"", "v"}, EnvEdit::kBadName},
      {{"x=y", "v"}, EnvEdit::kBadName},
      {{std::string_view("x\0y", 3), "v"}, EnvEdit::kBadName},
      {{"x", std::string_view("v\0w", 3)}, EnvEdit::kBadName},
      {{"x", too_long}, EnvEdit::kOverflow},
  };
  for (const Case& c : cases) {
    // A good change first: the whole batch is undone.
    const EnvChange batch[] = {{"a", "changed"}, c.bad};
    size_t failed = 99;
    EXPECT_EQ(env_apply(block.get(), batch, &failed), c.expected);
    EXPECT_EQ(failed, 1u);
    EXPECT_EQ(bytes_of(*block), before);
  }
}

TEST(EnvBlock, RoomIsTheAreaBeforeTheGenerationByteAndCountsTheOldEntry) {
  // "a=1\0" + "big=<v>\0" + the list's end must fit in 65531 bytes.
  const size_t fixed = 4 + 5 + 1;
  const size_t exact = kEnvAreaSize - fixed;
  auto block = encoded({"a=1"});
  const std::string v_exact(exact, 'v'), w_exact(exact, 'w'), w_longer(exact + 1, 'w');
  const EnvChange fits[] = {{"big", v_exact}};
  ASSERT_EQ(env_apply(block.get(), fits), EnvEdit::kDone);
  EXPECT_EQ(block->vars[kEnvAreaSize - 1], '\0');  // the list's end, before the generation
  block->generation = 0xEE;
  ASSERT_EQ(texts_of(*block).size(), 2u);

  // Replacing the value by one of the same length fits in the old entry's room.
  const EnvChange same[] = {{"big", w_exact}};
  EXPECT_EQ(env_apply(block.get(), same), EnvEdit::kDone);
  const EnvChange longer[] = {{"big", w_longer}};
  EXPECT_EQ(env_apply(block.get(), longer), EnvEdit::kOverflow);
  const EnvChange other[] = {{"b", ""}};
  EXPECT_EQ(env_apply(block.get(), other), EnvEdit::kOverflow);
  EXPECT_EQ(texts_of(*block)[1], "big=" + std::string(exact, 'w'));
  EXPECT_EQ(block->generation, 0xEE);
}

TEST(EnvBlock, ListRunningToTheEndOfTheAreaIsNotTerminated) {
  auto block = std::make_unique<EnvBlock>();
  std::memset(block->vars, 'x', sizeof block->vars);
  block->vars[0] = 'a';
  block->vars[1] = '=';
  block->generation = 0;  // a NUL right after the area does not end the list
  EXPECT_FALSE(env_entries(*block));
  const EnvChange change[] = {{"a", "1"}};
  EXPECT_EQ(env_apply(block.get(), change), EnvEdit::kNotTerminated);

  // Terminated in its last byte: one entry of the area's whole length.
  block->vars[sizeof block->vars - 1] = '\0';
  EXPECT_FALSE(env_entries(*block));  // no room left for the list's end
  block->vars[sizeof block->vars - 2] = '\0';
  ASSERT_TRUE(env_entries(*block));
  EXPECT_EQ(env_entries(*block)->size(), 1u);
}

TEST(EnvBlock, EncodeRefusesWhatTheListCannotHold) {
  auto block = std::make_unique<EnvBlock>();
  EXPECT_FALSE(env_encode(std::vector<std::string>{"novalue"}, block.get()));
  EXPECT_FALSE(env_encode(std::vector<std::string>{"=x"}, block.get()));
  EXPECT_FALSE(
      env_encode(std::vector<std::string>{"a=" + std::string(kEnvAreaSize, 'v')}, block.get()));
  EXPECT_TRUE(
      env_encode(std::vector<std::string>{"a=" + std::string(kEnvAreaSize - 4, 'v')}, block.get()));
}

}  // namespace
