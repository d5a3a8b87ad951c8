#include "validator/batch.hpp"

#include "base/worker_pool.hpp"
#include "validator/validate_query.hpp"

namespace qarvex {

BatchOutcome validate_all(const IndexedSchema& schema, const TextList& queries,
                          const BatchWatch* watch, Dialect dialect,
                          const Guardrails& guardrails) {
  BatchOutcome outcome;
  try {
    outcome.results.resize(queries.size());
  } catch (...) {
    outcome.fault = std::current_exception();
    return outcome;
  }
  outcome.fault = run_parallel(queries.size(), [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      outcome.results[i] = validate_query(schema.schema, schema.names, queries[i], dialect,
                                          guardrails);
    }
  }, watch);
  return outcome;
}

}  // namespace qarvex
