// The corrected query: every suggestion of a query's errors applied to its text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "validator/diagnostics.hpp"

namespace qarvex {

// One name to put right, as taken from a diagnostic's suggestion.
struct Correction {
  FixKind kind;
  std::string original;     // as in the suggestion: ":Persn" for a label or type, "nme" for a key
  std::string replacement;  // ":Person", "name"
};

// The corrections in the order they are applied: one per distinct suggestion of the error
// diagnostics, longest original first (ties keep their order). None when there is no error or
// when an error has no suggestion.
std::optional<std::vector<Correction>> corrections_of(
    const std::vector<ValidationDiagnostic>& diagnostics);

// `text` with each occurrence of the correction's name replaced, left to right, where that
// name stands as a name of the correction's kind (never inside a string literal, a comment, a
// longer name or a variable of the same spelling).
std::string apply_correction(std::string_view text, const Correction& correction);

// The query with all corrections applied in turn, the output of one the input of the next;
// absent when corrections_of gives none.
std::optional<std::string> fixed_query(const std::vector<ValidationDiagnostic>& diagnostics,
                                       std::string_view query);

}  // namespace qarvex
