#include "validator/semantic/functions.hpp"

#include <algorithm>
#include <array>

#include "base/unicode_lower.hpp"

namespace qarvex {
namespace {

constexpr std::optional<std::uint32_t> unbounded = std::nullopt;

struct Arity {
  std::uint32_t min;
  std::optional<std::uint32_t> max;
};
constexpr Arity exactly(std::uint32_t n) { return {n, n}; }
constexpr Arity between(std::uint32_t min, std::uint32_t max) { return {min, max}; }
constexpr Arity at_least(std::uint32_t min) { return {min, unbounded}; }

enum Kind { plain, aggregate, numeric_aggregate };

constexpr BuiltinFunction entry(std::string_view name, Arity arity, Kind kind = plain) {
  return {name, arity.min, arity.max, kind != plain, kind == numeric_aggregate};
}

constexpr std::array catalogue{
    // Aggregates.
    entry("count", exactly(1), aggregate),
    entry("collect", exactly(1), aggregate),
    entry("sum", exactly(1), numeric_aggregate),
    entry("avg", exactly(1), numeric_aggregate),
    entry("min", exactly(1), aggregate),
    entry("max", exactly(1), aggregate),
    entry("stdev", exactly(1), numeric_aggregate),
    entry("stdevp", exactly(1), numeric_aggregate),
    entry("percentilecont", exactly(2), numeric_aggregate),
    entry("percentiledisc", exactly(2), numeric_aggregate),
    // No arguments.
    entry("rand", exactly(0)),
    entry("e", exactly(0)),
    entry("pi", exactly(0)),
    entry("randomuuid", exactly(0)),
    entry("timestamp", exactly(0)),
    // Temporal values: now, or parsed from one argument.
    entry("date", between(0, 1)),
    entry("datetime", between(0, 1)),
    entry("time", between(0, 1)),
    entry("localtime", between(0, 1)),
    entry("localdatetime", between(0, 1)),
    // One argument.
    entry("tolower", exactly(1)),
    entry("toupper", exactly(1)),
    entry("trim", exactly(1)),
    entry("ltrim", exactly(1)),
    entry("rtrim", exactly(1)),
    entry("reverse", exactly(1)),
    entry("tostring", exactly(1)),
    entry("abs", exactly(1)),
    entry("ceil", exactly(1)),
    entry("floor", exactly(1)),
    entry("sign", exactly(1)),
    entry("tointeger", exactly(1)),
    entry("tofloat", exactly(1)),
    entry("sqrt", exactly(1)),
    entry("log", exactly(1)),
    entry("log10", exactly(1)),
    entry("exp", exactly(1)),
    entry("sin", exactly(1)),
    entry("cos", exactly(1)),
    entry("tan", exactly(1)),
    entry("asin", exactly(1)),
    entry("acos", exactly(1)),
    entry("atan", exactly(1)),
    entry("radians", exactly(1)),
    entry("degrees", exactly(1)),
    entry("size", exactly(1)),
    entry("head", exactly(1)),
    entry("tail", exactly(1)),
    entry("last", exactly(1)),
    entry("keys", exactly(1)),
    entry("labels", exactly(1)),
    entry("nodes", exactly(1)),
    entry("relationships", exactly(1)),
    entry("properties", exactly(1)),
    entry("type", exactly(1)),
    entry("id", exactly(1)),
    entry("elementid", exactly(1)),
    entry("startnode", exactly(1)),
    entry("endnode", exactly(1)),
    entry("duration", exactly(1)),
    entry("point", exactly(1)),
    entry("toboolean", exactly(1)),
    entry("exists", exactly(1)),
    // Two or more.
    entry("round", between(1, 2)),
    entry("left", exactly(2)),
    entry("right", exactly(2)),
    entry("split", exactly(2)),
    entry("atan2", exactly(2)),
    entry("distance", exactly(2)),
    entry("substring", between(2, 3)),
    entry("range", between(2, 3)),
    entry("replace", exactly(3)),
    entry("coalesce", at_least(1)),
};
static_assert(catalogue.size() == 73);

}  // namespace

std::span<const BuiltinFunction> builtin_functions() { return catalogue; }

const BuiltinFunction* find_builtin_function(std::string_view written_name) {
  std::string name = unicode_lower(written_name);
  auto found = std::find_if(catalogue.begin(), catalogue.end(),
                            [&](const BuiltinFunction& f) { return f.name == name; });
  return found == catalogue.end() ? nullptr : &*found;
}

bool accepts_argument_count(const BuiltinFunction& function, std::size_t count) {
  return count >= function.min_arguments &&
         (!function.max_arguments || count <= *function.max_arguments);
}

std::string arity_text(const BuiltinFunction& function) {
  std::string min = std::to_string(function.min_arguments);
  if (!function.max_arguments) return "at least " + min;
  if (*function.max_arguments == function.min_arguments) return min;
  return min + "-" + std::to_string(*function.max_arguments);
}

}  // namespace qarvex
