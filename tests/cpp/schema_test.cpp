#include "schema/schema.hpp"

#include <gtest/gtest.h>

namespace qarvex {
namespace {

using Names = std::vector<std::string>;

Schema schema_with(NameMap<NameSet> nodes, NameMap<RelationshipType> rels = {}) {
  return Schema(std::move(nodes), std::move(rels));
}

TEST(Schema, ListsSortByUtf8Bytes) {
  Schema schema = schema_with({{"b", {}}, {"B", {}}, {"a", {}}, {"A", {}}, {"PersonX", {}},
                               {"Person", {}}, {"\xc3\xa9", {}}, {"z", {}}});
  EXPECT_EQ(schema.sorted_labels(), (Names{"A", "B", "Person", "PersonX", "a", "b", "z", "\xc3\xa9"}));
}

TEST(Schema, LookupsOfUnknownNamesAreEmpty) {
  Schema schema = schema_with({{"Person", {"name", "age"}}}, {{"KNOWS", {"A", "B", {"since"}}}});
  EXPECT_TRUE(schema.has_label("Person"));
  EXPECT_FALSE(schema.has_label("person"));
  EXPECT_EQ(schema.sorted_label_properties("Person"), (Names{"age", "name"}));
  EXPECT_TRUE(schema.sorted_label_properties("Nobody").empty());
  EXPECT_TRUE(schema.sorted_type_properties("NOPE").empty());
  EXPECT_TRUE(schema.label_has_property("Person", "age"));
  EXPECT_FALSE(schema.label_has_property("Nobody", "age"));
  EXPECT_TRUE(schema.type_has_property("KNOWS", "since"));
  ASSERT_TRUE(schema.endpoints("KNOWS"));
  EXPECT_EQ(schema.endpoints("KNOWS")->source, "A");
  EXPECT_EQ(schema.endpoints("KNOWS")->target, "B");
  EXPECT_FALSE(schema.endpoints("NOPE"));
}

TEST(Schema, MergeUnitesPropertiesAndKeepsTheReceiversEndpoints) {
  Schema left = schema_with({{"P", {"a"}}}, {{"R", {"P", "Q", {"x"}}}});
  Schema right = schema_with({{"P", {"b"}}}, {{"R", {"S", "T", {"y"}}}});
  Schema merged = merge(left, right);
  EXPECT_EQ(merged.sorted_label_properties("P"), (Names{"a", "b"}));
  EXPECT_EQ(merged.sorted_type_properties("R"), (Names{"x", "y"}));
  EXPECT_EQ(merged.endpoints("R")->source, "P");
  EXPECT_EQ(merged.endpoints("R")->target, "Q");
  Schema reversed = merge(right, left);
  EXPECT_EQ(reversed.endpoints("R")->source, "S");
  EXPECT_EQ(reversed.endpoints("R")->target, "T");
  EXPECT_EQ(left.sorted_label_properties("P"), (Names{"a"}));
}

}  // namespace
}  // namespace qarvex
