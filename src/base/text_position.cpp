#include "base/text_position.hpp"

#include <algorithm>

#include "base/utf8.hpp"

namespace qarvex {
namespace {

TextPosition count_position(std::string_view text, std::size_t offset, bool crlf_breaks) {
  TextPosition at;
  std::size_t end = std::min(offset, text.size());
  for (std::size_t i = 0; i < end; ++i) {
    char c = text[i];
    bool crlf = crlf_breaks && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    if (c == '\n' || crlf) {
      if (crlf) ++i;
      ++at.line;
      at.column = 1;
    } else if (!is_utf8_continuation(c)) {
      ++at.column;
    }
  }
  return at;
}

}  // namespace

TextPosition text_position(std::string_view text, std::size_t offset) {
  return count_position(text, offset, false);
}

TextPosition text_position_crlf(std::string_view text, std::size_t offset) {
  return count_position(text, offset, true);
}

}  // namespace qarvex
