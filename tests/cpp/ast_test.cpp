#include "parser/ast.hpp"

#include <gtest/gtest.h>
#include <pthread.h>

namespace qarvex {
namespace {

namespace E = expr;

Expression var(std::string name) { return E::Variable{std::move(name)}; }
Expression integer(std::int64_t value) { return E::Integer{value}; }

// (((x + 1) + 1) ... + 1) with `depth` additions, built without recursion.
Expression left_chain(std::size_t depth) {
  Expression chain = var("x");
  for (std::size_t i = 0; i < depth; ++i) {
    chain = E::Add{boxed(std::move(chain)), boxed(integer(1))};
  }
  return chain;
}

// NOT NOT ... n.a.a.a: the other two long chains the grammar reads without nesting.
Expression not_and_postfix_chain(std::size_t depth) {
  Expression chain = var("n");
  for (std::size_t i = 0; i < depth; ++i) chain = E::PropertyLookup{boxed(std::move(chain)), "a"};
  for (std::size_t i = 0; i < depth; ++i) chain = E::Not{boxed(std::move(chain))};
  return chain;
}

// Runs `body` on a thread with a 256 KiB stack: any recursion along a 100 000-deep chain
// would overflow it, whatever the optimiser does with the frames.
void on_small_stack(void (*body)()) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  auto run = [](void* argument) -> void* {
    reinterpret_cast<void (*)()>(argument)();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, run, reinterpret_cast<void*>(body)), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

TEST(Ast, DeepChainsCopyCompareAndReleaseWithoutRecursion) {
  on_small_stack([] {
    constexpr std::size_t kDepth = 100'000;
    for (Expression (*make)(std::size_t) : {&left_chain, &not_and_postfix_chain}) {
      Expression original = make(kDepth);
      Expression copy = original;
      EXPECT_TRUE(copy == original);
      Box<Expression> boxed_copy = boxed(copy);
      Box<Expression> second(boxed_copy);
      EXPECT_TRUE(*second == original);
    }  // every tree is released here
  });
}

TEST(Ast, DeepCopyIsIndependentOfTheOriginal) {
  Expression original = E::Case{boxed(var("x")), {}, boxed(integer(2))};
  std::get<E::Case>(original.node).alternatives.push_back({boxed(integer(1)), boxed(var("a"))});
  Expression copy = original;
  ASSERT_TRUE(copy == original);
  auto& alternative = std::get<E::Case>(copy.node).alternatives[0];
  *alternative.then = integer(7);
  EXPECT_FALSE(copy == original);
  EXPECT_EQ(debug_string(original), "Case(Variable(\"x\"), [CaseAlternative(Integer(1), "
                                    "Variable(\"a\"))], Integer(2))");
}

TEST(Ast, QueriesWithSubqueriesCopyDeeply) {
  RegularQuery inner;
  ReturnClause projection;
  projection.items.push_back({"c", left_chain(3)});
  inner.first.node = SinglePartQuery{{}, {}, std::move(projection)};
  Expression count = E::CountSubquery{Box<RegularQuery>(std::move(inner))};

  ReturnClause outer_return;
  outer_return.items.push_back({std::nullopt, std::move(count)});
  Query query{RegularQuery{SingleQuery{SinglePartQuery{{}, {}, std::move(outer_return)}}, {}}};
  Query copy = query;
  EXPECT_TRUE(copy == query);
  EXPECT_EQ(debug_string(copy), debug_string(query));
  EXPECT_NE(debug_string(copy).find("CountSubquery(RegularQuery("), std::string::npos);
}

TEST(Ast, EmptyOptionalChildrenStayEmptyInCopies) {
  Expression slice = E::Slice{boxed(var("list")), {}, boxed(integer(2))};
  Expression copy = slice;
  const auto* s = copy.as<E::Slice>();
  ASSERT_NE(s, nullptr);
  EXPECT_FALSE(s->from);
  ASSERT_TRUE(s->to);
  EXPECT_EQ(debug_string(copy), "Slice(Variable(\"list\"), -, Integer(2))");
}

}  // namespace
}  // namespace qarvex
