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

// The built-ins Neo4j 5 has beyond the shared catalogue.
constexpr std::array neo4j_catalogue{
    entry("length", exactly(1)),
    entry("isempty", exactly(1)),
    entry("isnan", exactly(1)),
    entry("valuetype", exactly(1)),
    entry("char_length", exactly(1)),
    entry("character_length", exactly(1)),
    entry("lower", exactly(1)),
    entry("upper", exactly(1)),
    entry("btrim", between(1, 2)),
    entry("normalize", between(1, 2)),
    entry("nullif", exactly(2)),
    entry("cot", exactly(1)),
    entry("haversin", exactly(1)),
    entry("tostringornull", exactly(1)),
    entry("tointegerornull", exactly(1)),
    entry("tofloatornull", exactly(1)),
    entry("tobooleanornull", exactly(1)),
    entry("tostringlist", exactly(1)),
    entry("tointegerlist", exactly(1)),
    entry("tofloatlist", exactly(1)),
    entry("tobooleanlist", exactly(1)),
    entry("date.truncate", between(2, 3)),
    entry("datetime.truncate", between(2, 3)),
    entry("localdatetime.truncate", between(2, 3)),
    entry("localtime.truncate", between(2, 3)),
    entry("time.truncate", between(2, 3)),
    entry("date.realtime", between(0, 1)),
    entry("date.statement", between(0, 1)),
    entry("date.transaction", between(0, 1)),
    entry("datetime.realtime", between(0, 1)),
    entry("datetime.statement", between(0, 1)),
    entry("datetime.transaction", between(0, 1)),
    entry("datetime.fromepoch", exactly(2)),
    entry("datetime.fromepochmillis", exactly(1)),
    entry("localdatetime.realtime", between(0, 1)),
    entry("localdatetime.statement", between(0, 1)),
    entry("localdatetime.transaction", between(0, 1)),
    entry("localtime.realtime", between(0, 1)),
    entry("localtime.statement", between(0, 1)),
    entry("localtime.transaction", between(0, 1)),
    entry("time.realtime", between(0, 1)),
    entry("time.statement", between(0, 1)),
    entry("time.transaction", between(0, 1)),
    entry("duration.between", exactly(2)),
    entry("duration.indays", exactly(2)),
    entry("duration.inmonths", exactly(2)),
    entry("duration.inseconds", exactly(2)),
    entry("point.distance", exactly(2)),
    entry("point.withinbbox", exactly(3)),
    entry("vector.similarity.cosine", exactly(2)),
    entry("vector.similarity.euclidean", exactly(2)),
};

// The namespaces of Neo4j's own functions; a call in any other is a plugin's.
constexpr std::array<std::string_view, 8> neo4j_namespaces{
    "date", "datetime", "localdatetime", "localtime", "time", "duration", "point", "vector"};

const BuiltinFunction* find_in(std::span<const BuiltinFunction> table, std::string_view name) {
  auto found = std::find_if(table.begin(), table.end(),
                            [&](const BuiltinFunction& f) { return f.name == name; });
  return found == table.end() ? nullptr : &*found;
}

}  // namespace

std::span<const BuiltinFunction> builtin_functions() { return catalogue; }

const BuiltinFunction* find_builtin_function(std::string_view written_name) {
  return find_in(catalogue, unicode_lower(written_name));
}

const BuiltinFunction* find_builtin_function(std::string_view written_name, Dialect dialect) {
  std::string name = unicode_lower(written_name);
  const BuiltinFunction* found = find_in(catalogue, name);
  if (found == nullptr && dialect == Dialect::neo4j) found = find_in(neo4j_catalogue, name);
  return found;
}

bool in_plugin_namespace(std::string_view written_name) {
  std::size_t dot = written_name.find('.');
  if (dot == std::string_view::npos) return false;
  std::string space = unicode_lower(written_name.substr(0, dot));
  return std::find(neo4j_namespaces.begin(), neo4j_namespaces.end(), space) ==
         neo4j_namespaces.end();
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
