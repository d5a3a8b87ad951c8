#include "validator/suggestions.hpp"

#include <algorithm>
#include <vector>

#include "base/unicode_lower.hpp"

namespace qarvex {
namespace {

constexpr std::size_t max_distance = 3;

std::size_t length_gap(std::size_t a, std::size_t b) { return a > b ? a - b : b - a; }

// The Levenshtein distance between the bytes of `a` and `b`, or none as soon as a whole row
// exceeds `bound` (no later row can come back under it).
std::optional<std::size_t> bounded_distance(std::string_view a, std::string_view b,
                                            std::size_t bound, std::vector<std::size_t>& above,
                                            std::vector<std::size_t>& row) {
  above.resize(b.size() + 1);
  row.resize(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) above[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    std::size_t smallest = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      row[j] = a[i - 1] == b[j - 1] ? above[j - 1]
                                     : 1 + std::min({above[j], above[j - 1], row[j - 1]});
      smallest = std::min(smallest, row[j]);
    }
    if (smallest > bound) return std::nullopt;
    std::swap(above, row);
  }
  return above[b.size()];
}

}  // namespace

std::optional<std::string> closest_match(std::string_view name,
                                         std::span<const std::string> candidates) {
  std::size_t threshold = max_distance;
  std::optional<std::string> best;
  std::string lowered_name;
  bool lowered = false;
  std::vector<std::size_t> above, row;
  for (const std::string& candidate : candidates) {
    if (length_gap(name.size(), candidate.size()) > threshold) continue;
    if (!lowered) lowered_name = unicode_lower(name), lowered = true;
    std::string lowered_candidate = unicode_lower(candidate);
    if (length_gap(lowered_name.size(), lowered_candidate.size()) > threshold) continue;
    std::optional<std::size_t> distance =
        bounded_distance(lowered_name, lowered_candidate, threshold, above, row);
    if (!distance || *distance > threshold) continue;
    if (*distance == 0) return candidate;
    best = candidate;
    threshold = *distance - 1;
  }
  return best;
}

std::optional<Suggestion> label_suggestion(std::string_view name,
                                           std::span<const std::string> candidates) {
  std::optional<std::string> best = closest_match(name, candidates);
  if (!best) return std::nullopt;
  std::string original = ":" + std::string(name);
  std::string replacement = ":" + *best;
  std::string description = "Replace " + original + " with " + replacement;
  return Suggestion{std::move(original), std::move(replacement), std::move(description)};
}

std::optional<Suggestion> property_suggestion(std::string_view key,
                                              std::span<const std::string> candidates) {
  std::optional<std::string> best = closest_match(key, candidates);
  if (!best) return std::nullopt;
  std::string description = "Replace property '" + std::string(key) + "' with '" + *best + "'";
  return Suggestion{std::string(key), std::move(*best), std::move(description)};
}

}  // namespace qarvex
