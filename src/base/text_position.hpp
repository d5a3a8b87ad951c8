// Line and column of a byte offset in a text, as an editor shows them.
#pragma once

#include <cstddef>
#include <string_view>

namespace qarvex {

// A 1-based place in a text. The column counts characters (Unicode scalar values, i.e. the
// bytes that begin a UTF-8 sequence), as an editor shows them, not bytes.
struct TextPosition {
  std::size_t line = 1;
  std::size_t column = 1;

  bool operator==(const TextPosition&) const = default;
};

// Only line feeds start a new line, so "\r\n" counts once and a carriage return is a column
// like any other character (the rule for JSON documents). An offset past the end is the end.
TextPosition text_position(std::string_view text, std::size_t offset);

// A line feed or a CR LF pair starts a new line; a lone carriage return is a column (the rule
// for query texts). An offset between the CR and the LF of a pair is already on the next line.
TextPosition text_position_crlf(std::string_view text, std::size_t offset);

}  // namespace qarvex
