// A strict reader of JSON text (RFC 8259), pulled value by value by its caller, so that a
// document can be checked against an expected shape while it is read and nothing that the
// caller skips is kept in memory.
//
// Every method that consumes input returns false (or Step::Error) on the first problem and
// records it; the reader then stays failed and `error()` tells what and where. Problems are
// described by the fixed texts listed in json_reader.cpp.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text_position.hpp"

namespace qarvex {

struct JsonError {
  std::string description;
  std::size_t offset = 0;  // byte offset of the offending character (text size at the end)
};

enum class JsonKind { Object, Array, String, Number, Boolean, Null };

class JsonReader {
 public:
  // Deeper nesting of arrays and objects fails with "recursion limit exceeded".
  static constexpr std::size_t max_depth = 128;

  explicit JsonReader(std::string_view text) : text_(text) {}

  enum class Step { Item, End, Error };

  // Skips white space and tells which kind of value begins there, without consuming it.
  std::optional<JsonKind> peek_value();

  // Enter the object or array that peek_value() reported.
  bool begin_object();
  bool begin_array();

  // Advances to the next member of the innermost object: Item with `key` read and the reader
  // placed before the member's value, or End after the closing brace.
  Step next_member(std::string& key);
  // Advances to the next element of the innermost array (Item: placed before it) or past `]`.
  Step next_element();

  // Reads the string value that peek_value() reported, escapes resolved.
  bool read_string(std::string& out);
  // Reads and discards one whole value, checking it as strictly as any other.
  bool skip_value();
  // Consumes the value that peek_value() reported and describes it for a message naming what
  // was found: `string "x"`, integer `3`, floating point `1.5`, boolean `true`, null; an
  // object or array ("map", "sequence") is left unconsumed.
  std::optional<std::string> describe_value();

  // Only white space may follow the document.
  bool finish();

  // Where the token last reached by peek_value, next_member or next_element begins: the
  // value, the member's key, or the closing bracket.
  std::size_t token_offset() const { return token_; }

  // Records a problem found by the caller (the first one recorded wins); returns false.
  bool fail(std::size_t offset, std::string_view description);
  bool failed() const { return error_.has_value(); }
  const JsonError& error() const { return *error_; }

 private:
  struct Level {
    char closing;  // '}' or ']'
    bool empty;    // no member or element read yet
  };

  bool at_end() const { return pos_ >= text_.size(); }
  char current() const { return text_[pos_]; }
  void skip_blanks();
  bool fail_here(std::string_view description) { return fail(pos_, description); }
  bool fail_eof();
  bool at(char expected);
  bool enter(char opening, char closing);
  Step next_item(char closing);
  bool scan_string(std::string* out);
  void skip_plain_string_bytes();
  bool scan_escape(std::string* out);
  std::optional<char32_t> scan_hex4();
  bool scan_utf8_sequence(std::string* out);
  bool scan_literal(std::string_view word);
  std::optional<std::string_view> scan_number();

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t token_ = 0;
  std::vector<Level> levels_;
  std::optional<JsonError> error_;
};

}  // namespace qarvex
