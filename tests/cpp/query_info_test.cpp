// The name walk on trees the grammar does not produce; parsed queries are covered from Python.
#include "parser/query_info.hpp"

#include <gtest/gtest.h>
#include <pthread.h>

#include "parser/parser.hpp"

namespace qarvex {
namespace {

using Names = std::vector<std::string>;

Query returning(Expression expression) {
  ReturnClause projection;
  projection.items.push_back({std::nullopt, std::move(expression)});
  return Query{RegularQuery{SingleQuery{SinglePartQuery{{}, {}, std::move(projection)}}, {}}};
}

TEST(QueryInfo, StandaloneCallNamesNothing) {
  ProcedureCall call{"db.labels", {}, {{"label", std::nullopt}}, {}, false, false};
  call.arguments.push_back(expr::PropertyLookup{boxed(expr::Variable{"n"}), "x"});
  QueryNames names = collect_query_info(Query{std::move(call)});
  EXPECT_TRUE(names.labels.empty() && names.rel_types.empty() && names.properties.empty());
}

TEST(QueryInfo, ExistsWithAQueryWalksTheQuery) {
  StatementResult inner = parse_statement("MATCH (a:Inner)-[:T]->() RETURN a.p");
  ASSERT_TRUE(std::holds_alternative<Query>(inner));
  auto& regular = std::get<RegularQuery>(std::get<Query>(inner).node);
  Expression exists =
      expr::Exists{ExistsBody{ExistsBody::ExistsQuery{Box<RegularQuery>(std::move(regular))}}};
  QueryNames names = collect_query_info(returning(std::move(exists)));
  EXPECT_EQ(names.labels, Names{"Inner"});
  EXPECT_EQ(names.rel_types, Names{"T"});
  EXPECT_EQ(names.properties, Names{"p"});
}

TEST(QueryInfo, DeepChainIsWalkedWithoutRecursion) {
  // On a 256 KiB stack, so that a recursive walk of the chain could not pass.
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  auto walk = [](void*) -> void* {
    Expression chain = expr::Variable{"n"};
    for (int i = 0; i < 100'000; ++i) {
      chain = expr::And{boxed(std::move(chain)),
                        boxed(expr::PropertyLookup{boxed(expr::Variable{"n"}),
                                                   i % 2 ? "odd" : "even"})};
    }
    QueryNames names = collect_query_info(returning(std::move(chain)));
    EXPECT_EQ(names.properties, (Names{"even", "odd"}));
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, walk, nullptr), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

}  // namespace
}  // namespace qarvex
