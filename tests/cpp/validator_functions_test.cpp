#include "validator/semantic/functions.hpp"

#include <gtest/gtest.h>

#include <set>

namespace qarvex {
namespace {

TEST(BuiltinFunctions, SeventyThreeUniqueLowerCaseNames) {
  std::set<std::string_view> names;
  for (const BuiltinFunction& f : builtin_functions()) {
    EXPECT_TRUE(names.insert(f.name).second) << f.name;
    for (char c : f.name) EXPECT_FALSE(c >= 'A' && c <= 'Z') << f.name;
    EXPECT_TRUE(!f.numeric_aggregate || f.aggregate) << f.name;
  }
  EXPECT_EQ(names.size(), 73u);
}

TEST(BuiltinFunctions, AggregatesAndNumericAggregates) {
  std::set<std::string_view> aggregates, numeric;
  for (const BuiltinFunction& f : builtin_functions()) {
    if (f.aggregate) aggregates.insert(f.name);
    if (f.numeric_aggregate) numeric.insert(f.name);
  }
  EXPECT_EQ(aggregates, (std::set<std::string_view>{"count", "collect", "sum", "avg", "min", "max",
                                                     "stdev", "stdevp", "percentilecont",
                                                     "percentiledisc"}));
  EXPECT_EQ(numeric, (std::set<std::string_view>{"sum", "avg", "stdev", "stdevp",
                                                  "percentilecont", "percentiledisc"}));
}

struct ArityRow {
  std::string_view written;
  std::string_view arity;
  std::size_t accepted;
  std::size_t rejected;
};

class FunctionArity : public testing::TestWithParam<ArityRow> {};

TEST_P(FunctionArity, LookupIgnoresCaseAndGivesTheArityText) {
  const ArityRow& row = GetParam();
  const BuiltinFunction* function = find_builtin_function(row.written);
  ASSERT_NE(function, nullptr) << row.written;
  EXPECT_EQ(arity_text(*function), row.arity) << row.written;
  EXPECT_TRUE(accepts_argument_count(*function, row.accepted)) << row.written;
  EXPECT_FALSE(accepts_argument_count(*function, row.rejected)) << row.written;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FunctionArity,
    testing::Values(ArityRow{"toUpper", "1", 1, 2}, ArityRow{"TOUPPER", "1", 1, 0},
                    ArityRow{"substring", "2-3", 3, 1}, ArityRow{"range", "2-3", 2, 4},
                    ArityRow{"coalesce", "at least 1", 1000, 0}, ArityRow{"date", "0-1", 0, 2},
                    ArityRow{"rand", "0", 0, 1}, ArityRow{"Round", "1-2", 2, 3},
                    ArityRow{"replace", "3", 3, 2}, ArityRow{"percentileCont", "2", 2, 1},
                    ArityRow{"count", "1", 1, 2}, ArityRow{"elementId", "1", 1, 0}));

TEST(BuiltinFunctions, UnknownAndNamespacedNamesAreNotFound) {
  for (std::string_view name : {"myFunc", "my.sum", "apoc.coll.sum", "", "sum ", "toupper2",
                                "\xc4\xb0" "d"}) {
    EXPECT_EQ(find_builtin_function(name), nullptr) << name;
  }
  // The full mapping is used: the Kelvin sign lower-cases to "k".
  ASSERT_NE(find_builtin_function("\xe2\x84\xaa" "EYS"), nullptr);
  EXPECT_EQ(find_builtin_function("\xe2\x84\xaa" "EYS")->name, "keys");
}

}  // namespace
}  // namespace qarvex
