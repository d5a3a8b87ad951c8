// Every corpus query that the grammar accepts must build, copy to an equal tree and walk.
#include <gtest/gtest.h>

#include "../support/corpus_queries.hpp"
#include "parser/builder/build.hpp"
#include "parser/query_info.hpp"

namespace qarvex {
namespace {

TEST(CorpusBuild, EveryParsedQueryBuilds) {
  std::size_t built = 0;
  for (const char* file : testing_support::kCorpusFiles) {
    for (const std::string& text : testing_support::read_corpus_queries(
             testing_support::corpus_path(QARVEX_SOURCE_DIR, file))) {
      ParseOutcome outcome = parse(Rule::cypher, text);
      const auto* tree = std::get_if<ParseTree>(&outcome);
      if (tree == nullptr) continue;
      StatementResult result = build_query(*tree->first_root());
      if (const auto* error = std::get_if<ModuleError>(&result)) {
        ADD_FAILURE() << text << "\n" << error->message;
        continue;
      }
      const Query& query = std::get<Query>(result);
      Query copy = query;
      EXPECT_TRUE(copy == query) << text;
      collect_query_info(copy);
      ++built;
    }
  }
  if (built == 0) GTEST_SKIP() << "no corpus under ../shared/corpus";
}

}  // namespace
}  // namespace qarvex
