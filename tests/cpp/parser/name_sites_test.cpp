// The places where a parsed query writes labels, relationship types and property keys.
#include "parser/name_sites.hpp"

#include <gtest/gtest.h>

#include <string>

#include "parser/parse.hpp"
#include "parse_test_support.hpp"

namespace qarvex {
namespace {

using namespace testing_support;

// Each site as "kind:text", in order: L label, T type, K key.
std::string sites_of(std::string_view query) {
  ParseOutcome outcome = parse(Rule::cypher, query);
  const ParseTree* tree = tree_of(outcome);
  if (tree == nullptr) return "does not parse: " + failure_text(query, outcome);
  std::string out;
  for (const NameSite& site : name_sites(*tree)) {
    if (!out.empty()) out += ' ';
    out += "LTK"[static_cast<int>(site.kind)];
    out.append(":").append(query.substr(site.begin, site.end - site.begin));
  }
  return out;
}

struct SitesCase {
  const char* query;
  const char* sites;
};

class NameSitesTest : public testing::TestWithParam<SitesCase> {};

TEST_P(NameSitesTest, ListsEveryNameWhereItStands) {
  EXPECT_EQ(sites_of(GetParam().query), GetParam().sites) << GetParam().query;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NameSitesTest,
    testing::Values(
        SitesCase{"MATCH (a:A:`B c` {k: 1})-[r:R|S|:T *1..2 {w: 2}]->(b) RETURN a.x.y",
                  "L:A L:`B c` K:k T:R T:S T:T K:w K:x K:y"},
        // Strings, comments, variables, function and procedure names are no sites.
        SitesCase{"MATCH (A) WHERE A = 'n:A' /* :B */ RETURN apoc.x.y(A), $p.k, (A).e5, 1.e5",
                  "K:k K:e5"},
        SitesCase{"MATCH (n) SET n : Tag, n.p = {q: 1} REMOVE n:Old, n.z", "L:Tag K:p K:q L:Old K:z"},
        SitesCase{"MATCH (n) WHERE EXISTS { (n)-->(:In) } RETURN [(n)-[:R]->(m:M) | m.v]",
                  "L:In T:R L:M K:v"},
        SitesCase{"CALL db.labels() YIELD label RETURN label", ""}));

}  // namespace
}  // namespace qarvex
