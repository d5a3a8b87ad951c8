// The Neo4j grammar: the Cypher that Neo4j 5 runs. Every rule takes its shared definition
// unless redefined here, and the rules only this grammar has follow the core ones in the table.

#include "base/unicode_ident.hpp"
#include "parser/grammar.hpp"
#include "parser/grammar_table.hpp"

namespace qarvex {
namespace {

struct Neo4j {};

template <Rule rule>
using R = grammar::RulesOf<Neo4j>::Ref<rule>;

}  // namespace

namespace grammar {

// One character of a name as Neo4j reads it: ASCII is looked at here, anything else in the
// generated Unicode table.
template <IdentPlace place>
struct IdentChar {
  static bool match(State& s) {
    if (s.at_end()) return false;
    char c = s.text()[s.pos()];
    if (static_cast<unsigned char>(c) < 0x80) {
      if (!(place == IdentPlace::Start ? is_letter(c) || c == '_' : is_word_char(c))) return false;
      s.advance(1);
      return true;
    }
    std::size_t length = identifier_char_length(s.rest(), place);
    s.advance(length);
    return length != 0;
  }
  // ASCII word characters and the lead bytes of two- and three-byte sequences.
  static constexpr std::optional<ByteSet> first_bytes() {
    ByteSet set{};
    for (int byte = 0; byte < 0x80; ++byte) {
      char c = static_cast<char>(byte);
      set[byte] = place == IdentPlace::Start ? is_letter(c) || c == '_' : is_word_char(c);
    }
    for (int byte = 0xC2; byte <= 0xEF; ++byte) set[byte] = true;
    return set;
  }
};
using Neo4jWord = Seq<IdentChar<IdentPlace::Start>, Star<IdentChar<IdentPlace::Part>>>;

// `...`: inside, a doubled backtick stands for one.
struct BacktickName {
  static bool match(State& s) {
    std::string_view rest = s.rest();
    if (rest.empty() || rest[0] != '`') return false;
    std::size_t close = rest.find('`', 1);
    while (close != std::string_view::npos && close + 1 < rest.size() && rest[close + 1] == '`') {
      close = rest.find('`', close + 2);
    }
    s.charge((close == std::string_view::npos ? rest.size() : close) / kBytesPerCharge);
    if (close == std::string_view::npos) return false;
    s.advance(close + 1);
    return true;
  }
  static constexpr std::optional<ByteSet> first_bytes() { return bytes_of({'`'}); }
};

#define QARVEX_NEO4J_RULE(name, rule_kind, ...)                   \
  template <>                                                     \
  struct RuleOf<Neo4j, Rule::name> {                              \
    static constexpr Rule id = Rule::name;                        \
    static constexpr RuleKind kind = RuleKind::rule_kind;         \
    static constexpr bool remembered = is_remembered(Rule::name); \
    using Body = __VA_ARGS__;                                     \
  };

// ---- Names: a keyword is a name wherever a name stands ----
QARVEX_NEO4J_RULE(identifier, atomic, Choice<Neo4jWord, R<Rule::backtick_identifier>>)
// So the subject of «CASE x WHEN» is never the word WHEN itself.
QARVEX_NEO4J_RULE(case_expression, normal, CaseOf<R, Seq<Not<Word<"WHEN">>, R<Rule::expression>>>)

// ---- Patterns: label and type expressions, WHERE inside patterns, quantified paths and
// relationships, path selectors, dynamic labels and types ----
// A label or type expression, loosest first: «|» (or the old «|:»), then «&» (or the old «:»
// between labels), then «!», then a name, «%», a dynamic name or a parenthesised expression.
template <template <Rule> class R, Rule conjunction>
using NameDisjunction = ListOf<R<conjunction>, Seq<Lit<"|">, Opt<Lit<":">>>>;
template <template <Rule> class R, Rule negation, Rule atom>
using NameConjunction = ListOf<Choice<R<negation>, R<atom>>, Choice<Lit<"&">, Lit<":">>>;
template <template <Rule> class R, Rule atom>
using NameNegation = Seq<Plus<Lit<"!">>, R<atom>>;
template <template <Rule> class R, Rule name, Rule disjunction>
using NameAtom = Choice<R<Rule::dynamic_name>, R<name>, Seq<Lit<"(">, R<disjunction>, Lit<")">>,
                        Lit<"%">>;
// «IS» before a label expression, unless it opens another test («IS NULL», «IS :: INTEGER»,
// «IS NORMALIZED», ...).
using IsLabels = Seq<Word<"IS">, Not<Choice<Word<"NOT">, Word<"NULL">, Word<"NORMALIZED">,
                                            Word<"NFC">, Word<"NFD">, Word<"NFKC">, Word<"NFKD">,
                                            Word<"TYPED">, Lit<"::">>>>;
template <template <Rule> class R, Rule disjunction>
using NameExpression = Seq<Choice<Lit<":">, IsLabels>, R<disjunction>>;

QARVEX_NEO4J_RULE(label_expression, normal, NameExpression<R, Rule::label_or>)
QARVEX_NEO4J_RULE(label_or, normal, NameDisjunction<R, Rule::label_and>)
QARVEX_NEO4J_RULE(label_and, normal, NameConjunction<R, Rule::label_not, Rule::label_atom>)
QARVEX_NEO4J_RULE(label_not, normal, NameNegation<R, Rule::label_atom>)
QARVEX_NEO4J_RULE(label_atom, normal, NameAtom<R, Rule::label_name, Rule::label_or>)
QARVEX_NEO4J_RULE(type_expression, normal, NameExpression<R, Rule::type_or>)
QARVEX_NEO4J_RULE(type_or, normal, NameDisjunction<R, Rule::type_and>)
QARVEX_NEO4J_RULE(type_and, normal, NameConjunction<R, Rule::type_not, Rule::type_atom>)
QARVEX_NEO4J_RULE(type_not, normal, NameNegation<R, Rule::type_atom>)
QARVEX_NEO4J_RULE(type_atom, normal, NameAtom<R, Rule::rel_type_name, Rule::type_or>)
// «$(expr)», «$all(expr)», «$any(expr)»: a label or type computed when the query runs.
QARVEX_NEO4J_RULE(dynamic_name, normal,
                  Seq<Lit<"$">, Opt<Choice<Word<"all">, Word<"any">>>, Lit<"(">,
                      R<Rule::expression>, Lit<")">>)
// SET and REMOVE take plain and dynamic labels after colons.
template <template <Rule> class R>
using SetLabel = Choice<R<Rule::dynamic_name>, R<Rule::label_name>>;
QARVEX_NEO4J_RULE(node_labels, normal,
                  Seq<Lit<":">, SetLabel<R>, Star<Seq<Lit<":">, SetLabel<R>>>>)

QARVEX_NEO4J_RULE(node_pattern, normal,
                  Seq<Lit<"(">, Opt<R<Rule::variable>>, Opt<R<Rule::label_expression>>,
                      Opt<R<Rule::properties>>, Opt<R<Rule::where_clause>>, Lit<")">>)
QARVEX_NEO4J_RULE(relationship_pattern, normal,
                  Seq<Opt<R<Rule::left_arrow>>,
                      Choice<Seq<Lit<"-">, Lit<"[">, Opt<R<Rule::variable>>,
                                 Opt<R<Rule::type_expression>>, Opt<R<Rule::range_literal>>,
                                 Opt<R<Rule::properties>>, Opt<R<Rule::where_clause>>, Lit<"]">,
                                 Lit<"-">, Opt<R<Rule::right_arrow>>>,
                             Seq<Lit<"--">, Opt<R<Rule::right_arrow>>>>>)
// «+», «*», «{n}», «{n,m}», «{n,}», «{,m}».
QARVEX_NEO4J_RULE(quantifier, normal,
                  Choice<Lit<"+">, Lit<"*">,
                         Seq<Lit<"{">, Opt<R<Rule::integer_literal>>, Lit<",">,
                             Opt<R<Rule::integer_literal>>, Lit<"}">>,
                         Seq<Lit<"{">, R<Rule::integer_literal>, Lit<"}">>>)
// Quantified path patterns do not nest: inside one stands a plain chain.
QARVEX_NEO4J_RULE(quantified_path, normal,
                  Seq<Lit<"(">, PatternChain<R>, Opt<R<Rule::where_clause>>, Lit<")">,
                      R<Rule::quantifier>>)
// Nodes joined by relationships, each of which may be quantified.
template <template <Rule> class R>
using QuantifiedChain =
    Seq<R<Rule::node_pattern>,
        Star<Seq<R<Rule::relationship_pattern>, Opt<R<Rule::quantifier>>, R<Rule::node_pattern>>>>;
// Chains and quantified path patterns side by side; two chains never meet without a
// quantified path pattern between them.
template <template <Rule> class R>
using GroupThenChain = Seq<R<Rule::quantified_path>, Opt<QuantifiedChain<R>>>;
template <template <Rule> class R>
using PathFactors =
    Seq<Choice<QuantifiedChain<R>, GroupThenChain<R>>, Star<GroupThenChain<R>>>;
QARVEX_NEO4J_RULE(pattern_element, normal, Choice<R<Rule::shortest_path_call>, PathFactors<R>>)
// «[p = (a)-->(b) WHERE ... | p]». Only a node or a shortest path after the bracket (and the
// path variable) can open a pattern comprehension; looking first spares every list «[x IN ...»
// the attempts at a pattern, which nested lists multiply.
template <typename Element>
using At = Not<Not<Element>>;
QARVEX_NEO4J_RULE(pattern_comprehension, normal,
                  Seq<Lit<"[">, Opt<Seq<R<Rule::variable>, Lit<"=">>>,
                      At<Choice<Lit<"(">, ILit<"shortestPath">, ILit<"allShortestPaths">>>,
                      R<Rule::pattern_element>, Opt<Seq<ILit<"WHERE">, R<Rule::expression>>>,
                      Lit<"|">, R<Rule::expression>, Lit<"]">>)
using PathWord = Choice<Word<"PATHS">, Word<"PATH">>;
QARVEX_NEO4J_RULE(path_selector, normal,
                  Choice<Seq<Word<"ALL">, Word<"SHORTEST">, Opt<PathWord>>,
                         Seq<Word<"ALL">, Opt<PathWord>>,
                         Seq<Word<"ANY">, Word<"SHORTEST">, Opt<PathWord>>,
                         Seq<Word<"ANY">, Opt<R<Rule::integer_literal>>, Opt<PathWord>>,
                         Seq<Word<"SHORTEST">, Opt<R<Rule::integer_literal>>, Opt<PathWord>,
                             Choice<Word<"GROUPS">, Word<"GROUP">>>,
                         Seq<Word<"SHORTEST">, R<Rule::integer_literal>, Opt<PathWord>>>)
QARVEX_NEO4J_RULE(pattern_part, normal,
                  Seq<Opt<Seq<R<Rule::variable>, Lit<"=">>>, Opt<R<Rule::path_selector>>,
                      R<Rule::pattern_element>>)

// ---- Subquery expressions and pattern predicates ----
// A pattern with an optional WHERE: the short form of «EXISTS { MATCH ... }».
QARVEX_NEO4J_RULE(subquery_pattern, normal, Seq<R<Rule::pattern>, Opt<R<Rule::where_clause>>>)
QARVEX_NEO4J_RULE(exists_subquery, normal,
                  Braced<"EXISTS", Choice<R<Rule::regular_query>, R<Rule::subquery_pattern>>>)
QARVEX_NEO4J_RULE(count_subquery, normal,
                  Braced<"COUNT", Choice<R<Rule::regular_query>, R<Rule::subquery_pattern>>>)
// A pattern of at least one relationship as a predicate: «WHERE (a)-[:R]->(b)».
QARVEX_NEO4J_RULE(pattern_predicate, normal,
                  Seq<R<Rule::node_pattern>,
                      Plus<Seq<R<Rule::relationship_pattern>, R<Rule::node_pattern>>>>)

// ---- Label predicates: «n:A:B», «n:A&B», «n:(A|B)&!C», «n IS Person» ----
QARVEX_NEO4J_RULE(label_predicate, normal, NameExpression<R, Rule::label_or>)

// ---- Queries: FINISH closes a query that returns nothing ----
template <template <Rule> class Ref>
using QueryEnding = Choice<Ref<Rule::return_clause>, Word<"FINISH">>;
QARVEX_NEO4J_RULE(single_part_query, normal, SinglePartQueryOf<R, QueryEnding<R>>)
QARVEX_NEO4J_RULE(multi_part_query, normal, MultiPartQueryOf<R, QueryEnding<R>>)

// ---- Updates: NODETACH DELETE is the plain DELETE, said outright ----
QARVEX_NEO4J_RULE(delete_clause, normal,
                  Seq<Opt<Choice<ILit<"DETACH">, ILit<"NODETACH">>>, ILit<"DELETE">,
                      ListOf<R<Rule::expression>>>)

// ---- Procedures: the argument list may be left out («CALL db.labels») ----
QARVEX_NEO4J_RULE(explicit_procedure_invocation, normal,
                  Seq<R<Rule::procedure_name>,
                      Opt<Seq<Lit<"(">, Opt<ListOf<R<Rule::expression>>>, Lit<")">>>>)

// ---- Patterns: a length range may leave out its lower bound («*..3») ----
QARVEX_NEO4J_RULE(range_literal, normal,
                  Seq<Lit<"*">,
                      Opt<Choice<Seq<R<Rule::integer_literal>,
                                     Opt<Seq<Lit<"..">, Opt<R<Rule::integer_literal>>>>>,
                                 Seq<Lit<"..">, Opt<R<Rule::integer_literal>>>>>>)

// ---- Operators: «||» concatenates as «+» does ----
QARVEX_NEO4J_RULE(add_sub_expr, normal,
                  ChainOf<R, Rule::mul_div_expr, Choice<Lit<"+">, Lit<"-">, Lit<"||">>>)

// ---- Literals: «.5» ----
QARVEX_NEO4J_RULE(float_literal, atomic, FloatOf<Seq<Lit<".">, Plus<Digit>, Opt<Exponent>>>)


// ==== Clauses and expressions: names in any script, CALL's scope and transactions, procedure
// calls, LOAD CSV, USE, map projections, path variables in pattern comprehensions, type and
// normal form predicates ====

// Names in any script, and backticked names with doubled backticks.
QARVEX_NEO4J_RULE(backtick_identifier, atomic, BacktickName)
QARVEX_NEO4J_RULE(label_name, atomic, Choice<Neo4jWord, R<Rule::backtick_identifier>>)
QARVEX_NEO4J_RULE(rel_type_name, atomic, Choice<Neo4jWord, R<Rule::backtick_identifier>>)
QARVEX_NEO4J_RULE(property_key_name, atomic, Choice<Neo4jWord, R<Rule::backtick_identifier>>)
QARVEX_NEO4J_RULE(function_name, atomic, Seq<Opt<R<Rule::namespace_>>, Neo4jWord>)
QARVEX_NEO4J_RULE(parameter, atomic, Seq<Lit<"$">, Choice<Neo4jWord, Plus<Digit>>>)

// «[OPTIONAL] CALL [(x, y) | (*) | ()] { ... } [IN ... TRANSACTIONS ...]».
QARVEX_NEO4J_RULE(call_scope, normal,
                  Seq<Lit<"(">, Opt<Choice<Lit<"*">, ListOf<R<Rule::variable>>>>, Lit<")">>)
template <template <Rule> class Ref>
using BatchRows = Seq<Word<"OF">, Ref<Rule::expression>, Choice<Word<"ROWS">, Word<"ROW">>>;
// REPORT STATUS only follows an error mode that goes on after a failed batch.
template <template <Rule> class Ref>
using OnError =
    Seq<Word<"ON">, Word<"ERROR">,
        Choice<Seq<Choice<Word<"CONTINUE">, Word<"BREAK">>,
                   Opt<Seq<Word<"REPORT">, Word<"STATUS">, Word<"AS">, Ref<Rule::variable>>>>,
               Word<"FAIL">>>;
QARVEX_NEO4J_RULE(in_transactions, normal,
                  Seq<Word<"IN">,
                      Opt<Seq<Not<Choice<Word<"CONCURRENT">, Word<"TRANSACTIONS">>>,
                              R<Rule::expression>>>,
                      Opt<Word<"CONCURRENT">>, Word<"TRANSACTIONS">,
                      Opt<Choice<Seq<BatchRows<R>, Opt<OnError<R>>>,
                                 Seq<OnError<R>, Opt<BatchRows<R>>>>>>)
QARVEX_NEO4J_RULE(call_subquery, normal,
                  Seq<Opt<Word<"OPTIONAL">>, ILit<"CALL">, Opt<R<Rule::call_scope>>, Lit<"{">,
                      R<Rule::regular_query>, Lit<"}">, Opt<R<Rule::in_transactions>>>)
// «[OPTIONAL] CALL proc(...) [YIELD * | YIELD a, b [WHERE ...]]».
QARVEX_NEO4J_RULE(in_query_call, normal,
                  Seq<Opt<Word<"OPTIONAL">>, ILit<"CALL">, R<Rule::explicit_procedure_invocation>,
                      Opt<Seq<ILit<"YIELD">,
                              Choice<Lit<"*">, Seq<R<Rule::yield_items>,
                                                   Opt<R<Rule::where_clause>>>>>>>)

// «LOAD CSV [WITH HEADERS] FROM url AS row [FIELDTERMINATOR ';']», a reading clause.
QARVEX_NEO4J_RULE(load_csv_clause, normal,
                  Seq<Word<"LOAD">, Word<"CSV">, Opt<Seq<Word<"WITH">, Word<"HEADERS">>>,
                      Word<"FROM">, R<Rule::expression>, Word<"AS">, R<Rule::variable>,
                      Opt<Seq<Word<"FIELDTERMINATOR">, R<Rule::string_literal>>>>)
QARVEX_NEO4J_RULE(reading_clause, normal,
                  Choice<R<Rule::match_clause>, R<Rule::unwind_clause>, R<Rule::call_subquery>,
                         R<Rule::in_query_call>, R<Rule::load_csv_clause>>)

// «USE db», «USE graph.byName(...)»: the graph of a query or subquery, before its clauses.
QARVEX_NEO4J_RULE(use_clause, normal,
                  Seq<Word<"USE">, Choice<Seq<Word<"GRAPH">, R<Rule::expression>>,
                                          R<Rule::expression>>>)
QARVEX_NEO4J_RULE(single_query, normal,
                  Seq<Opt<R<Rule::use_clause>>,
                      Choice<R<Rule::multi_part_query>, R<Rule::single_part_query>>>)

// «n {.name, .*, key: expr, var}».
QARVEX_NEO4J_RULE(map_projection_item, normal,
                  Choice<Seq<Lit<".">, Lit<"*">>, Seq<Lit<".">, R<Rule::property_key_name>>,
                         Seq<R<Rule::property_key_name>, Lit<":">, R<Rule::expression>>,
                         R<Rule::variable>>)
QARVEX_NEO4J_RULE(map_projection, normal,
                  Seq<R<Rule::variable>, Lit<"{">, Opt<ListOf<R<Rule::map_projection_item>>>,
                      Lit<"}">>)
// As Neo4j reads them, «[x IN list]» is a comprehension rather than a list of one test, so the
// list literal is tried after the comprehensions (which also keeps nested comprehensions from
// being parsed once per reading); a variable may open a map projection.
QARVEX_NEO4J_RULE(literal, normal,
                  Choice<R<Rule::float_literal>, R<Rule::integer_literal>, R<Rule::string_literal>,
                         R<Rule::boolean_literal>, R<Rule::null_literal>, R<Rule::map_literal>>)
QARVEX_NEO4J_RULE(atom, normal,
                  Choice<R<Rule::reduce_expression>, R<Rule::shortest_path_call>,
                         R<Rule::literal>, R<Rule::parameter>, R<Rule::case_expression>,
                         R<Rule::pattern_comprehension>, R<Rule::list_comprehension>,
                         R<Rule::list_literal>, R<Rule::quantifier_expression>,
                         R<Rule::exists_subquery>, R<Rule::count_subquery>,
                         R<Rule::collect_subquery>, R<Rule::count_star>,
                         R<Rule::function_invocation>, R<Rule::map_projection>, R<Rule::variable>,
                         R<Rule::pattern_predicate>, R<Rule::parenthesized_expr>>)

// «SET (n).x = 1», «REMOVE (n).x».
QARVEX_NEO4J_RULE(property_expression, normal,
                  Choice<Seq<R<Rule::variable>, Plus<R<Rule::property_lookup>>>,
                         Seq<Lit<"(">, R<Rule::variable>, Lit<")">, Plus<R<Rule::property_lookup>>>>)

// Types: «INTEGER NOT NULL», «LIST<STRING>», «STRING ARRAY», «BOOLEAN | FLOAT», «ANY<...>».
using NotNull = Seq<Word<"NOT">, Word<"NULL">>;
template <template <Rule> class Ref>
using Parametrised = Seq<Lit<"<">, Ref<Rule::cypher_type>, Lit<">">>;
using TimeZone = Seq<Choice<Word<"WITH">, Word<"WITHOUT">>,
                     Choice<Seq<Word<"TIME">, Word<"ZONE">>, Word<"TIMEZONE">>>;
template <template <Rule> class Ref>
using TypeName = Choice<
    Seq<Choice<Word<"LIST">, Word<"ARRAY">>, Parametrised<Ref>>,
    Seq<Word<"ANY">,
        Opt<Choice<Parametrised<Ref>, Seq<Word<"PROPERTY">, Word<"VALUE">>, Word<"VALUE">,
                   Word<"NODE">, Word<"VERTEX">, Word<"RELATIONSHIP">, Word<"EDGE">,
                   Word<"MAP">>>>,
    Seq<Word<"PROPERTY">, Word<"VALUE">>,
    Seq<Choice<Word<"LOCAL">, Word<"ZONED">>, Choice<Word<"DATETIME">, Word<"TIME">>>,
    Seq<Choice<Word<"TIMESTAMP">, Word<"TIME">>, TimeZone>, Seq<Word<"SIGNED">, Word<"INTEGER">>,
    Word<"NOTHING">, Word<"NULL">, Word<"BOOLEAN">, Word<"BOOL">, Word<"STRING">,
    Word<"VARCHAR">, Word<"INTEGER">, Word<"INT">, Word<"FLOAT">, Word<"DATE">,
    Word<"DURATION">, Word<"POINT">, Word<"NODE">, Word<"VERTEX">, Word<"RELATIONSHIP">,
    Word<"EDGE">, Word<"MAP">, Word<"PATH">>;
template <template <Rule> class Ref>
using TypePart = Seq<TypeName<Ref>, Opt<NotNull>,
                     Star<Seq<Choice<Word<"LIST">, Word<"ARRAY">>, Opt<NotNull>>>>;
QARVEX_NEO4J_RULE(cypher_type, normal, ListOf<TypePart<R>, Lit<"|">>)
QARVEX_NEO4J_RULE(type_predicate, normal,
                  Choice<Seq<Word<"IS">, Opt<Word<"NOT">>, Choice<Lit<"::">, Word<"TYPED">>,
                             R<Rule::cypher_type>>,
                         Seq<Lit<"::">, R<Rule::cypher_type>>>)
QARVEX_NEO4J_RULE(normalized_predicate, normal,
                  Seq<Word<"IS">, Opt<Word<"NOT">>,
                      Opt<Choice<Word<"NFC">, Word<"NFD">, Word<"NFKC">, Word<"NFKD">>>,
                      Word<"NORMALIZED">>)
QARVEX_NEO4J_RULE(postfix_op, normal,
                  PostfixOpOf<R, R<Rule::label_predicate>, R<Rule::type_predicate>,
                              R<Rule::normalized_predicate>>)

#undef QARVEX_NEO4J_RULE

}  // namespace grammar

namespace {

using namespace grammar;

constexpr auto kRules = rule_table<Neo4j, kNeo4jRuleCount>();

constexpr Grammar kNeo4jGrammar{kRules, &skip_trivia, trivia_starts()};

}  // namespace

const peg::Grammar& neo4j_grammar() { return kNeo4jGrammar; }

}  // namespace qarvex
