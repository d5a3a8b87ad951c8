#include "base/unicode_ident.hpp"

#include <algorithm>

#include "base/unicode_ident_data.hpp"
#include "base/utf8.hpp"

namespace qarvex {
namespace {

bool is_ascii_word_char(char c, IdentPlace place) {
  bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
  return letter || (place == IdentPlace::Part && c >= '0' && c <= '9');
}

// The code point of a well-formed two- or three-byte sequence (the plane the table covers).
std::size_t decode_bmp(std::string_view text, char32_t& code) {
  auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : 0;
  if (length == 0 || text.size() < length) return 0;
  code = lead & (length == 2 ? 0x1F : 0x0F);
  for (std::size_t i = 1; i < length; ++i) {
    if (!is_utf8_continuation(text[i])) return 0;
    code = (code << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
  }
  bool overlong = length == 3 && code < 0x800;
  bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return overlong || surrogate ? 0 : length;
}

}  // namespace

std::size_t identifier_char_length(std::string_view text, IdentPlace place) {
  if (text.empty()) return 0;
  if (static_cast<unsigned char>(text[0]) < 0x80) return is_ascii_word_char(text[0], place) ? 1 : 0;
  char32_t code = 0;
  std::size_t length = decode_bmp(text, code);
  if (length == 0) return 0;
  const unicode_data::IdentRun* end = unicode_data::ident_runs + unicode_data::ident_run_count;
  const unicode_data::IdentRun* run = std::upper_bound(
      unicode_data::ident_runs, end, code,
      [](char32_t point, const unicode_data::IdentRun& entry) { return point < entry.first; });
  if (run == unicode_data::ident_runs) return 0;
  --run;
  if (code > run->last) return 0;
  return place == IdentPlace::Start && !run->starts ? 0 : length;
}

}  // namespace qarvex
