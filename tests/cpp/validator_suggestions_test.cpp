#include "validator/suggestions.hpp"

#include <gtest/gtest.h>

namespace qarvex {
namespace {

using Names = std::vector<std::string>;

struct MatchRow {
  std::string_view why;
  std::string_view name;
  Names candidates;
  std::optional<std::string> best;
};

class ClosestMatch : public testing::TestWithParam<MatchRow> {};

TEST_P(ClosestMatch, FindsTheNearestCandidate) {
  const MatchRow& row = GetParam();
  EXPECT_EQ(closest_match(row.name, row.candidates), row.best) << row.why << ": " << row.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClosestMatch,
    testing::Values(
        MatchRow{"one deletion", "Persn", {"Movie", "Person"}, "Person"},
        MatchRow{"case is ignored", "person", {"Movie", "Person"}, "Person"},
        MatchRow{"nothing within 3", "Xyzzy", {"Movie", "Person"}, std::nullopt},
        MatchRow{"distance 3 is still accepted", "abc", {"xyz"}, "xyz"},
        MatchRow{"distance 4 is not", "abcd", {"wxyz"}, std::nullopt},
        MatchRow{"ties go to the first candidate", "Cax", {"Car", "Cat"}, "Car"},
        MatchRow{"a strictly closer later candidate wins", "Persn", {"Parson", "Person", "Persons"},
                 "Person"},
        MatchRow{"an equally close later candidate does not", "abxd", {"abyd", "abzd"}, "abyd"},
        MatchRow{"an exact match ignoring case beats an earlier near one", "NAME",
                 {"nam", "Name", "name"}, "Name"},
        MatchRow{"empty name against short candidates", "", {"abcd", "ab"}, "ab"},
        MatchRow{"no candidates", "x", {}, std::nullopt},
        MatchRow{"raw byte lengths too far apart are skipped", "a", {"abcdef"}, std::nullopt},
        MatchRow{"non-ASCII letters count as several byte edits", "aéé", {"aee"}, std::nullopt},
        MatchRow{"one changed accent is two byte edits", "née", {"nee"}, "nee"},
        MatchRow{"non-ASCII case folds before comparing", "ΣΟΦΙΑ", {"σοφια"}, "σοφια"},
        MatchRow{"lower-casing may grow a name past the bound", "İİ", {"ii"}, std::nullopt},
        MatchRow{"backticks are part of the name", "`Persn`", {"Person"}, "Person"}));

struct NearestRow {
  std::string_view why;
  std::string_view name;
  Names candidates;
  std::size_t limit;
  std::vector<std::string_view> nearest;
};

class NearestNames : public testing::TestWithParam<NearestRow> {};

TEST_P(NearestNames, OrdersByDistanceThenByTheGivenOrder) {
  const NearestRow& row = GetParam();
  EXPECT_EQ(nearest_names(row.name, row.candidates, row.limit), row.nearest)
      << row.why << ": " << row.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NearestNames,
    testing::Values(
        NearestRow{"no bound on the distance", "Book", {"Movie", "Person", "Tag"}, 5,
                   {"Movie", "Tag", "Person"}},
        NearestRow{"ties keep the given order", "ab", {"ax", "ay", "ab"}, 5, {"ab", "ax", "ay"}},
        NearestRow{"case is ignored", "PERSON", {"Movie", "person"}, 5, {"person", "Movie"}},
        NearestRow{"the limit keeps the nearest", "abc", {"xyz", "abd", "abx", "abc"}, 2,
                   {"abc", "abd"}},
        NearestRow{"a later tie does not displace an earlier one", "aa", {"ab", "ba", "ca"}, 2,
                   {"ab", "ba"}},
        NearestRow{"limit zero", "a", {"a"}, 0, {}},
        NearestRow{"no candidates", "a", {}, 3, {}}));

TEST(LabelSuggestion, PrefixesBothNamesWithAColon) {
  Names labels{"Movie", "Person"};
  EXPECT_EQ(label_suggestion("Persn", closest_match("Persn", labels)),
            (Suggestion{":Persn", ":Person", "Replace :Persn with :Person"}));
  EXPECT_EQ(label_suggestion("Xyzzy", closest_match("Xyzzy", labels)), std::nullopt);
}

TEST(PropertySuggestion, QuotesBothKeysInTheDescription) {
  Names keys{"age", "name"};
  EXPECT_EQ(property_suggestion("nme", keys),
            (Suggestion{"nme", "name", "Replace property 'nme' with 'name'"}));
  EXPECT_EQ(property_suggestion("zzzzzz", keys), std::nullopt);
}

}  // namespace
}  // namespace qarvex
