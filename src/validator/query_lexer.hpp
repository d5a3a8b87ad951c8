// A small lexical scan of Cypher text: just enough to tell names from string literals,
// comments, numbers and punctuation. It follows the token rules of the grammar (strings with
// backslash escapes, non-nesting block comments, backtick names) but builds no tree; the
// fixed query uses it to find where a misspelt name stands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qarvex {

enum class TokenKind : std::uint8_t {
  Name,         // an identifier word or a backtick-quoted name (backticks included)
  String,       // a quoted literal, quotes included
  Number,       // an integer or float literal
  Parameter,    // "$" and its name
  Punctuation,  // one ASCII symbol, or ".."
  Other,        // anything else: a stray byte, an unclosed backtick name
};

struct Token {
  TokenKind kind;
  std::size_t begin;  // byte offsets into the scanned text
  std::size_t end;
  bool after_trivia;  // whitespace or a comment stands right before it
};

// Every token of `text` in order; whitespace and comments are skipped.
std::vector<Token> scan_tokens(std::string_view text);

// True when `name` can stand unquoted as a label, relationship type or property key: a letter
// or "_", then letters, digits and "_" (reserved words included).
bool is_plain_name(std::string_view name);

}  // namespace qarvex
