// ASCII character classes and case folding, for texts whose keywords and syntax are ASCII.
// Every other byte, UTF-8 sequences included, is left as it is.
#pragma once

namespace qarvex {

constexpr char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
constexpr char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

constexpr bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// Space, tab, line feed and carriage return: the white space of queries and JSON alike.
constexpr bool is_ascii_white_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace qarvex
