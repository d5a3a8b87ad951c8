// Every query of the shared corpus parses or fails cleanly, within the limits. The corpus is
// data written by others, so only sanity is checked, not which queries parse.
#include <gtest/gtest.h>

#include <string>

#include "../support/corpus_queries.hpp"
#include "parser/parse.hpp"
#include "parse_test_support.hpp"

namespace qarvex {
namespace {

using namespace testing_support;

TEST(Corpus, EveryQueryReturnsWithinTheLimits) {
  std::size_t total = 0;
  for (const char* file : kCorpusFiles) {
    std::vector<std::string> queries = read_corpus_queries(corpus_path(QARVEX_SOURCE_DIR, file));
    total += queries.size();
    for (const std::string& query : queries) {
      ParseOutcome outcome = parse(Rule::cypher, query);
      if (const ParseTree* tree = tree_of(outcome)) {
        ASSERT_TRUE(tree->first_root());
        EXPECT_EQ(tree->first_root()->end(), query.size());
      } else {
        const ParseFailure* failure = failure_of(outcome);
        EXPECT_FALSE(failure->message) << query;
        EXPECT_LE(failure->position, query.size());
        EXPECT_FALSE(failure->expected.empty()) << query;
      }
    }
  }
  if (total == 0) GTEST_SKIP() << "no corpus under ../shared/corpus";
}

}  // namespace
}  // namespace qarvex
