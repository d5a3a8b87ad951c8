// The characters that begin and continue an identifier as Neo4j reads them: besides ASCII
// letters, digits and "_", the letters, marks, digits, connector punctuation, currency symbols
// and format characters of the Basic Multilingual Plane.
#pragma once

#include <cstddef>
#include <string_view>

namespace qarvex {

enum class IdentPlace { Start, Part };

// The byte length of the identifier character of that place at the front of `text`, or 0 when
// it holds none (or a malformed UTF-8 sequence).
std::size_t identifier_char_length(std::string_view text, IdentPlace place);

}  // namespace qarvex
