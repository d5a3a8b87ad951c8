#include "bindings/convert.hpp"

namespace qarvex::py {

PyRef new_str_list(const std::vector<std::string>& items) {
  return new_list(items, [](const std::string& item) { return new_str(item); });
}

}  // namespace qarvex::py
