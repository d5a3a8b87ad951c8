#include "bindings/repr.hpp"

#include <cstdint>

namespace qarvex::py {
namespace {

// Control characters, and the invisible format and separator characters that would make a
// repr misleading when printed.
bool is_printable(std::uint32_t code) {
  if (code < 0x20 || (code >= 0x7f && code < 0xa0)) return false;
  switch (code) {
    case 0xad: case 0x061c: case 0x180e: case 0xfeff: case 0xfffe: case 0xffff:
      return false;
    default:
      break;
  }
  if (code >= 0x200b && code <= 0x200f) return false;
  if (code >= 0x2028 && code <= 0x202e) return false;
  if (code >= 0x2060 && code <= 0x206f) return false;
  if (code >= 0xfff9 && code <= 0xfffb) return false;
  return true;
}

// Decodes one UTF-8 sequence at text[i] (the text comes from Python and is well formed);
// returns the code point and advances i.
std::uint32_t next_code_point(std::string_view text, std::size_t& i) {
  auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(text[at]); };
  std::uint8_t lead = byte(i);
  int length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
  if (i + length > text.size()) length = 1;
  std::uint32_t code = length == 1 ? lead : lead & (0x7f >> length);
  for (int k = 1; k < length; ++k) code = (code << 6) | (byte(i + k) & 0x3f);
  i += length;
  return code;
}

void append_hex(std::string& out, std::uint32_t code) {
  static constexpr char digits[] = "0123456789abcdef";
  char buffer[8];
  int used = 0;
  do {
    buffer[used++] = digits[code & 0xf];
    code >>= 4;
  } while (code != 0);
  out += "\\u{";
  while (used > 0) out += buffer[--used];
  out += '}';
}

}  // namespace

void append_quoted(std::string& out, std::string_view text, NulEscape nul) {
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    std::size_t start = i;
    std::uint32_t code = next_code_point(text, i);
    switch (code) {
      case '"': out += "\\\""; continue;
      case '\\': out += "\\\\"; continue;
      case '\t': out += "\\t"; continue;
      case '\r': out += "\\r"; continue;
      case '\n': out += "\\n"; continue;
      case 0:
        if (nul == NulEscape::BackslashZero) {
          out += "\\0";
          continue;
        }
        break;
      default:
        break;
    }
    if (is_printable(code)) {
      out.append(text.substr(start, i - start));
    } else {
      append_hex(out, code);
    }
  }
  out += '"';
}

void append_quoted_list(std::string& out, const std::vector<std::string>& items, NulEscape nul) {
  out += '[';
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ", ";
    append_quoted(out, items[i], nul);
  }
  out += ']';
}

}  // namespace qarvex::py
