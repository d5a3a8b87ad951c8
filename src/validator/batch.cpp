#include "validator/batch.hpp"

#include "validator/validate_query.hpp"
#include "base/worker_pool.hpp"

namespace qarvex {

BatchOutcome validate_all(const Schema& schema, const std::vector<std::string>& queries,
                          Dialect dialect) {
  BatchOutcome outcome;
  try {
    outcome.results.resize(queries.size());
  } catch (...) {
    outcome.fault = std::current_exception();
    return outcome;
  }
  outcome.fault = run_parallel(queries.size(), [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      outcome.results[i] = validate_query(schema, queries[i], dialect);
    }
  });
  return outcome;
}

}  // namespace qarvex
