#include "validator/query_lexer.hpp"

#include <algorithm>
#include <array>

namespace qarvex {
namespace {

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_word_char(char c) { return is_letter(c) || is_digit(c) || c == '_'; }
bool is_whitespace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }


class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  std::vector<Token> run() {
    std::vector<Token> tokens;
    for (;;) {
      bool after_trivia = skip_trivia();
      if (at_end()) return tokens;
      std::size_t begin = pos_;
      TokenKind kind = scan_token();
      tokens.push_back({kind, begin, pos_, after_trivia});
    }
  }

 private:
  bool at_end() const { return pos_ >= text_.size(); }
  char peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }
  bool starts_with(std::string_view prefix) const {
    return text_.substr(pos_).starts_with(prefix);
  }

  // Skips whitespace and comments; an unclosed "/*" is not a comment and is left in place.
  bool skip_trivia() {
    std::size_t start = pos_;
    for (;;) {
      if (!at_end() && is_whitespace(peek())) {
        ++pos_;
      } else if (starts_with("//")) {
        std::size_t line_end = text_.find('\n', pos_);
        pos_ = line_end == std::string_view::npos ? text_.size() : line_end + 1;
      } else if (starts_with("/*")) {
        std::size_t close = text_.find("*/", pos_ + 2);
        if (close == std::string_view::npos) break;
        pos_ = close + 2;
      } else {
        break;
      }
    }
    return pos_ != start;
  }

  // Moves past the first `closing` at or after `from`, or to the end when there is none.
  bool close_at(char closing, std::size_t from) {
    std::size_t close = text_.find(closing, from);
    pos_ = close == std::string_view::npos ? text_.size() : close + 1;
    return close != std::string_view::npos;
  }

  void skip_digits() {
    while (!at_end() && is_digit(peek())) ++pos_;
  }

  // Digits (or a 0x / 0o form), then a point that is not the first of two with its digits, then
  // an exponent; "1e5" and "1E-3" have an exponent and no point.
  void scan_number() {
    while (!at_end() && is_word_char(peek()) && peek() != 'e' && peek() != 'E') ++pos_;
    bool point = peek() == '.' && peek(1) != '.';
    if (point) {
      ++pos_;
      skip_digits();
    }
    bool signed_exponent = (peek(1) == '+' || peek(1) == '-') && is_digit(peek(2));
    if ((peek() == 'e' || peek() == 'E') && (is_digit(peek(1)) || signed_exponent)) {
      pos_ += signed_exponent ? 2 : 1;
      skip_digits();
    }
    if (!point) {
      while (!at_end() && is_word_char(peek())) ++pos_;  // the rest of "1exp" or "0xbeef"
    }
  }

  // Moves past the string that opens here: a backslash takes the next character with it, so
  // only an unescaped quote closes it. An unclosed string runs to the end.
  void scan_string(char quote) {
    for (++pos_; !at_end(); ++pos_) {
      if (peek() == '\\') {
        ++pos_;
      } else if (peek() == quote) {
        ++pos_;
        return;
      }
    }
    pos_ = text_.size();
  }

  TokenKind scan_token() {
    char c = peek();
    if (c == '\'' || c == '"') {
      scan_string(c);
      return TokenKind::String;
    }
    if (c == '`') return close_at('`', pos_ + 1) ? TokenKind::Name : TokenKind::Other;
    if (is_letter(c) || c == '_') {
      while (!at_end() && is_word_char(peek())) ++pos_;
      return TokenKind::Name;
    }
    if (is_digit(c)) {
      scan_number();
      return TokenKind::Number;
    }
    if (c == '$') {
      ++pos_;
      while (!at_end() && is_word_char(peek())) ++pos_;
      return TokenKind::Parameter;
    }
    if (starts_with("..")) {
      pos_ += 2;
      return TokenKind::Punctuation;
    }
    ++pos_;
    return static_cast<unsigned char>(c) < 0x80 ? TokenKind::Punctuation : TokenKind::Other;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::vector<Token> scan_tokens(std::string_view text) { return Scanner(text).run(); }

bool is_plain_name(std::string_view name) {
  if (name.empty() || !(is_letter(name[0]) || name[0] == '_')) return false;
  return std::all_of(name.begin(), name.end(), is_word_char);
}

}  // namespace qarvex
