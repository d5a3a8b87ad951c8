// The indexed "did you mean" search against the scan it replaces, kept here as it was: the same
// candidate on large random name lists and on the names of the shared schema corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/json_reader.hpp"
#include "base/unicode_lower.hpp"
#include "validator/name_index.hpp"
#include "validator/suggestions.hpp"

namespace qarvex {
namespace {

// The scan over every candidate, as the validator ran it before the index existed.
std::optional<std::string> reference_closest_match(std::string_view name,
                                                   const std::vector<std::string>& candidates) {
  auto gap = [](std::size_t a, std::size_t b) { return a > b ? a - b : b - a; };
  auto distance = [](std::string_view a, std::string_view b,
                     std::size_t bound) -> std::optional<std::size_t> {
    std::vector<std::size_t> above(b.size() + 1), row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) above[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
      row[0] = i;
      std::size_t smallest = i;
      for (std::size_t j = 1; j <= b.size(); ++j) {
        row[j] = a[i - 1] == b[j - 1] ? above[j - 1]
                                       : 1 + std::min({above[j], above[j - 1], row[j - 1]});
        smallest = std::min(smallest, row[j]);
      }
      if (smallest > bound) return std::nullopt;
      std::swap(above, row);
    }
    return above[b.size()];
  };
  std::size_t threshold = 3;
  std::optional<std::string> best;
  std::string lowered_name = unicode_lower(name);
  for (const std::string& candidate : candidates) {
    if (gap(name.size(), candidate.size()) > threshold) continue;
    std::string lowered_candidate = unicode_lower(candidate);
    if (gap(lowered_name.size(), lowered_candidate.size()) > threshold) continue;
    std::optional<std::size_t> d = distance(lowered_name, lowered_candidate, threshold);
    if (!d || *d > threshold) continue;
    if (*d == 0) return candidate;
    best = candidate;
    threshold = *d - 1;
  }
  return best;
}

// Pieces names are made of: ASCII of both cases, digits, and letters whose lower-case form
// has another length in bytes (Kelvin sign, dotted capital I) or differs only in case.
const std::vector<std::string> kPieces = {
    "a", "b", "c", "e", "A", "B", "E", "x", "Y", "_", "1", "2", "é", "É", "K", "İ", "Σ", "σ",
    "Person", "Movie", "Tenant", "ab", "AB"};

std::string random_name(std::mt19937& random, std::size_t max_pieces) {
  std::uniform_int_distribution<std::size_t> count(0, max_pieces);
  std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
  std::string name;
  for (std::size_t i = count(random); i > 0; --i) name += kPieces[piece(random)];
  return name;
}

// Up to four byte edits (insert, delete, replace) or a case change of a piece.
std::string mutate(std::string name, std::mt19937& random) {
  std::uniform_int_distribution<int> edits(0, 4);
  for (int e = edits(random); e > 0; --e) {
    std::size_t at = name.empty() ? 0 : random() % (name.size() + 1);
    switch (random() % 4) {
      case 0: name.insert(at, kPieces[random() % kPieces.size()]); break;
      case 1: if (at < name.size()) name.erase(at, 1); break;
      case 2: if (at < name.size()) name[at] = static_cast<char>('a' + random() % 26); break;
      default: if (at < name.size() && name[at] >= 'a' && name[at] <= 'z') name[at] -= 32;
    }
  }
  return name;
}

std::vector<std::string> sorted_distinct(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

// Looks up mutations of the candidates and unrelated names; the first difference fails.
void expect_same_choices(const std::vector<std::string>& candidates, std::size_t lookups,
                         std::mt19937& random) {
  NameIndex index(candidates);
  std::size_t found = 0;
  for (std::size_t i = 0; i < lookups; ++i) {
    std::string name = i % 4 == 3 ? random_name(random, 6)
                                  : mutate(candidates[random() % candidates.size()], random);
    std::optional<std::string> expected = reference_closest_match(name, candidates);
    ASSERT_EQ(closest_match(name, index), expected) << "name: " << name;
    found += expected.has_value();
  }
  EXPECT_GT(found, lookups / 4);  // the lists make near names common, so ties are exercised
}

TEST(NameIndex, ChoosesAsTheScanOnLargeRandomLists) {
  std::mt19937 random(20261211);
  for (std::size_t size : {1u, 20u, 1000u, 20000u}) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < size; ++i) names.push_back(random_name(random, 5));
    expect_same_choices(sorted_distinct(std::move(names)), 1500, random);
  }
  std::vector<std::string> long_names;  // past 64 bytes the distance is measured another way
  for (std::size_t i = 0; i < 2000; ++i) long_names.push_back(random_name(random, 24));
  expect_same_choices(sorted_distinct(std::move(long_names)), 1500, random);
}

// Every object key and short string value of the document, which holds the labels, types
// and property keys of every corpus schema.
void collect_names(JsonReader& reader, std::vector<std::string>& names) {
  std::optional<JsonKind> kind = reader.peek_value();
  if (kind == JsonKind::Object && reader.begin_object()) {
    std::string key;
    while (reader.next_member(key) == JsonReader::Step::Item) {
      names.push_back(key);
      collect_names(reader, names);
    }
  } else if (kind == JsonKind::Array && reader.begin_array()) {
    while (reader.next_element() == JsonReader::Step::Item) collect_names(reader, names);
  } else if (kind == JsonKind::String) {
    std::string text;
    if (reader.read_string(text) && text.size() < 40 && text.find(' ') == std::string::npos) {
      names.push_back(text);
    }
  } else {
    reader.skip_value();
  }
}

TEST(NameIndex, ChoosesAsTheScanOnTheCorpusNames) {
  std::ifstream in(QARVEX_SOURCE_DIR "/../shared/corpus/neo4j-text2cypher-schemas.json");
  if (!in) GTEST_SKIP() << "no corpus under ../shared/corpus";
  std::stringstream text;
  text << in.rdbuf();
  std::string document = text.str();
  JsonReader reader(document);
  std::vector<std::string> names;
  collect_names(reader, names);
  ASSERT_FALSE(reader.failed()) << reader.error().description;
  names = sorted_distinct(std::move(names));
  ASSERT_GT(names.size(), 100u);
  std::mt19937 random(7);
  expect_same_choices(names, 3000, random);
}

TEST(NameIndex, EmptyIndexFindsNothing) {
  EXPECT_EQ(closest_match("Person", NameIndex()), std::nullopt);
  EXPECT_EQ(closest_match("", NameIndex({""})), "");
}

}  // namespace
}  // namespace qarvex
