#include "generator/query_generator.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace qarvex {
namespace {

// --- an independent reference for the random primitives --------------------------------------
//
// Written separately from the production code and in another shape: SplitMix64 in its streaming
// form, the 128-bit products of `between` from 32-bit limbs, Floyd's sample with an explicit
// set of taken indices.
namespace reference {

struct SplitMix {
  std::uint64_t x;
  std::uint64_t next() {
    x += 0x9e3779b97f4a7c15;
    std::uint64_t z = x;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
  }
};

std::uint64_t rotate_left(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

// High and low words of a * b, from four 32-bit partial products.
std::pair<std::uint64_t, std::uint64_t> multiply(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t a_lo = a & 0xffffffff, a_hi = a >> 32;
  const std::uint64_t b_lo = b & 0xffffffff, b_hi = b >> 32;
  const std::uint64_t ll = a_lo * b_lo, lh = a_lo * b_hi, hl = a_hi * b_lo, hh = a_hi * b_hi;
  const std::uint64_t middle = (ll >> 32) + (lh & 0xffffffff) + (hl & 0xffffffff);
  const std::uint64_t low = (middle << 32) | (ll & 0xffffffff);
  const std::uint64_t high = hh + (lh >> 32) + (hl >> 32) + (middle >> 32);
  return {high, low};
}

struct Xoshiro {
  std::array<std::uint64_t, 4> s;

  static Xoshiro seeded(std::uint64_t seed) {
    SplitMix mix{seed};
    return Xoshiro{{mix.next(), mix.next(), mix.next(), mix.next()}};
  }

  std::uint64_t next() {
    const std::uint64_t out = rotate_left(s[0] + s[3], 23) + s[0];
    const std::uint64_t t = s[1] << 17;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= t;
    s[3] = rotate_left(s[3], 45);
    return out;
  }
  std::uint32_t next32() { return static_cast<std::uint32_t>(next() >> 32); }

  std::uint32_t below(std::uint32_t n) {
    const std::uint64_t m = std::uint64_t{next32()} * n;
    std::uint64_t r = m / 0x100000000;
    const std::uint64_t lo = m % 0x100000000;
    if (lo + n > 0x100000000) {
      const std::uint64_t y = next32();
      if (lo + (y * n) / 0x100000000 >= 0x100000000) r += 1;
    }
    return static_cast<std::uint32_t>(r);
  }

  std::uint64_t between(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t n = b - a + 1;
    auto [r, lo] = multiply(next(), n);
    if (lo > 0 - n) {
      const std::uint64_t y_high = multiply(next(), n).first;
      if (y_high > ~lo) r += 1;  // lo + y_high >= 2^64
    }
    return a + r;
  }

  bool top_bit() { return (next() >> 63) == 1; }

  std::vector<std::uint32_t> sample(std::uint32_t n, std::uint32_t k) {
    std::vector<std::uint32_t> out;
    std::set<std::uint32_t> taken;
    for (std::uint32_t j = n - k; j < n; ++j) {
      const std::uint32_t t = below(j + 1);
      if (taken.contains(t)) {
        *std::find(out.begin(), out.end(), t) = j;
        taken.insert(j);
      }
      taken.insert(t);
      out.push_back(t);
    }
    return out;
  }
};

}  // namespace reference

using Words = std::array<std::uint64_t, 4>;

// --- random primitives ------------------------------------------------------------------------

TEST(Random, SeedingTakesTheFirstFourSplitMix64Outputs) {
  EXPECT_EQ(splitmix64_state(0), (Words{0xe220a8397b1dcdaf, 0x6e789e6aa1b965f4,
                                        0x06c45d188009454f, 0xf88bb8a8724c81ec}));
  for (std::uint64_t seed : {std::uint64_t{1}, std::uint64_t{7}, std::uint64_t{42},
                             std::uint64_t{0x0123456789abcdef}, ~std::uint64_t{0}}) {
    EXPECT_EQ(Random::seeded(seed).state(), reference::Xoshiro::seeded(seed).s) << seed;
  }
}

TEST(Random, Next64FollowsXoshiro256PlusPlus) {
  // The first two outputs from the state {1, 2, 3, 4}, worked out by hand:
  // rotl(1 + 4, 23) + 1, then after one step s0 = 7, s3 = 6 << 45.
  Random random(Words{1, 2, 3, 4});
  EXPECT_EQ(random.next64(), 41943041u);
  EXPECT_EQ(random.state(), (Words{7, 0, 262146, 211106232532992}));
  EXPECT_EQ(random.next64(), 58720359u);

  Random production = Random::seeded(99);
  reference::Xoshiro expected = reference::Xoshiro::seeded(99);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(production.next64(), expected.next()) << i;
  Random halves = Random::seeded(5);
  reference::Xoshiro full = reference::Xoshiro::seeded(5);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(halves.next32(), full.next() >> 32);
}

TEST(Random, BelowMatchesTheReferenceIncludingTheSecondDraw) {
  // Large n make the second draw frequent; n = 4 (a power of two) never takes it.
  const std::uint32_t bounds[] = {1, 2, 3, 4, 5, 7, 100, 1000003, 0x80000001u, 0xc0000000u,
                                  0xfffffffeu, 0xffffffffu};
  for (std::uint32_t n : bounds) {
    Random production = Random::seeded(n);
    reference::Xoshiro expected = reference::Xoshiro::seeded(n);
    int second_draws = 0;
    for (int i = 0; i < 3000; ++i) {
      reference::Xoshiro one_step = expected;
      one_step.next();
      const std::uint32_t value = production.below(n);
      ASSERT_EQ(value, expected.below(n)) << "n=" << n << " i=" << i;
      ASSERT_LT(value, n);
      ASSERT_EQ(production.state(), expected.s);
      if (expected.s != one_step.s) ++second_draws;
    }
    if (n == 1 || n == 2 || n == 4) {
      EXPECT_EQ(second_draws, 0) << n;
    }
    if (n >= 0x80000001u) {
      EXPECT_GT(second_draws, 100) << n;
    }
  }
}

TEST(Random, BetweenMatchesTheReferenceIncludingTheSecondDraw) {
  const std::pair<std::uint64_t, std::uint64_t> ranges[] = {
      {1, 100}, {1, 50}, {5, 5}, {0, 0x8000000000000000}, {3, 0xfffffffffffffff0}};
  for (auto [a, b] : ranges) {
    Random production = Random::seeded(a ^ b);
    reference::Xoshiro expected = reference::Xoshiro::seeded(a ^ b);
    int second_draws = 0;
    for (int i = 0; i < 3000; ++i) {
      reference::Xoshiro one_step = expected;
      one_step.next();
      const std::uint64_t value = production.between(a, b);
      ASSERT_EQ(value, expected.between(a, b)) << a << ".." << b << " i=" << i;
      ASSERT_GE(value, a);
      ASSERT_LE(value, b);
      ASSERT_EQ(production.state(), expected.s);
      if (expected.s != one_step.s) ++second_draws;
    }
    if (b - a > 0x4000000000000000) {
      EXPECT_GT(second_draws, 100) << a << ".." << b;
    }
  }
}

TEST(Random, CoinAndQuarterReadTheTopBitsOfOneOutput) {
  Random production = Random::seeded(3);
  reference::Xoshiro expected = reference::Xoshiro::seeded(3);
  int coins = 0, quarters = 0;
  for (int i = 0; i < 4000; ++i) {
    const std::uint64_t a = expected.next(), b = expected.next();
    const bool coin = production.coin(), quarter = production.quarter();
    ASSERT_EQ(coin, (a >> 63) == 0);
    ASSERT_EQ(quarter, (b >> 62) == 0);
    coins += coin;
    quarters += quarter;
  }
  EXPECT_NEAR(coins, 2000, 200);
  EXPECT_NEAR(quarters, 1000, 150);
}

TEST(Random, SampleIsFloydsMethodInDrawOrder) {
  for (auto [n, k] : {std::pair<std::uint32_t, std::uint32_t>{5, 3}, {3, 3}, {1, 1}, {10, 1},
                      {100, 3}, {4, 0}}) {
    for (std::uint64_t seed = 0; seed < 200; ++seed) {
      Random production = Random::seeded(seed);
      reference::Xoshiro expected = reference::Xoshiro::seeded(seed);
      const std::vector<std::uint32_t> chosen = production.sample(n, k);
      ASSERT_EQ(chosen, expected.sample(n, k)) << n << " " << k << " seed " << seed;
      ASSERT_EQ(production.state(), expected.s);
      ASSERT_EQ(std::set<std::uint32_t>(chosen.begin(), chosen.end()).size(), k);
      ASSERT_TRUE(std::ranges::all_of(chosen, [&](std::uint32_t i) { return i < n; }));
    }
  }
}

TEST(Random, EntropyIsReadLittleEndianAndAllZeroMeansSeedZero) {
  Entropy bytes{};
  EXPECT_EQ(Random::from_entropy(bytes).state(), Random::seeded(0).state());
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(Random::from_entropy(bytes).state(),
            (Words{0x0706050403020100, 0x0f0e0d0c0b0a0908, 0x1716151413121110,
                   0x1f1e1d1c1b1a1918}));
  Entropy last_only{};
  last_only[31] = 0x80;
  EXPECT_EQ(Random::from_entropy(last_only).state(), (Words{0, 0, 0, 0x8000000000000000}));
}

TEST(Random, ASavedStateContinuesTheSequenceAndAllZeroIsRefused) {
  Random original = Random::seeded(3);
  original.next64();
  std::optional<Random> restored = Random::from_state(original.state());
  ASSERT_TRUE(restored);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(restored->next64(), original.next64()) << i;
  EXPECT_FALSE(Random::from_state(Words{0, 0, 0, 0}));
  EXPECT_TRUE(Random::from_state(Words{0, 0, 0, 1}));
}

TEST(Random, OperatingSystemSeedsDiffer) {
  std::optional<Random> first = Random::from_os();
  std::optional<Random> second = Random::from_os();
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->state(), second->state());
  EXPECT_NE(first->state(), (Words{0, 0, 0, 0}));
}

// --- the generator ----------------------------------------------------------------------------

Schema empty_schema() { return Schema(); }

// Labels Empty, Genre, Movie, Person (listed in that order); Person has five properties, Movie
// three, Genre one, Empty none. REVIEWED starts at a label that is not declared.
Schema movie_schema() {
  return Schema({{"Person", {"name", "age", "email", "city", "born"}},
                 {"Movie", {"title", "released", "tagline"}},
                 {"Genre", {"name"}},
                 {"Empty", {}}},
                {{"ACTED_IN", {"Person", "Movie", {"role"}}},
                 {"IN_GENRE", {"Movie", "Genre", {}}},
                 {"REVIEWED", {"Critic", "Movie", {"rating"}}}});
}

std::string generate(QueryGenerator& generator, std::string_view type) {
  std::variant<std::string, ModuleError> query = generator.generate(type);
  if (const ModuleError* error = std::get_if<ModuleError>(&query)) {
    ADD_FAILURE() << error->text();
    return {};
  }
  return std::get<std::string>(query);
}

TEST(QueryGenerator, SupportedTypesInTheirListingOrder) {
  std::vector<std::string_view> names;
  for (const QueryType& type : query_types()) names.push_back(type.name);
  EXPECT_EQ(names, (std::vector<std::string_view>{
                       "match_return", "match_where_return", "create", "merge", "aggregation",
                       "match_relationship", "create_relationship", "match_set", "match_delete",
                       "with_chain", "distinct_return", "order_by", "unwind"}));
}

TEST(QueryGenerator, UnknownTypeIsAnErrorValueAndDrawsNothing) {
  QueryGenerator generator = QueryGenerator::seeded(movie_schema(), 11);
  const Words before = generator.random().state();
  for (std::string_view name : {"Match_Return", "", "match_return ", "MATCH_RETURN", "nope"}) {
    std::variant<std::string, ModuleError> result = generator.generate(name);
    ASSERT_TRUE(std::holds_alternative<ModuleError>(result)) << name;
    const ModuleError& error = std::get<ModuleError>(result);
    EXPECT_EQ(error.kind, ModuleErrorKind::Generator);
    EXPECT_EQ(error.message, "Unknown query type: " + std::string(name));
    EXPECT_EQ(error.text(), "Generator error: Unknown query type: " + std::string(name));
  }
  EXPECT_EQ(generator.random().state(), before);
}

struct EmptySchemaCase {
  std::string_view type;
  std::string pattern;  // the whole text must match
};

TEST(QueryGenerator, EmptySchemaBuildsOnTheDefaultLabel) {
  const std::string limit = "( LIMIT ([1-9]|[1-4][0-9]|50))?";
  const std::string literal = R"(("Alice"|"Bob"|"Carol"|"Neo4j"|"hello"|\d+|true|false|\$name|\$id|\$value|\$limit))";
  const EmptySchemaCase cases[] = {
      {"match_return", R"(MATCH \(n:Node\) RETURN n)" + limit},
      {"match_where_return", R"(MATCH \(n:Node\) RETURN n)" + limit},
      {"create", R"(CREATE \(n:Node\) RETURN n)"},
      {"merge", R"(MERGE \(n:Node\) RETURN n)"},
      {"aggregation", R"(MATCH \(n:Node\) RETURN count\(n\) AS result)"},
      {"match_relationship", R"(MATCH \(n:Node\) RETURN n)"},
      {"create_relationship", R"(CREATE \(n:Node\) RETURN n)"},
      {"match_set", R"(MATCH \(n:Node\) RETURN n)"},
      {"match_delete", R"(MATCH \(n:Node\) DETACH DELETE n)"},
      {"with_chain", R"(MATCH \(n:Node\) WITH n AS val RETURN count\(\*\))"},
      {"distinct_return", R"(MATCH \(n:Node\) RETURN DISTINCT n)" + limit},
      {"order_by", R"(MATCH \(n:Node\) RETURN n ORDER BY n)" + limit},
      {"unwind", R"(UNWIND \[)" + literal + "(, " + literal + R"(){1,3}\] AS item RETURN item)"},
  };
  QueryGenerator generator = QueryGenerator::seeded(empty_schema(), 1);
  for (const EmptySchemaCase& c : cases) {
    const std::regex pattern(c.pattern);
    for (int i = 0; i < 200; ++i) {
      const std::string query = generate(generator, c.type);
      ASSERT_TRUE(std::regex_match(query, pattern)) << c.type << ": " << query;
    }
  }
}

bool declares_pair(const Schema& schema, const std::string& type, const std::string& source,
                   const std::string& target) {
  const std::vector<Endpoints> pairs = schema.endpoint_pairs(type);
  return std::any_of(pairs.begin(), pairs.end(), [&](const Endpoints& ends) {
    return ends.source == source && ends.target == target;
  });
}

// Every "n." property and every map key belongs to the label of n; every relationship pattern
// uses a type with its own endpoints.
void expect_schema_names(const Schema& schema, const std::string& query) {
  static const std::regex node_label(R"(\(n:(\w+))");
  static const std::regex access(R"(n\.(\w+))");
  static const std::regex map_key(R"((?:\{|, )(\w+): )");
  static const std::regex relationship(R"(\(a:(\w+)\).*\[r:(\w+)\]->\(b:(\w+)\))");
  static const std::regex endpoints(R"(\(a:(\w+)\),\(b:(\w+)\) CREATE \(a\)-\[r:(\w+)\])");
  std::smatch match;
  if (std::regex_search(query, match, node_label)) {
    const std::string label = match[1];
    ASSERT_TRUE(schema.has_label(label)) << query;
    for (const std::regex* pattern : {&access, &map_key}) {
      for (std::sregex_iterator it(query.begin(), query.end(), *pattern), end; it != end; ++it) {
        EXPECT_TRUE(schema.label_has_property(label, (*it)[1].str())) << query;
      }
    }
  }
  if (std::regex_search(query, match, relationship)) {
    EXPECT_TRUE(declares_pair(schema, match[2].str(), match[1].str(), match[3].str())) << query;
  }
  if (std::regex_search(query, match, endpoints)) {
    EXPECT_TRUE(declares_pair(schema, match[3].str(), match[1].str(), match[2].str())) << query;
  }
}

TEST(QueryGenerator, EveryTypeOnAFullSchemaHasItsShapeAndUsesOnlyTheSchemasNames) {
  const std::string L = "(Empty|Genre|Movie|Person)";
  const std::string P = R"(\w+)";
  const std::string limit = "( LIMIT ([1-9]|[1-4][0-9]|50))?";
  const std::string value = R"(("Alice"|"Bob"|"Carol"|"Neo4j"|\$name|\$id|\$value))";
  const std::string literal = R"(("Alice"|"Bob"|"Carol"|"Neo4j"|"hello"|\d+|true|false|\$name|\$id|\$value|\$limit))";
  const std::string map = "( \\{" + P + ": " + literal + "(, " + P + ": " + literal + "){0,2}\\})?";
  const std::string rel = "(ACTED_IN|IN_GENRE|REVIEWED)";
  const std::map<std::string_view, std::string> shapes = {
      {"match_return", R"(MATCH \(n:)" + L + R"(\) RETURN n)" + limit},
      {"match_where_return", R"(MATCH \(n:)" + L + R"(\) (WHERE n\.)" + P + " = " + value +
                                 R"( RETURN n\.)" + P + "|RETURN n)" + limit},
      {"create", R"(CREATE \(n:)" + L + map + R"(\) RETURN n)"},
      {"merge", R"(MERGE \(n:)" + L + map + R"(\) RETURN n)"},
      {"aggregation", R"(MATCH \(n:)" + L + R"(\) RETURN count\(n(\.)" + P + R"()?\) AS result)"},
      {"match_relationship", R"((OPTIONAL )?MATCH \(a:\w+\)-\[r:)" + rel +
                                 R"(\]->\(b:\w+\) RETURN a, r, b)"},
      {"create_relationship", R"(MATCH \(a:\w+\),\(b:\w+\) CREATE \(a\)-\[r:)" + rel +
                                  R"(\]->\(b\) RETURN r)"},
      {"match_set", R"(MATCH \(n:)" + L + R"(\) (SET n\.)" + P + " = " + value + " )?RETURN n"},
      {"match_delete", R"(MATCH \(n:)" + L + R"(\) DETACH DELETE n)"},
      {"with_chain", R"(MATCH \(n:)" + L + R"(\) WITH n(\.)" + P + R"()? AS val RETURN count\(\*\))"},
      {"distinct_return", R"(MATCH \(n:)" + L + R"(\) RETURN DISTINCT n(\.)" + P + ")?" + limit},
      {"order_by", R"(MATCH \(n:)" + L + R"(\) RETURN n ORDER BY n(\.)" + P + "( DESC)?)?" + limit},
      {"unwind", R"((MATCH \(n:)" + L + R"(\) UNWIND n\.)" + P + R"( AS item RETURN item|UNWIND \[)" +
                     literal + "(, " + literal + R"(){1,3}\] AS item RETURN item))"},
  };
  ASSERT_EQ(shapes.size(), query_type_count);
  const Schema schema = movie_schema();
  QueryGenerator generator = QueryGenerator::seeded(schema, 2024);
  std::map<std::string_view, std::set<std::string>> seen;
  for (const auto& [type, shape] : shapes) {
    const std::regex pattern(shape);
    for (int i = 0; i < 300; ++i) {
      const std::string query = generate(generator, type);
      ASSERT_TRUE(std::regex_match(query, pattern)) << type << ": " << query;
      expect_schema_names(schema, query);
      seen[type].insert(query);
    }
  }
  // With labels, properties and types declared, the choices do vary.
  for (const auto& [type, queries] : seen) EXPECT_GE(queries.size(), 3u) << type;
}

TEST(QueryGenerator, SameSeedAndCallsGiveTheSameQueries) {
  QueryGenerator first = QueryGenerator::seeded(movie_schema(), 77);
  QueryGenerator second = QueryGenerator::seeded(movie_schema(), 77);
  QueryGenerator other = QueryGenerator::seeded(movie_schema(), 78);
  std::vector<std::string> from_first, from_other;
  for (int round = 0; round < 20; ++round) {
    for (const QueryType& type : query_types()) {
      from_first.push_back(first.generate(type));
      ASSERT_EQ(from_first.back(), generate(second, type.name));
      from_other.push_back(other.generate(type));
    }
  }
  EXPECT_EQ(first.random().state(), second.random().state());
  EXPECT_NE(from_first, from_other);
}

TEST(QueryGenerator, RebuiltFromItsSchemaAndStateItContinuesTheSameQueries) {
  QueryGenerator original = QueryGenerator::seeded(movie_schema(), 5);
  for (const QueryType& type : query_types()) original.generate(type);
  QueryGenerator rebuilt(original.schema(), original.random());
  for (int round = 0; round < 5; ++round) {
    for (const QueryType& type : query_types()) {
      ASSERT_EQ(rebuilt.generate(type), original.generate(type)) << type.name;
    }
  }
}

// --- draws in their order, predicted with the reference ----------------------------------------

TEST(QueryGenerator, CreateDrawsLabelThenMapSizeThenSampleThenOneLiteralPerEntry) {
  const std::vector<std::string> labels{"Empty", "Genre", "Movie", "Person"};
  const std::map<std::string, std::vector<std::string>> properties{
      {"Empty", {}},
      {"Genre", {"name"}},
      {"Movie", {"released", "tagline", "title"}},
      {"Person", {"age", "born", "city", "email", "name"}}};
  const std::array<std::string, 5> strings{"\"Alice\"", "\"Bob\"", "\"Carol\"", "\"Neo4j\"",
                                           "\"hello\""};
  const std::array<std::string, 4> parameters{"$name", "$id", "$value", "$limit"};
  for (std::uint64_t seed = 0; seed < 300; ++seed) {
    QueryGenerator generator = QueryGenerator::seeded(movie_schema(), seed);
    reference::Xoshiro ref = reference::Xoshiro::seeded(seed);
    const std::string& label = labels[ref.below(4)];
    const std::vector<std::string>& keys = properties.at(label);
    std::string map;
    if (!keys.empty()) {
      const std::uint32_t size = static_cast<std::uint32_t>(keys.size());
      const std::uint32_t k = ref.below(std::min<std::uint32_t>(size, 3)) + 1;
      std::vector<std::string> entries;
      for (std::uint32_t index : ref.sample(size, k)) {
        std::string literal;
        switch (ref.below(4)) {
          case 0: literal = strings[ref.below(5)]; break;
          case 1: literal = std::to_string(ref.between(1, 100)); break;
          case 2: literal = ref.top_bit() ? "false" : "true"; break;
          default: literal = parameters[ref.below(4)]; break;
        }
        entries.push_back(keys[index] + ": " + literal);
      }
      map = " {";
      for (std::size_t i = 0; i < entries.size(); ++i) map += (i ? ", " : "") + entries[i];
      map += "}";
    }
    ASSERT_EQ(generate(generator, "create"), "CREATE (n:" + label + map + ") RETURN n");
    ASSERT_EQ(generator.random().state(), ref.s) << seed;
  }
}

TEST(QueryGenerator, RelationshipTypesDrawTheTypeThenTheOptionalQuarter) {
  const std::vector<std::array<std::string, 3>> types{
      {"ACTED_IN", "Person", "Movie"}, {"IN_GENRE", "Movie", "Genre"},
      {"REVIEWED", "Critic", "Movie"}};
  int optional_count = 0;
  for (std::uint64_t seed = 0; seed < 400; ++seed) {
    QueryGenerator generator = QueryGenerator::seeded(movie_schema(), seed);
    reference::Xoshiro ref = reference::Xoshiro::seeded(seed);
    const auto& [name, source, target] = types[ref.below(3)];
    const bool optional = (ref.next() >> 62) == 0;
    optional_count += optional;
    ASSERT_EQ(generate(generator, "match_relationship"),
              std::string(optional ? "OPTIONAL " : "") + "MATCH (a:" + source + ")-[r:" + name +
                  "]->(b:" + target + ") RETURN a, r, b");
    const auto& [name2, source2, target2] = types[ref.below(3)];
    ASSERT_EQ(generate(generator, "create_relationship"),
              "MATCH (a:" + source2 + "),(b:" + target2 + ") CREATE (a)-[r:" + name2 +
                  "]->(b) RETURN r");
    ASSERT_EQ(generator.random().state(), ref.s) << seed;
  }
  EXPECT_GT(optional_count, 50);
  EXPECT_LT(optional_count, 150);
}

TEST(QueryGenerator, ATypeWithSeveralPairsDrawsThePairRightAfterTheType) {
  RelationshipType likes("Person", "Movie", {});
  likes.add({"Person", "Book", {}});
  likes.add({"Company", "Movie", {}});
  const Schema schema({{"Person", {}}},
                      {{"KNOWS", {"Person", "Person", {}}}, {"LIKES", std::move(likes)}});
  const std::vector<std::array<std::string, 2>> likes_pairs{
      {"Person", "Movie"}, {"Person", "Book"}, {"Company", "Movie"}};
  std::set<std::string> likes_seen;
  for (std::uint64_t seed = 0; seed < 300; ++seed) {
    QueryGenerator generator = QueryGenerator::seeded(schema, seed);
    reference::Xoshiro ref = reference::Xoshiro::seeded(seed);
    auto draw_type = [&]() -> std::array<std::string, 3> {
      if (ref.below(2) == 0) return {"KNOWS", "Person", "Person"};  // one pair: no second draw
      const auto& [source, target] = likes_pairs[ref.below(3)];
      likes_seen.insert(source + target);
      return {"LIKES", source, target};
    };
    const auto [name, source, target] = draw_type();
    const bool optional = (ref.next() >> 62) == 0;
    ASSERT_EQ(generate(generator, "match_relationship"),
              std::string(optional ? "OPTIONAL " : "") + "MATCH (a:" + source + ")-[r:" + name +
                  "]->(b:" + target + ") RETURN a, r, b");
    const auto [name2, source2, target2] = draw_type();
    ASSERT_EQ(generate(generator, "create_relationship"),
              "MATCH (a:" + source2 + "),(b:" + target2 + ") CREATE (a)-[r:" + name2 +
                  "]->(b) RETURN r");
    ASSERT_EQ(generator.random().state(), ref.s) << seed;
  }
  EXPECT_EQ(likes_seen.size(), likes_pairs.size());
}

TEST(QueryGenerator, OrderByDrawsTheDescendingBitEvenWithoutAProperty) {
  // Only the label Bare, which has no properties: L, no P, the descending bit, the limit.
  const Schema schema({{"Bare", {}}}, {});
  for (std::uint64_t seed = 0; seed < 300; ++seed) {
    QueryGenerator generator = QueryGenerator::seeded(schema, seed);
    reference::Xoshiro ref = reference::Xoshiro::seeded(seed);
    ref.below(1);  // the label
    ref.next();    // the unused descending bit
    std::string limit;
    if (ref.below(3) == 0) limit = " LIMIT " + std::to_string(ref.between(1, 50));
    ASSERT_EQ(generate(generator, "order_by"), "MATCH (n:Bare) RETURN n ORDER BY n" + limit);
    ASSERT_EQ(generator.random().state(), ref.s) << seed;
  }
}

TEST(QueryGenerator, OrderByWithAPropertyUsesTheTopBitForDescending) {
  const Schema schema({{"Item", {"rank"}}}, {});
  std::set<std::string> texts;
  for (std::uint64_t seed = 0; seed < 200; ++seed) {
    QueryGenerator generator = QueryGenerator::seeded(schema, seed);
    reference::Xoshiro ref = reference::Xoshiro::seeded(seed);
    ref.below(1);
    ref.below(1);
    const bool descending = ref.top_bit();
    std::string limit;
    if (ref.below(3) == 0) limit = " LIMIT " + std::to_string(ref.between(1, 50));
    const std::string query = generate(generator, "order_by");
    ASSERT_EQ(query, "MATCH (n:Item) RETURN n ORDER BY n.rank" +
                         std::string(descending ? " DESC" : "") + limit);
    texts.insert(query);
  }
  EXPECT_GT(texts.size(), 10u);
}

// Draws one random_literal from the reference and returns how it would be written.
std::string reference_literal(reference::Xoshiro& ref) {
  static const std::array<std::string, 5> strings{"\"Alice\"", "\"Bob\"", "\"Carol\"",
                                                  "\"Neo4j\"", "\"hello\""};
  static const std::array<std::string, 4> parameters{"$name", "$id", "$value", "$limit"};
  switch (ref.below(4)) {
    case 0: return strings[ref.below(5)];
    case 1: return std::to_string(ref.between(1, 100));
    case 2: return ref.top_bit() ? "false" : "true";
    default: return parameters[ref.below(4)];
  }
}

TEST(QueryGenerator, UnwindDrawsItsLiteralsEvenWhenItUnwindsAProperty) {
  const Schema with_property({{"Item", {"tags"}}}, {});
  const Schema without({{"Bare", {}}}, {});
  for (std::uint64_t seed = 0; seed < 300; ++seed) {
    QueryGenerator generator = QueryGenerator::seeded(with_property, seed);
    reference::Xoshiro ref = reference::Xoshiro::seeded(seed);
    ref.below(1);
    ref.below(1);
    for (std::uint32_t i = 0, count = ref.below(3) + 2; i < count; ++i) reference_literal(ref);
    ASSERT_EQ(generate(generator, "unwind"), "MATCH (n:Item) UNWIND n.tags AS item RETURN item");
    ASSERT_EQ(generator.random().state(), ref.s) << seed;

    QueryGenerator bare = QueryGenerator::seeded(without, seed);
    reference::Xoshiro bare_ref = reference::Xoshiro::seeded(seed);
    bare_ref.below(1);
    std::string list;
    for (std::uint32_t i = 0, count = bare_ref.below(3) + 2; i < count; ++i) {
      list += (i ? ", " : "") + reference_literal(bare_ref);
    }
    ASSERT_EQ(generate(bare, "unwind"), "UNWIND [" + list + "] AS item RETURN item");
    ASSERT_EQ(bare.random().state(), bare_ref.s) << seed;
  }
}

TEST(QueryGenerator, ComparisonValuesAndLimitsFollowTheirDraws) {
  const Schema schema({{"Item", {"id"}}}, {});
  const std::array<std::string, 4> strings{"\"Alice\"", "\"Bob\"", "\"Carol\"", "\"Neo4j\""};
  const std::array<std::string, 3> parameters{"$name", "$id", "$value"};
  for (std::uint64_t seed = 0; seed < 300; ++seed) {
    QueryGenerator generator = QueryGenerator::seeded(schema, seed);
    reference::Xoshiro ref = reference::Xoshiro::seeded(seed);
    ref.below(1);
    ref.below(1);
    const std::string value = ref.below(3) != 0 ? strings[ref.below(4)] : parameters[ref.below(3)];
    std::string limit;
    if (ref.below(3) == 0) limit = " LIMIT " + std::to_string(ref.between(1, 50));
    ASSERT_EQ(generate(generator, "match_where_return"),
              "MATCH (n:Item) WHERE n.id = " + value + " RETURN n.id" + limit);
    ASSERT_EQ(generator.random().state(), ref.s) << seed;
  }
}

// --- ranges and invariants over many queries ----------------------------------------------------

std::vector<std::string> many(QueryGenerator& generator, std::string_view type, int count) {
  std::vector<std::string> queries;
  for (int i = 0; i < count; ++i) queries.push_back(generate(generator, type));
  return queries;
}

TEST(QueryGenerator, LimitsStayWithinOneToFiftyAndIntegersWithinOneToHundred) {
  QueryGenerator generator = QueryGenerator::seeded(movie_schema(), 5);
  const std::regex limit(R"( LIMIT (\d+))");
  std::set<int> limits;
  for (std::string_view type : {"match_return", "match_where_return", "distinct_return",
                                "order_by"}) {
    for (const std::string& query : many(generator, type, 3000)) {
      std::smatch match;
      if (std::regex_search(query, match, limit)) limits.insert(std::stoi(match[1]));
    }
  }
  ASSERT_FALSE(limits.empty());
  EXPECT_EQ(*limits.begin(), 1);
  EXPECT_EQ(*limits.rbegin(), 50);
  EXPECT_EQ(limits.size(), 50u);

  QueryGenerator bare = QueryGenerator::seeded(empty_schema(), 6);
  const std::regex integer(R"([\[ ](\d+)[,\]])");
  std::set<int> integers;
  for (const std::string& query : many(bare, "unwind", 8000)) {
    for (std::sregex_iterator it(query.begin(), query.end(), integer), end; it != end; ++it) {
      integers.insert(std::stoi((*it)[1]));
    }
  }
  ASSERT_FALSE(integers.empty());
  EXPECT_EQ(*integers.begin(), 1);
  EXPECT_EQ(*integers.rbegin(), 100);
}

TEST(QueryGenerator, PropertyMapsHoldAtMostThreeDistinctKeys) {
  // One label per size; maps list all keys only when a label has at most three.
  const Schema schema({{"One", {"a"}},
                       {"Two", {"a", "b"}},
                       {"Three", {"a", "b", "c"}},
                       {"Five", {"a", "b", "c", "d", "e"}}},
                      {});
  const std::map<std::string, std::size_t> sizes{{"One", 1}, {"Two", 2}, {"Three", 3},
                                                 {"Five", 5}};
  std::map<std::string, std::set<std::size_t>> counts;
  const std::regex node(R"((?:CREATE|MERGE) \(n:(\w+)(?: \{(.*)\})?\) RETURN n)");
  const std::regex key(R"((?:^|, )(\w+): )");
  QueryGenerator generator = QueryGenerator::seeded(schema, 9);
  for (std::string_view type : {"create", "merge"}) {
    for (const std::string& query : many(generator, type, 2000)) {
      std::smatch match;
      ASSERT_TRUE(std::regex_match(query, match, node)) << query;
      ASSERT_TRUE(match[2].matched) << query;
      const std::string entries = match[2];
      std::vector<std::string> keys;
      for (std::sregex_iterator it(entries.begin(), entries.end(), key), end; it != end; ++it) {
        keys.push_back((*it)[1]);
      }
      ASSERT_GE(keys.size(), 1u) << query;
      ASSERT_LE(keys.size(), 3u) << query;
      ASSERT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size()) << query;
      counts[match[1]].insert(keys.size());
    }
  }
  EXPECT_EQ(counts["One"], (std::set<std::size_t>{1}));
  EXPECT_EQ(counts["Two"], (std::set<std::size_t>{1, 2}));
  EXPECT_EQ(counts["Three"], (std::set<std::size_t>{1, 2, 3}));
  EXPECT_EQ(counts["Five"], (std::set<std::size_t>{1, 2, 3}));
}

TEST(QueryGenerator, HelloIsNeverComparedButIsUsedAsALiteral) {
  QueryGenerator generator = QueryGenerator::seeded(movie_schema(), 12);
  for (std::string_view type : {"match_set", "match_where_return"}) {
    for (const std::string& query : many(generator, type, 3000)) {
      ASSERT_EQ(query.find("hello"), std::string::npos) << query;
      ASSERT_EQ(query.find("$limit"), std::string::npos) << query;
    }
  }
  for (std::string_view type : {"create", "merge"}) {
    const std::vector<std::string> queries = many(generator, type, 3000);
    EXPECT_TRUE(std::ranges::any_of(queries, [](const std::string& query) {
      return query.find("\"hello\"") != std::string::npos;
    })) << type;
  }
  QueryGenerator bare = QueryGenerator::seeded(empty_schema(), 13);
  const std::vector<std::string> unwinds = many(bare, "unwind", 500);
  EXPECT_TRUE(std::ranges::any_of(unwinds, [](const std::string& query) {
    return query.find("\"hello\"") != std::string::npos;
  }));
}

TEST(QueryGenerator, LabelWithoutPropertiesFallsBackToThePlainForms) {
  const Schema schema({{"Bare", {}}}, {});
  QueryGenerator generator = QueryGenerator::seeded(schema, 3);
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"match_set", "MATCH (n:Bare) RETURN n"},
      {"create", "CREATE (n:Bare) RETURN n"},
      {"merge", "MERGE (n:Bare) RETURN n"},
      {"aggregation", "MATCH (n:Bare) RETURN count(n) AS result"},
      {"with_chain", "MATCH (n:Bare) WITH n AS val RETURN count(*)"},
      {"match_relationship", "MATCH (n:Bare) RETURN n"},
      {"create_relationship", "CREATE (n:Bare) RETURN n"},
  };
  for (auto [type, expected] : cases) {
    for (int i = 0; i < 20; ++i) ASSERT_EQ(generate(generator, type), expected) << type;
  }
}

TEST(QueryGenerator, NamesAreInsertedAsTheSchemaWritesThem) {
  const Schema schema({{"Ünïcode", {"größe"}}}, {{"LIKES", {"A b", "C", {}}}});
  QueryGenerator generator = QueryGenerator::seeded(schema, 4);
  EXPECT_EQ(generate(generator, "aggregation"), "MATCH (n:Ünïcode) RETURN count(n.größe) AS result");
  EXPECT_EQ(generate(generator, "create_relationship"),
            "MATCH (a:A b),(b:C) CREATE (a)-[r:LIKES]->(b) RETURN r");
}

}  // namespace
}  // namespace qarvex
