// Literal values converted from their node texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "parser/ast.hpp"

namespace qarvex {

// `0x`/`0X` hexadecimal, `0o` octal, otherwise decimal; a value that does not fit a signed
// 64-bit integer, or a text that is not a number, gives 0.
std::int64_t integer_literal_value(std::string_view text);

// A decimal double; a text that is not a number gives 0.0, one too large gives infinity.
double float_literal_value(std::string_view text);

// The bounds of a variable-length range from its text («*», «*3», «*2..», «*2..5»).
LengthRange range_literal_value(std::string_view text);

// A parameter's name: its text without the leading `$` characters.
std::string parameter_name(std::string_view text);

}  // namespace qarvex
