// Every clause a query holds, wherever it stands: at the top, in CALL subqueries, in EXISTS,
// COUNT and COLLECT subqueries, in UNION branches, FOREACH bodies and procedure arguments.
#pragma once

#include <vector>

#include "parser/ast.hpp"
#include "parser/clauses.hpp"

namespace qarvex {

// The clauses of `query` in the order of the text (a MERGE's ON CREATE actions come after its
// ON MATCH actions, as the tree keeps them). Never fails.
std::vector<ClauseFact> clauses_of(const Query& query);

// The clauses written inside `expression`, that is in its subqueries, in the order of the text.
std::vector<ClauseFact> clauses_within(const Expression& expression);

}  // namespace qarvex
