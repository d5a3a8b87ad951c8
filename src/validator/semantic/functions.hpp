// The catalogue of built-in functions: argument counts, which are aggregates, and which
// aggregates are numeric (and so reject string literals).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "parser/dialect.hpp"

namespace qarvex {

struct BuiltinFunction {
  std::string_view name;  // lower case
  std::uint32_t min_arguments;
  std::optional<std::uint32_t> max_arguments;  // none: no upper limit
  bool aggregate;
  bool numeric_aggregate;  // sum, avg, stdev, stdevp, percentilecont, percentiledisc
};

// All 73 entries.
std::span<const BuiltinFunction> builtin_functions();

// The entry for a function name as written: the name is lower-cased with the full Unicode
// mapping and compared exactly, so "toUpper" is found and "my.sum" is not.
const BuiltinFunction* find_builtin_function(std::string_view written_name);
// The same in a dialect's catalogue: Neo4j's adds its own built-ins to the shared ones.
const BuiltinFunction* find_builtin_function(std::string_view written_name, Dialect dialect);
// Whether a dotted name's namespace is none of Neo4j's own (a plugin's, such as apoc.*).
bool in_plugin_namespace(std::string_view written_name);

bool accepts_argument_count(const BuiltinFunction& function, std::size_t count);

// The expected count for a wrong-arity message: "1", "2-3" or "at least 1".
std::string arity_text(const BuiltinFunction& function);

}  // namespace qarvex
