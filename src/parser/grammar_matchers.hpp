// The matchers every Cypher grammar builds its rules from: character classes, whole words,
// quoted runs, reserved words and trivia. They know no rule of any grammar.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "parser/peg/engine.hpp"
#include "parser/reserved_words.hpp"

namespace qarvex::grammar {

using namespace peg;

constexpr bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_hex_digit(char c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr bool is_oct_digit(char c) { return c >= '0' && c <= '7'; }
constexpr bool is_word_char(char c) { return is_letter(c) || is_digit(c) || c == '_'; }
constexpr bool is_white_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

using Letter = CharIf<is_letter>;
using Digit = CharIf<is_digit>;
using HexDigit = CharIf<is_hex_digit>;
using OctDigit = CharIf<is_oct_digit>;
using WordChar = CharIf<is_word_char>;
using WhiteSpace = CharIf<is_white_space>;
using NameStart = Choice<Letter, Lit<"_">>;

// ^"WORD" !WORDCHAR: the boundary test looks at the byte right after the word, never past
// trivia, so it is glued to the word rather than being a sequence element.
template <Text word>
struct Word {
  static bool match(State& s) {
    std::size_t start = s.pos();
    if (!ILit<word>::match(s)) return false;
    if (s.at_end() || !is_word_char(s.text()[s.pos()])) return true;
    s.set_pos(start);
    return false;
  }
  static constexpr std::optional<ByteSet> first_bytes() { return ILit<word>::first_bytes(); }
};

// A list of one or more elements separated by `separator`.
template <typename Element, typename Separator = Lit<",">>
using ListOf = Seq<Element, Star<Seq<Separator, Element>>>;

// Long scans count against the parse's work limit at this rate.
constexpr std::size_t kBytesPerCharge = 16;

// Where a quoted run that opens at rest[0] closes: the next `quote`, or with `escapes` the next
// one not taken by a backslash (a backslash takes whatever character follows it). npos when it
// never closes. Quote and backslash are ASCII bytes, which never occur inside a multi-byte
// character, so searching for the bytes finds the same end.
template <char quote, bool escapes>
std::size_t closing_quote(std::string_view rest) {
  if constexpr (!escapes) {
    return rest.find(quote, 1);
  } else {
    static constexpr char stop_bytes[] = {quote, '\\'};
    constexpr std::string_view stops(stop_bytes, 2);
    for (std::size_t at = rest.find_first_of(stops, 1); at != std::string_view::npos;
         at = rest.find_first_of(stops, at + 2)) {
      if (rest[at] == quote) return at;
      if (at + 1 == rest.size()) break;
    }
    return std::string_view::npos;
  }
}

// QUOTE (!QUOTE ANY)* QUOTE, or with `escapes` QUOTE ("\\" ANY / !QUOTE ANY)* QUOTE.
template <char quote, bool escapes = false>
struct Quoted {
  static bool match(State& s) {
    std::string_view rest = s.rest();
    if (rest.empty() || rest[0] != quote) return false;
    std::size_t close = closing_quote<quote, escapes>(rest);
    s.charge((close == std::string_view::npos ? rest.size() : close) / kBytesPerCharge);
    if (close == std::string_view::npos) return false;
    s.advance(close + 1);
    return true;
  }
  static constexpr std::optional<ByteSet> first_bytes() { return bytes_of({quote}); }
};


// A word of at most eight bytes packed into one integer, upper-cased, for quick comparison.
constexpr std::uint64_t word_key(std::string_view word) {
  std::uint64_t key = 0;
  for (char c : word) key = (key << 8) | static_cast<unsigned char>(ascii_upper(c));
  return key;
}

constexpr std::array<std::uint64_t, kReservedWords.size()> reserved_keys() {
  std::array<std::uint64_t, kReservedWords.size()> keys{};
  for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = word_key(kReservedWords[i]);
  std::sort(keys.begin(), keys.end());
  return keys;
}
constexpr auto kReservedKeys = reserved_keys();

// keyword: the whole word at the position (the longest run of WORDCHAR) is a reserved word.
struct ReservedWord {
  static bool match(State& s) {
    std::string_view rest = s.rest();
    std::size_t length = 0;
    while (length < rest.size() && length <= kLongestReservedWord && is_word_char(rest[length])) {
      ++length;
    }
    if (length < 2 || length > kLongestReservedWord) return false;
    std::uint64_t key = word_key(rest.substr(0, length));
    if (!std::binary_search(kReservedKeys.begin(), kReservedKeys.end(), key)) return false;
    s.advance(length);
    return true;
  }
  static constexpr std::optional<ByteSet> first_bytes() { return Letter::first_bytes(); }
};

// Trivia: WHITESPACE*, then (COMMENT WHITESPACE*)*. An unclosed block comment is no comment.
inline bool skip_trivia(State& s) {
  std::string_view text = s.text();
  std::size_t pos = s.pos();
  auto skip_white_space = [&] {
    while (pos < text.size() && is_white_space(text[pos])) ++pos;
  };
  skip_white_space();
  for (;;) {
    std::string_view rest = text.substr(pos);
    if (rest.starts_with("//")) {
      std::size_t line_feed = rest.find('\n', 2);
      pos = line_feed == std::string_view::npos ? text.size() : pos + line_feed + 1;
    } else if (rest.starts_with("/*")) {
      std::size_t close = rest.find("*/", 2);
      if (close == std::string_view::npos) {
        s.charge(rest.size() / kBytesPerCharge);
        break;
      }
      pos += close + 2;
    } else {
      break;
    }
    skip_white_space();
  }
  s.charge((pos - s.pos()) / kBytesPerCharge);
  s.set_pos(pos);
  return true;
}

// Trivia can only begin with white space or a slash.
constexpr std::array<bool, 256> trivia_starts() {
  std::array<bool, 256> starts{};
  for (char c : {' ', '\t', '\r', '\n', '/'}) starts[static_cast<unsigned char>(c)] = true;
  return starts;
}

}  // namespace qarvex::grammar
