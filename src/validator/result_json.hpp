// The compact JSON form of a validation result: members in ascending order of their names,
// absent diagnostic fields left out.
#pragma once

#include <string>

#include "validator/diagnostics.hpp"

namespace qarvex {

std::string result_to_json(const ValidationResult& result);

}  // namespace qarvex
