// A small writer of compact JSON text (no white space between tokens), with the module's one
// string-escaping rule. Every JSON document the module produces is written through it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace qarvex {

// Appends `text` as a JSON string literal: a backslash before `"` and `\`; \b \f \n \r \t for
// those five controls; \u00XX (lower-case hex) for every other character below U+0020; every
// other byte, U+007F and all non-ASCII text included, unchanged.
void append_json_string(std::string& out, std::string_view text);

// Writes values in document order and puts the commas itself. The caller keeps the structure
// balanced (every begin has its end, a key precedes each member value); the writer does not
// check it.
class JsonWriter {
 public:
  void begin_object() { open('{'); }
  void end_object() { close('}'); }
  void begin_array() { open('['); }
  void end_array() { close(']'); }

  // The name of the next object member; the member's value follows.
  void key(std::string_view name);

  void string(std::string_view text);
  void boolean(bool value);
  void null();
  void unsigned_integer(std::uint64_t value);

  const std::string& text() const { return out_; }
  std::string take() { return std::move(out_); }

 private:
  void separate();
  void open(char bracket);
  void close(char bracket);

  std::string out_;
  bool needs_comma_ = false;  // a value has ended at the current level
};

}  // namespace qarvex
