// "Did you mean": the closest declared name for a misspelt label, relationship type or
// property key, and the suggestions built from it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "validator/diagnostics.hpp"
#include "validator/name_index.hpp"

namespace qarvex {

// The candidate nearest to `name` by case-insensitive edit distance over UTF-8 bytes, within
// distance 3; the first of equally near candidates wins, and an exact match ignoring case is
// taken at once.
std::optional<std::string> closest_match(std::string_view name,
                                         std::span<const std::string> candidates);

// The same candidate, found through the index rather than by looking at every name.
std::optional<std::string> closest_match(std::string_view name, const NameIndex& candidates);

// At most `limit` of `candidates`, nearest to `name` first by the same case-insensitive edit
// distance, without a bound on it; equally near ones keep the order of `candidates`.
std::vector<std::string_view> nearest_names(std::string_view name,
                                            std::span<const std::string> candidates,
                                            std::size_t limit);

// ":name" to ":best", described "Replace :name with :best"; none without a candidate.
std::optional<Suggestion> label_suggestion(std::string_view name,
                                           const std::optional<std::string>& best);

// "key" to "best", described "Replace property 'key' with 'best'"; none without a candidate.
std::optional<Suggestion> property_suggestion(std::string_view key,
                                              std::span<const std::string> candidates);

}  // namespace qarvex
