// Parsing coresim scenarios, and the built-in default rules.
#include "scenario.h"

#include <charconv>

#include "builders.h"

const char kDefaultScenario[] = R"(# Built-in answers of coresim.
# Operation log records: fire-and-forget.
3485 silent
3509 silent
)";

namespace {

constexpr std::uint32_t kMaxDelayMs = 600000;
constexpr std::uint32_t kMaxRepeat = 1000;

[[nodiscard]] std::optional<std::uint32_t> parse_number(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint32_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return v;
}

[[nodiscard]] int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

[[nodiscard]] bool parse_hex(std::string_view text, std::vector<std::uint8_t>& out) {
  if (text.size() % 2 != 0) return false;
  out.clear();
  for (std::size_t i = 0; i < text.size(); i += 2) {
    int hi = hex_digit(text[i]), lo = hex_digit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return true;
}

std::vector<std::string_view> split_words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// Applies one "key=value" option to a step; returns a fault description or "".
std::string apply_option(std::string_view word, AnswerStep& step) {
  auto eq = word.find('=');
  if (eq == std::string_view::npos) return "expected key=value, got '" + std::string(word) + "'";
  std::string_view key = word.substr(0, eq), value = word.substr(eq + 1);
  if (key == "hex") {
    if (!parse_hex(value, step.payload)) return "bad hex payload";
    return "";
  }
  if (key == "builder") {
    if (find_builder(value) == nullptr) return "unknown builder '" + std::string(value) + "'";
    step.builder = std::string(value);
    return "";
  }
  if (key != "answer" && key != "delay_ms" && key != "repeat" && key != "magic" && key != "length")
    return "unknown option '" + std::string(key) + "'";
  auto number = parse_number(value);
  if (!number) return "bad number in '" + std::string(word) + "'";
  if (key == "answer") {
    step.answer_type = *number;
  } else if (key == "delay_ms") {
    if (*number > kMaxDelayMs) return "delay_ms out of range";
    step.delay_ms = *number;
  } else if (key == "repeat") {
    if (*number < 1 || *number > kMaxRepeat) return "repeat out of range";
    step.repeat = *number;
  } else if (key == "magic") {
    step.magic = *number;
  } else {
    step.length = *number;
  }
  return "";
}

// Parses one rule line (comment already removed, not blank).
std::string parse_rule(const std::vector<std::string_view>& words, Rule& rule) {
  auto type = parse_number(words[0]);
  if (!type) return "bad request type '" + std::string(words[0]) + "'";
  rule.type = *type;
  if (words.size() == 2 && words[1] == "silent") {
    rule.silent = true;
    return "";
  }
  std::uint32_t answer = *type + 5000;
  AnswerStep step;
  step.answer_type = answer;
  int payload_options = 0;  // hex= and builder= given for this step
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (words[i] == "then") {
      rule.steps.push_back(step);
      answer = step.answer_type;
      step = AnswerStep{};
      step.answer_type = answer;
      payload_options = 0;
      continue;
    }
    if (words[i] == "silent") return "'silent' stands alone after the type";
    if (words[i].starts_with("hex=") || words[i].starts_with("builder="))
      if (++payload_options > 1) return "a step has one hex or builder payload";
    std::string fault = apply_option(words[i], step);
    if (!fault.empty()) return fault;
  }
  rule.steps.push_back(step);
  return "";
}

}  // namespace

bool parse_scenario(std::string_view text, RuleSet& rules, std::string& error) {
  RuleSet parsed = rules;
  int line_no = 0;
  while (!text.empty()) {
    auto nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    ++line_no;
    if (auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    auto words = split_words(line);
    if (words.empty()) continue;
    Rule rule;
    std::string fault = parse_rule(words, rule);
    if (!fault.empty()) {
      error = "line " + std::to_string(line_no) + ": " + fault;
      return false;
    }
    parsed[rule.type] = std::move(rule);
  }
  rules = std::move(parsed);
  return true;
}
