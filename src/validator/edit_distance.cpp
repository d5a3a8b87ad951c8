#include "validator/edit_distance.hpp"

#include <algorithm>

namespace qarvex {

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

}  // namespace qarvex
