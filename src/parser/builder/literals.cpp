#include "parser/builder/literals.hpp"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <system_error>

#include "parser/builder/node_text.hpp"

namespace qarvex {
namespace {

// The whole of `text` as an integer in `base`, or nothing when it is not one or does not fit.
std::optional<std::int64_t> parse_whole(std::string_view text, int base) {
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::int64_t integer_literal_value(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.starts_with("0o")) {
    base = 8;
    text.remove_prefix(2);
  }
  // from_chars would take a sign; a literal has none.
  if (!text.empty() && text.front() == '-') return 0;
  return parse_whole(text, base).value_or(0);
}

double float_literal_value(std::string_view text) {
  double value = 0.0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Too large or too small for a double: a negative exponent means too small.
    std::size_t exponent = text.find_first_of("eE");
    bool tiny = exponent != std::string_view::npos && exponent + 1 < text.size() &&
                text[exponent + 1] == '-';
    return tiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  if (error != std::errc() || end != text.data() + text.size()) return 0.0;
  return value;
}

LengthRange range_literal_value(std::string_view text) {
  while (!text.empty() && text.front() == '*') text.remove_prefix(1);
  text = trim(text);
  LengthRange range;
  if (text.empty()) return range;
  std::size_t dots = text.find("..");
  if (dots == std::string_view::npos) {
    range.min = range.max = parse_whole(text, 10);
    return range;
  }
  range.min = parse_whole(trim(text.substr(0, dots)), 10);
  std::string_view rest = text.substr(dots + 2);
  range.max = parse_whole(trim(rest.substr(0, rest.find(".."))), 10);
  return range;
}

std::string parameter_name(std::string_view text) {
  text.remove_prefix(std::min(text.find_first_not_of('$'), text.size()));
  return std::string(text);
}

}  // namespace qarvex
