// The words an unquoted name may not be, in upper case. The grammar refuses them as names
// (in any letter case); the fixed query backtick-quotes a replacement that is one of them.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace qarvex {

inline constexpr std::array<std::string_view, 51> kReservedWords = {
    "ALL",    "AND",     "ANY",    "AS",     "BY",       "CALL",   "CASE",   "CONTAINS",
    "COUNT",  "CREATE",  "DELETE", "DESC",   "DETACH",   "DISTINCT", "DO",   "DROP",
    "ELSE",   "END",     "EXISTS", "FALSE",  "FOREACH",  "FOR",    "FROM",   "IN",
    "IS",     "LIMIT",   "MATCH",  "MERGE",  "NEW",      "NONE",   "NOT",    "NULL",
    "ON",     "OPTIONAL", "OR",    "REDUCE", "REMOVE",   "RETURN", "SET",    "SINGLE",
    "SKIP",   "STARTS",  "THEN",   "TRUE",   "UNION",    "UNWIND", "WHEN",   "WHERE",
    "WITH",   "XOR",     "YIELD"};

inline constexpr std::size_t kLongestReservedWord = 8;

}  // namespace qarvex
