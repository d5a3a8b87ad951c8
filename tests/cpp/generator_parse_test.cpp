// Every generated query is accepted by the Cypher grammar.
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "generator/query_generator.hpp"
#include "parser/parse.hpp"

namespace qarvex {
namespace {

std::vector<Schema> schemas() {
  std::vector<Schema> all;
  all.emplace_back();
  all.push_back(Schema({{"Person", {"name", "born"}}, {"Movie", {"title", "released", "tagline"}}},
                       {{"ACTED_IN", {"Person", "Movie", {"roles"}}},
                        {"FOLLOWS", {"Person", "Person", {}}}}));
  RelationshipType tagged_by("Bare", "Ghost", {});
  tagged_by.add({"_Tag2", "Bare", {"w"}});
  all.push_back(Schema({{"Bare", {}}, {"_Tag2", {"weight_kg", "x1", "y", "z", "label_text"}}},
                       {{"TAGGED_BY", std::move(tagged_by)},
                        {"has_tag", {"_Tag2", "Bare", {"w"}}}}));
  return all;
}

TEST(GeneratedQueries, EveryOneParses) {
  int failures = 0;
  for (const Schema& schema : schemas()) {
    QueryGenerator generator = QueryGenerator::seeded(schema, 2024);
    for (const QueryType& type : query_types()) {
      for (int i = 0; i < 2000; ++i) {
        const std::string query = generator.generate(type);
        const ParseOutcome outcome = parse(Rule::cypher, query);
        if (const auto* failure = std::get_if<ParseFailure>(&outcome)) {
          if (++failures <= 5) ADD_FAILURE() << format_syntax_error(query, *failure);
        }
      }
    }
  }
  EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace qarvex
