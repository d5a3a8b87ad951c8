// Small UTF-8 helpers shared by the readers and writers of text.
#pragma once

#include <string>

namespace qarvex {

// Whether the byte continues a multi-byte sequence (10xxxxxx) rather than beginning a character.
constexpr bool is_utf8_continuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Appends the UTF-8 encoding of the code point `code`.
void append_utf8(std::string& out, char32_t code);

}  // namespace qarvex
