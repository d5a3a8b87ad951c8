// The full Unicode lower-case mapping of UTF-8 text: multi-character mappings (U+0130 becomes
// "i" and a combining dot) and the final-sigma rule included, language-specific rules not.
#pragma once

#include <string>
#include <string_view>

namespace qarvex {

// The lower case of `text`. Bytes that are not part of a well-formed UTF-8 sequence (stray
// continuation bytes, overlong forms, surrogates, values past U+10FFFF, cut-off sequences) are
// copied unchanged, each standing for itself.
std::string unicode_lower(std::string_view text);

}  // namespace qarvex
