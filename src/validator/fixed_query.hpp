// The corrected query: every suggestion of a query's errors applied to its text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "parser/dialect.hpp"
#include "parser/name_sites.hpp"
#include "validator/diagnostics.hpp"

namespace qarvex {

// One name to put right, as taken from a diagnostic's suggestion.
struct Correction {
  FixKind kind;
  std::string original;     // as in the suggestion: ":Persn" for a label or type, "nme" for a key
  std::string replacement;  // ":Person", "name"
};

// A declared label, type or key as a query writes it: unchanged when it can stand unquoted,
// in backticks otherwise (in the Neo4j dialect with any backtick inside doubled).
std::string written_name(std::string_view name, Dialect dialect = Dialect::core);

// The corrections in the order they are applied: one per distinct suggestion of the error
// diagnostics, longest original first (ties keep their order). None when there is no error or
// when an error has no suggestion.
std::optional<std::vector<Correction>> corrections_of(
    const std::vector<ValidationDiagnostic>& diagnostics);

// `text` with every name corrected at the sites (from the text's parse tree) where it stands
// as a name of a correction's kind, so never inside a string literal, a comment, a longer name
// or a variable of the same spelling. The corrections apply in their order, each to what the
// ones before left: a name that one turns into the original of a later one is corrected again.
// In the Neo4j dialect a backticked site holds the name it quotes, and a name with a backtick
// is written quoted, its backticks doubled.
std::string apply_corrections(std::string_view text, const std::vector<NameSite>& sites,
                              const std::vector<Correction>& corrections,
                              Dialect dialect = Dialect::core);

// The query with all corrections applied; absent when corrections_of gives none.
std::optional<std::string> fixed_query(const std::vector<ValidationDiagnostic>& diagnostics,
                                       std::string_view query, const std::vector<NameSite>& sites,
                                       Dialect dialect = Dialect::core);

}  // namespace qarvex
