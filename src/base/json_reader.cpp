#include "base/json_reader.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <system_error>

#include "base/ascii.hpp"
#include "base/json_writer.hpp"
#include "base/utf8.hpp"

namespace qarvex {
namespace {

// The descriptions of malformed text.
constexpr std::string_view eof_in_list = "EOF while parsing a list";
constexpr std::string_view eof_in_object = "EOF while parsing an object";
constexpr std::string_view eof_in_string = "EOF while parsing a string";
constexpr std::string_view eof_in_value = "EOF while parsing a value";
constexpr std::string_view expected_colon = "expected `:`";
constexpr std::string_view expected_list_separator = "expected `,` or `]`";
constexpr std::string_view expected_object_separator = "expected `,` or `}`";
constexpr std::string_view expected_ident = "expected ident";
constexpr std::string_view expected_value = "expected value";
constexpr std::string_view expected_quote = "expected `\"`";
constexpr std::string_view invalid_escape = "invalid escape";
constexpr std::string_view invalid_number = "invalid number";
constexpr std::string_view number_out_of_range = "number out of range";
constexpr std::string_view invalid_code_point = "invalid unicode code point";
constexpr std::string_view control_character =
    "control character (\\u0000-\\u001F) found while parsing a string";
constexpr std::string_view key_not_string = "key must be a string";
constexpr std::string_view lone_leading_surrogate = "lone leading surrogate in hex escape";
constexpr std::string_view trailing_comma = "trailing comma";
constexpr std::string_view trailing_characters = "trailing characters";
constexpr std::string_view short_hex_escape = "unexpected end of hex escape";
constexpr std::string_view too_deep = "recursion limit exceeded";

// A found string or number longer than this many characters is cut short in messages, so that
// a huge value does not make a huge message.
constexpr std::size_t described_text_limit = 40;

// Bytes that a string holds as they are, with nothing to check: printable ASCII except the
// quote and the backslash.
constexpr std::array<bool, 256> plain_string_bytes = [] {
  std::array<bool, 256> table{};
  for (int byte = 0x20; byte < 0x80; ++byte) table[byte] = byte != '"' && byte != '\\';
  return table;
}();


// Whether `rest` begins with some JSON value other than a string, found where a key belongs
// (anything else there is taken for a key without its quotes).
bool starts_non_string_value(std::string_view rest) {
  char c = rest.front();
  return is_ascii_digit(c) || c == '-' || c == '{' || c == '[' || rest.starts_with("true") ||
         rest.starts_with("false") || rest.starts_with("null");
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The length of the well-formed UTF-8 sequence (no overlong form, no surrogate, at most
// U+10FFFF) that starts `text`, whose first byte is not ASCII; 0 if there is none.
std::size_t utf8_sequence_length(std::string_view text) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char second_min = 0x80;
  unsigned char second_max = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) second_min = 0xA0;
    if (lead == 0xED) second_max = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) second_min = 0x90;
    if (lead == 0xF4) second_max = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < second_min || byte(1) > second_max) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!is_utf8_continuation(text[i])) return 0;
  }
  return length;
}

// The first `limit` characters of `text`, and "…" when something was cut.
std::string shortened(std::string_view text, std::size_t limit) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (is_utf8_continuation(text[i])) continue;
    if (characters++ == limit) return std::string(text.substr(0, i)) + "\u2026";
  }
  return std::string(text);
}

bool is_integer_literal(std::string_view number) {
  return number.find_first_of(".eE") == std::string_view::npos;
}

bool fits_in_64_bits(std::string_view integer) {
  const char* first = integer.data();
  const char* last = first + integer.size();
  if (integer.front() == '-') {
    std::int64_t value = 0;
    return std::from_chars(first, last, value).ec == std::errc{};
  }
  std::uint64_t value = 0;
  return std::from_chars(first, last, value).ec == std::errc{};
}

// The power of ten of the number's leading non-zero digit (saturating for absurd exponents);
// 0 for a zero.
std::int64_t decimal_magnitude(std::string_view number) {
  constexpr std::int64_t saturation = 1'000'000'000'000;
  std::size_t exponent_at = number.find_first_of("eE");
  std::string_view mantissa = number.substr(0, exponent_at);
  if (mantissa.front() == '-') mantissa.remove_prefix(1);
  std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  std::size_t leading = mantissa.find_first_not_of("0.");
  if (leading == std::string_view::npos) return 0;
  auto magnitude = leading < point ? static_cast<std::int64_t>(point - leading - 1)
                                   : -static_cast<std::int64_t>(leading - point);
  if (exponent_at == std::string_view::npos) return magnitude;
  std::string_view exponent = number.substr(exponent_at + 1);
  bool negative = exponent.front() == '-';
  if (exponent.front() == '-' || exponent.front() == '+') exponent.remove_prefix(1);
  std::int64_t value = 0;
  for (char digit : exponent) value = std::min(saturation, value * 10 + (digit - '0'));
  return magnitude + (negative ? -value : value);
}

// Whether the number is too large in magnitude for a double. One too small to be represented
// becomes zero, which is not an error.
bool overflows_double(std::string_view number) {
  double value = 0;
  auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  return result.ec == std::errc::result_out_of_range && decimal_magnitude(number) > 0;
}

}  // namespace

bool JsonReader::fail(std::size_t offset, std::string_view description) {
  if (!error_) error_ = JsonError{std::string(description), offset};
  return false;
}

bool JsonReader::fail_eof() {
  if (levels_.empty()) return fail_here(eof_in_value);
  return fail_here(levels_.back().closing == ']' ? eof_in_list : eof_in_object);
}

void JsonReader::skip_blanks() {
  while (!at_end() && is_ascii_white_space(current())) ++pos_;
}

std::optional<JsonKind> JsonReader::peek_value() {
  if (failed()) return std::nullopt;
  skip_blanks();
  token_ = pos_;
  // Only a value can stand here (at the top, or after a member's colon).
  if (at_end()) {
    fail_here(eof_in_value);
    return std::nullopt;
  }
  switch (current()) {
    case '{': return JsonKind::Object;
    case '[': return JsonKind::Array;
    case '"': return JsonKind::String;
    case 't':
    case 'f': return JsonKind::Boolean;
    case 'n': return JsonKind::Null;
    default: break;
  }
  if (current() == '-' || is_ascii_digit(current())) return JsonKind::Number;
  fail_here(expected_value);
  return std::nullopt;
}

// A call that does not match the text (say begin_array at a string) is the caller's mistake;
// it is recorded as a problem at that place instead of reading past the text's real structure.
bool JsonReader::at(char expected) {
  if (failed()) return false;
  if (at_end() || current() != expected) return fail_here(expected_value);
  return true;
}

bool JsonReader::enter(char opening, char closing) {
  if (!at(opening)) return false;
  if (levels_.size() >= max_depth) return fail_here(too_deep);
  ++pos_;
  levels_.push_back(Level{closing, true});
  return true;
}

bool JsonReader::begin_object() { return enter('{', '}'); }

bool JsonReader::begin_array() { return enter('[', ']'); }

// Handles what may come between the items of the innermost container: its closing bracket, or
// a comma (after the first item) followed by anything but the closing bracket.
JsonReader::Step JsonReader::next_item(char closing) {
  if (levels_.empty() || levels_.back().closing != closing) {
    return fail_here(expected_value), Step::Error;  // not inside such a container
  }
  Level& level = levels_.back();
  skip_blanks();
  token_ = pos_;
  if (at_end()) return fail_eof(), Step::Error;
  if (current() == closing) {
    ++pos_;
    levels_.pop_back();
    return Step::End;
  }
  if (!level.empty) {
    if (current() != ',') {
      fail_here(closing == ']' ? expected_list_separator : expected_object_separator);
      return Step::Error;
    }
    std::size_t comma = pos_++;
    skip_blanks();
    token_ = pos_;
    if (at_end()) return fail_eof(), Step::Error;
    if (current() == closing) return fail(comma, trailing_comma), Step::Error;
  }
  level.empty = false;
  return Step::Item;
}

JsonReader::Step JsonReader::next_element() {
  if (failed()) return Step::Error;
  return next_item(']');
}


JsonReader::Step JsonReader::next_member(std::string& key) {
  if (failed()) return Step::Error;
  Step step = next_item('}');
  if (step != Step::Item) return step;
  if (current() != '"') {
    fail_here(starts_non_string_value(text_.substr(pos_)) ? key_not_string : expected_quote);
    return Step::Error;
  }
  key.clear();
  if (!scan_string(&key)) return Step::Error;
  skip_blanks();
  if (at_end()) return fail_eof(), Step::Error;
  if (current() != ':') return fail_here(expected_colon), Step::Error;
  ++pos_;
  return Step::Item;
}

bool JsonReader::read_string(std::string& out) {
  out.clear();
  return at('"') && scan_string(&out);
}

// Reads from the opening quote to past the closing one; `out` (if given) gets the text.
bool JsonReader::scan_string(std::string* out) {
  ++pos_;
  std::size_t run = pos_;  // start of the pending run of bytes copied unchanged
  auto flush = [&] {
    if (out != nullptr) out->append(text_, run, pos_ - run);
  };
  while (!at_end()) {
    skip_plain_string_bytes();
    if (at_end()) break;
    auto byte = static_cast<unsigned char>(current());
    if (byte == '"') {
      flush();
      ++pos_;
      return true;
    }
    if (byte == '\\') {
      flush();
      if (!scan_escape(out)) return false;
      run = pos_;
    } else if (byte < 0x20) {
      return fail_here(control_character);
    } else {
      std::size_t length = utf8_sequence_length(text_.substr(pos_));
      if (length == 0) return fail_here(invalid_code_point);
      pos_ += length;
    }
  }
  return fail_here(eof_in_string);
}

void JsonReader::skip_plain_string_bytes() {
  const char* const begin = text_.data();
  const char* const end = begin + text_.size();
  const char* at = begin + pos_;
  while (at != end && plain_string_bytes[static_cast<unsigned char>(*at)]) ++at;
  pos_ = static_cast<std::size_t>(at - begin);
}

// At a backslash: reads one escape, or a surrogate pair of two.
bool JsonReader::scan_escape(std::string* out) {
  std::size_t backslash = pos_++;
  if (at_end()) return fail_here(eof_in_string);
  static constexpr std::string_view letters = "\"\\/bfnrt";
  static constexpr std::string_view meanings = "\"\\/\b\f\n\r\t";
  std::size_t simple = letters.find(current());
  if (simple != std::string_view::npos) {
    ++pos_;
    if (out != nullptr) *out += meanings[simple];
    return true;
  }
  if (current() != 'u') return fail(backslash, invalid_escape);
  ++pos_;
  std::optional<char32_t> unit = scan_hex4();
  if (!unit) return false;
  char32_t code_point = *unit;
  if (code_point >= 0xDC00 && code_point <= 0xDFFF) {
    return fail(backslash, invalid_code_point);
  }
  if (code_point >= 0xD800 && code_point <= 0xDBFF) {
    if (at_end()) return fail_here(eof_in_string);
    if (text_.substr(pos_, 2) != "\\u") return fail(backslash, lone_leading_surrogate);
    pos_ += 2;
    std::optional<char32_t> trailing = scan_hex4();
    if (!trailing) return false;
    if (*trailing < 0xDC00 || *trailing > 0xDFFF) {
      return fail(backslash, lone_leading_surrogate);
    }
    code_point = 0x10000 + ((code_point - 0xD800) << 10) + (*trailing - 0xDC00);
  }
  if (out != nullptr) append_utf8(*out, code_point);
  return true;
}

std::optional<char32_t> JsonReader::scan_hex4() {
  char32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    if (at_end()) {
      fail_here(eof_in_string);
      return std::nullopt;
    }
    int digit = hex_digit(current());
    if (digit < 0) {
      fail_here(short_hex_escape);
      return std::nullopt;
    }
    value = value * 16 + static_cast<char32_t>(digit);
    ++pos_;
  }
  return value;
}

bool JsonReader::scan_literal(std::string_view word) {
  for (char expected : word) {
    if (at_end()) return fail_here(eof_in_value);
    if (current() != expected) return fail_here(expected_ident);
    ++pos_;
  }
  return true;
}

// -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
std::optional<std::string_view> JsonReader::scan_number() {
  std::size_t start = pos_;
  auto digits = [&]() -> bool {  // one or more
    if (at_end()) return fail_here(eof_in_value);
    if (!is_ascii_digit(current())) return fail_here(invalid_number);
    while (!at_end() && is_ascii_digit(current())) ++pos_;
    return true;
  };
  if (current() == '-') ++pos_;
  if (!at_end() && current() == '0') {
    ++pos_;
    if (!at_end() && is_ascii_digit(current())) {
      fail_here(invalid_number);
      return std::nullopt;
    }
  } else if (!digits()) {
    return std::nullopt;
  }
  if (!at_end() && current() == '.') {
    ++pos_;
    if (!digits()) return std::nullopt;
  }
  if (!at_end() && (current() == 'e' || current() == 'E')) {
    ++pos_;
    if (!at_end() && (current() == '+' || current() == '-')) ++pos_;
    if (!digits()) return std::nullopt;
  }
  std::string_view number = text_.substr(start, pos_ - start);
  bool is_integer = is_integer_literal(number) && fits_in_64_bits(number);
  if (!is_integer && overflows_double(number)) {
    fail(start, number_out_of_range);
    return std::nullopt;
  }
  return number;
}

bool JsonReader::skip_value() {
  std::optional<JsonKind> kind = peek_value();
  if (!kind) return false;
  switch (*kind) {
    case JsonKind::String: return scan_string(nullptr);
    case JsonKind::Number: return scan_number().has_value();
    case JsonKind::Boolean: return scan_literal(current() == 't' ? "true" : "false");
    case JsonKind::Null: return scan_literal("null");
    case JsonKind::Object: {
      if (!begin_object()) return false;
      std::string key;
      Step step;
      while ((step = next_member(key)) == Step::Item) {
        if (!skip_value()) return false;
      }
      return step == Step::End;
    }
    case JsonKind::Array: {
      if (!begin_array()) return false;
      Step step;
      while ((step = next_element()) == Step::Item) {
        if (!skip_value()) return false;
      }
      return step == Step::End;
    }
  }
  return false;
}

std::optional<std::string> JsonReader::describe_value() {
  std::optional<JsonKind> kind = peek_value();
  if (!kind) return std::nullopt;
  switch (*kind) {
    case JsonKind::Object: return "map";
    case JsonKind::Array: return "sequence";
    case JsonKind::Null:
      if (!scan_literal("null")) return std::nullopt;
      return "null";
    case JsonKind::Boolean: {
      std::string_view word = current() == 't' ? "true" : "false";
      if (!scan_literal(word)) return std::nullopt;
      return "boolean `" + std::string(word) + "`";
    }
    case JsonKind::Number: {
      std::optional<std::string_view> number = scan_number();
      if (!number) return std::nullopt;
      bool integer = is_integer_literal(*number) && fits_in_64_bits(*number);
      return (integer ? "integer `" : "floating point `") +
             shortened(*number, described_text_limit) + "`";
    }
    case JsonKind::String: {
      std::string text;
      if (!scan_string(&text)) return std::nullopt;
      std::string described = "string ";
      append_json_string(described, shortened(text, described_text_limit));
      return described;
    }
  }
  return std::nullopt;
}

bool JsonReader::finish() {
  if (failed()) return false;
  skip_blanks();
  if (!at_end()) return fail_here(trailing_characters);
  return true;
}

}  // namespace qarvex
