#include "schema/schema.hpp"

#include <gtest/gtest.h>

namespace qarvex {
namespace {

using Names = std::vector<std::string>;

Schema schema_with(NameMap<NameSet> nodes, NameMap<RelationshipType> rels = {}) {
  return Schema(std::move(nodes), std::move(rels));
}

RelationshipType type_of(std::vector<EndpointEntry> entries) {
  return *RelationshipType::from_entries(std::move(entries));
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs pairs_of(const Schema& schema, std::string_view type) {
  Pairs pairs;
  for (const Endpoints& ends : schema.endpoint_pairs(type)) {
    pairs.emplace_back(ends.source, ends.target);
  }
  return pairs;
}

Names entry_keys(const Schema& schema, std::string_view type, std::size_t index) {
  return sorted_names(schema.relationship(type)->entries().at(index).properties);
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
  EXPECT_TRUE(schema.endpoint_pairs("NOPE").empty());
  EXPECT_EQ(schema.relationship("NOPE"), nullptr);
}

TEST(Schema, ARepeatedPairIsKeptAtItsFirstPlaceWithTheKeysUnited) {
  Schema schema = schema_with({}, {{"LIKES", type_of({{"Person", "Movie", {"at"}},
                                                       {"Person", "Book", {}},
                                                       {"Person", "Movie", {"stars"}},
                                                       {"Movie", "Person", {"why"}}})}});
  EXPECT_EQ(pairs_of(schema, "LIKES"),
            (Pairs{{"Person", "Movie"}, {"Person", "Book"}, {"Movie", "Person"}}));
  EXPECT_EQ(entry_keys(schema, "LIKES", 0), (Names{"at", "stars"}));
  EXPECT_EQ(entry_keys(schema, "LIKES", 1), Names{});
  EXPECT_EQ(schema.endpoints("LIKES")->target, "Movie");
  // The type's own keys, which property checks read, are the union over its pairs.
  EXPECT_EQ(schema.sorted_type_properties("LIKES"), (Names{"at", "stars", "why"}));
  EXPECT_TRUE(schema.type_has_property("LIKES", "why"));
  EXPECT_FALSE(schema.type_has_property("LIKES", "Movie"));
  EXPECT_FALSE(RelationshipType::from_entries({}));
}

TEST(Schema, MergeUnitesPropertiesAndPutsTheOthersNewPairsAfterTheReceivers) {
  Schema left = schema_with({{"P", {"a"}}}, {{"R", {"P", "Q", {"x"}}}});
  Schema right = schema_with({{"P", {"b"}}}, {{"R", {"S", "T", {"y"}}}});
  Schema merged = merge(left, right);
  EXPECT_EQ(merged.sorted_label_properties("P"), (Names{"a", "b"}));
  EXPECT_EQ(merged.sorted_type_properties("R"), (Names{"x", "y"}));
  EXPECT_EQ(pairs_of(merged, "R"), (Pairs{{"P", "Q"}, {"S", "T"}}));
  EXPECT_EQ(merged.endpoints("R")->source, "P");
  EXPECT_EQ(entry_keys(merged, "R", 1), Names{"y"});
  EXPECT_EQ(pairs_of(merge(right, left), "R"), (Pairs{{"S", "T"}, {"P", "Q"}}));
  EXPECT_EQ(left.sorted_label_properties("P"), (Names{"a"}));
  EXPECT_EQ(pairs_of(left, "R"), (Pairs{{"P", "Q"}}));
}

TEST(Schema, MergeUnitesTheKeysOfAPairBothSchemasHold) {
  Schema left = schema_with({}, {{"R", type_of({{"A", "B", {"x"}}, {"A", "C", {}}})}});
  Schema right = schema_with({}, {{"R", type_of({{"D", "D", {}}, {"A", "B", {"y"}}})},
                                  {"U", {"A", "A", {}}}});
  Schema merged = merge(left, right);
  EXPECT_EQ(pairs_of(merged, "R"), (Pairs{{"A", "B"}, {"A", "C"}, {"D", "D"}}));
  EXPECT_EQ(entry_keys(merged, "R", 0), (Names{"x", "y"}));
  EXPECT_EQ(pairs_of(merged, "U"), (Pairs{{"A", "A"}}));
  EXPECT_EQ(pairs_of(merge(merged, merged), "R"), pairs_of(merged, "R"));
}

}  // namespace
}  // namespace qarvex
