#include "base/json_writer.hpp"

#include <array>
#include <charconv>

namespace qarvex {
namespace {

// The escape of each byte below U+0020 that has a short form; 0 where \u00XX is used.
constexpr std::array<char, 0x20> short_escapes = [] {
  std::array<char, 0x20> table{};
  table['\b'] = 'b';
  table['\f'] = 'f';
  table['\n'] = 'n';
  table['\r'] = 'r';
  table['\t'] = 't';
  return table;
}();

bool needs_escape(unsigned char byte) { return byte < 0x20 || byte == '"' || byte == '\\'; }

void append_escape(std::string& out, unsigned char byte) {
  static constexpr char hex[] = "0123456789abcdef";
  out += '\\';
  if (byte == '"' || byte == '\\') {
    out += static_cast<char>(byte);
  } else if (short_escapes[byte] != 0) {
    out += short_escapes[byte];
  } else {
    out += "u00";
    out += hex[byte >> 4];
    out += hex[byte & 0xf];
  }
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size() + 2);
  out += '"';
  std::size_t plain_from = 0;  // copy runs of unescaped bytes in one step
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (!needs_escape(byte)) continue;
    out.append(text, plain_from, i - plain_from);
    append_escape(out, byte);
    plain_from = i + 1;
  }
  out.append(text, plain_from);
  out += '"';
}

void JsonWriter::separate() {
  if (needs_comma_) out_ += ',';
}

void JsonWriter::open(char bracket) {
  separate();
  out_ += bracket;
  needs_comma_ = false;
}

void JsonWriter::close(char bracket) {
  out_ += bracket;
  needs_comma_ = true;
}

void JsonWriter::key(std::string_view name) {
  separate();
  append_json_string(out_, name);
  out_ += ':';
  needs_comma_ = false;
}

void JsonWriter::string(std::string_view text) {
  separate();
  append_json_string(out_, text);
  needs_comma_ = true;
}

void JsonWriter::boolean(bool value) {
  separate();
  out_ += value ? "true" : "false";
  needs_comma_ = true;
}

void JsonWriter::null() {
  separate();
  out_ += "null";
  needs_comma_ = true;
}

void JsonWriter::unsigned_integer(std::uint64_t value) {
  separate();
  std::array<char, 20> digits{};
  auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  (void)error;  // 20 digits always suffice for 64 bits
  out_.append(digits.data(), end);
  needs_comma_ = true;
}

}  // namespace qarvex
