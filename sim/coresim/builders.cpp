// The builder table of coresim.
#include "builders.h"

#include "modules.h"

#include <algorithm>

void put_i32(std::vector<std::uint8_t>& out, std::int32_t v) {
  auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

void put_text(std::vector<std::uint8_t>& out, std::string_view text, std::size_t field_size) {
  std::size_t n = std::min(text.size(), field_size);
  out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
  out.insert(out.end(), field_size - n, 0);
}

namespace {

std::vector<std::uint8_t> status_ok(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  put_i32(out, 0);
  return out;
}

std::vector<std::uint8_t> status_fail(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  put_i32(out, -1);
  return out;
}

std::vector<std::uint8_t> echo(std::span<const std::uint8_t> request) {
  return {request.begin(), request.end()};
}

constexpr NamedBuilder kBuilders[] = {
    {"status_ok", status_ok, "one int32 0 (success)"},
    {"status_fail", status_fail, "one int32 -1 (refused)"},
    {"echo", echo, "the request payload unchanged"},
};

}  // namespace

std::span<const NamedBuilder> coresim_builders() {
  return kBuilders;
}

const NamedBuilder* find_builder(std::string_view name) {
  for (const auto& b : kBuilders)
    if (b.name == name) return &b;
  for (const CoreModule* m : coresim_modules())
    for (const auto& b : m->builders)
      if (b.name == name) return &b;
  return nullptr;
}
