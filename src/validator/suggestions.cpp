#include "validator/suggestions.hpp"

#include <algorithm>
#include <vector>

#include "base/unicode_lower.hpp"
#include "validator/edit_distance.hpp"

namespace qarvex {
namespace {

constexpr std::size_t max_distance = NameIndex::max_distance;

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

// The same choice as the scan above: the index yields, in list order, every candidate the scan
// could accept, with its distance, so the scan's skips and threshold apply unchanged to those.
std::optional<std::string> closest_match(std::string_view name, const NameIndex& candidates) {
  std::size_t threshold = max_distance;
  const std::string* best = nullptr;
  for (const NameIndex::Near& near : candidates.near(unicode_lower(name))) {
    const std::string& candidate = candidates.names()[near.position];
    // The lower-cased lengths differ by no more than the distance, so only the raw lengths
    // are left to compare.
    if (length_gap(name.size(), candidate.size()) > threshold || near.distance > threshold) {
      continue;
    }
    if (near.distance == 0) return candidate;
    best = &candidate;
    threshold = near.distance - 1;
  }
  if (best == nullptr) return std::nullopt;
  return *best;
}

// Keeps the `limit` best (distance, position) pairs in order; once it holds that many, a
// candidate must come strictly nearer than the last kept one, so the search bound shrinks.
std::vector<std::string_view> nearest_names(std::string_view name,
                                            std::span<const std::string> candidates,
                                            std::size_t limit) {
  if (limit == 0) return {};
  std::string lowered_name = unicode_lower(name);
  std::vector<std::pair<std::size_t, std::size_t>> kept;  // (distance, position)
  std::vector<std::size_t> above, row;
  for (std::size_t position = 0; position < candidates.size(); ++position) {
    std::string lowered = unicode_lower(candidates[position]);
    std::size_t bound = std::max(lowered_name.size(), lowered.size());
    if (kept.size() == limit) {
      if (kept.back().first == 0) break;
      bound = kept.back().first - 1;
    }
    if (length_gap(lowered_name.size(), lowered.size()) > bound) continue;
    std::optional<std::size_t> distance =
        bounded_distance(lowered_name, lowered, bound, above, row);
    if (!distance || *distance > bound) continue;
    std::pair<std::size_t, std::size_t> entry{*distance, position};
    kept.insert(std::upper_bound(kept.begin(), kept.end(), entry), entry);
    if (kept.size() > limit) kept.pop_back();
  }
  std::vector<std::string_view> names;
  names.reserve(kept.size());
  for (auto [distance, position] : kept) names.push_back(candidates[position]);
  return names;
}

std::optional<Suggestion> label_suggestion(std::string_view name,
                                           const std::optional<std::string>& best) {
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
