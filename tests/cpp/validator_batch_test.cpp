// Batch validation on the worker pool: the same results as one by one, in query order, also
// while several threads run batches at once (this test is also run under ThreadSanitizer).
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "validator/batch.hpp"
#include "validator/result_json.hpp"
#include "validator/validate_query.hpp"

namespace qarvex {
namespace {

IndexedSchema movie_schema() {
  return IndexedSchema(Schema({{"Person", {"name", "age"}}, {"Movie", {"title"}}},
                {{"ACTED_IN", {"Person", "Movie", {"role"}}}}));
}

std::vector<std::string> mixed_queries(std::size_t copies) {
  const char* const kinds[] = {
      "MATCH (p:Persn) RETURN p", "MATCH (", "MATCH (n) RETURN m", "RETURN 1 AS x, 2 AS x",
      "MATCH (p:Person)-[:ACTED_IN]->(m:Movie) RETURN p.nme, m.title", "RETURN toUpper(1, 2)",
      "MATCH (a), (b) RETURN a, b", "",
  };
  std::vector<std::string> queries;
  for (std::size_t i = 0; i < copies; ++i) {
    for (const char* kind : kinds) queries.push_back(std::string(kind) + " // " + std::to_string(i));
  }
  return queries;
}

std::vector<std::string> as_json(const std::vector<ValidationResult>& results) {
  std::vector<std::string> texts;
  for (const ValidationResult& result : results) texts.push_back(result_to_json(result));
  return texts;
}

TEST(Batch, MatchesSingleValidationInOrder) {
  IndexedSchema schema = movie_schema();
  std::vector<std::string> queries = mixed_queries(50);
  BatchOutcome outcome = validate_all(schema, TextList(queries));
  ASSERT_FALSE(outcome.fault);
  ASSERT_EQ(outcome.results.size(), queries.size());
  for (std::size_t i = 0; i < queries.size(); ++i) {
    EXPECT_EQ(result_to_json(outcome.results[i]), result_to_json(validate_query(schema.schema, queries[i])))
        << queries[i];
  }
}

TEST(Batch, EmptyBatch) {
  BatchOutcome outcome = validate_all(movie_schema(), TextList());
  EXPECT_FALSE(outcome.fault);
  EXPECT_TRUE(outcome.results.empty());
}

TEST(Batch, ConcurrentBatchesShareThePool) {
  IndexedSchema schema = movie_schema();
  std::vector<std::string> queries = mixed_queries(20);
  std::vector<std::string> expected = as_json(validate_all(schema, TextList(queries)).results);
  std::vector<std::vector<std::string>> seen(4);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < seen.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round) seen[t] = as_json(validate_all(schema, TextList(queries)).results);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::vector<std::string>& texts : seen) EXPECT_EQ(texts, expected);
}

}  // namespace
}  // namespace qarvex
