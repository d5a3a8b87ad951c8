// The bounded Levenshtein distance that "did you mean" compares names with.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace qarvex {

// The distance between the bytes of `a` and `b` (insertion, deletion and substitution cost 1
// each), or none as soon as a whole row of the table exceeds `bound`: no later row can come
// back under it. `above` and `row` are scratch space, kept by the caller across calls.
std::optional<std::size_t> bounded_distance(std::string_view a, std::string_view b,
                                            std::size_t bound, std::vector<std::size_t>& above,
                                            std::vector<std::size_t>& row);

inline std::size_t length_gap(std::size_t a, std::size_t b) { return a > b ? a - b : b - a; }

}  // namespace qarvex
