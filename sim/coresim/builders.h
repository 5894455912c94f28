// Named payload builders of coresim: answers that are easier to build in C++ than to
// write as hex in a scenario (fixed-layout records, answers that depend on the request).
// Later handler work adds its builders to the table in builders.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Builds an answer payload from the request payload.
using PayloadBuilder = std::vector<std::uint8_t> (*)(std::span<const std::uint8_t> request);

struct NamedBuilder {
  std::string_view name;
  PayloadBuilder build;
  std::string_view about;  // one line for --help
};

std::span<const NamedBuilder> coresim_builders();
// The builder of that name, or null.
const NamedBuilder* find_builder(std::string_view name);

// Little helpers for builders: append native little-endian values and fixed text fields.
void put_i32(std::vector<std::uint8_t>& out, std::int32_t v);
void put_text(std::vector<std::uint8_t>& out, std::string_view text, std::size_t field_size);
