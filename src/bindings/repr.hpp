// Text forms shared by the classes' reprs: names written in double quotes with escapes, and
// bracketed lists of such names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qarvex::py {

enum class NulEscape { BackslashZero, Braced };

// Appends `text` in double quotes: a backslash before `"` and `\`, \t \r \n for those controls,
// U+0000 as \0 or \u{0}, other non-printable characters as \u{hex}, everything else unchanged.
void append_quoted(std::string& out, std::string_view text, NulEscape nul = NulEscape::BackslashZero);

// "[" + quoted items joined by ", " + "]".
void append_quoted_list(std::string& out, const std::vector<std::string>& items,
                        NulEscape nul = NulEscape::BackslashZero);

}  // namespace qarvex::py
