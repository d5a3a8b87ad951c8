// The validation walk: visits a query once in a fixed order, keeps the variable scope, reports
// unbound variables (E501) and duplicate projection names (E502), and calls the checks at
// their points. The order of the walk is the order of the diagnostics.
#pragma once

#include "parser/ast.hpp"
#include "validator/context.hpp"

namespace qarvex {

void walk_query(ValidationContext& context, const RegularQuery& query);
void walk_expression(ValidationContext& context, const Expression& expression);

}  // namespace qarvex
