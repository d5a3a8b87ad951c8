// The Neo4j grammar: the Cypher that Neo4j 5 runs. Every rule takes its shared definition
// unless redefined here, and the rules only this grammar has follow the core ones in the table.

#include "parser/grammar.hpp"
#include "parser/grammar_table.hpp"

namespace qarvex {
namespace {

struct Neo4j {};

template <Rule rule>
using R = grammar::RulesOf<Neo4j>::Ref<rule>;

}  // namespace

namespace grammar {

#define QARVEX_NEO4J_RULE(name, rule_kind, ...)            \
  template <>                                              \
  struct RuleOf<Neo4j, Rule::name> {                       \
    static constexpr Rule id = Rule::name;                 \
    static constexpr RuleKind kind = RuleKind::rule_kind;  \
    using Body = __VA_ARGS__;                              \
  };

// ---- Names: a keyword is a name wherever a name stands ----
QARVEX_NEO4J_RULE(identifier, atomic,
                  Choice<Seq<NameStart, Star<WordChar>>, R<Rule::backtick_identifier>>)
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
// Only a bracket before a node or a shortest path can open a pattern comprehension; looking
// first spares every list «[x IN ...» the attempts at a pattern, which nested lists multiply.
template <typename Element>
using At = Not<Not<Element>>;
QARVEX_NEO4J_RULE(pattern_comprehension, normal,
                  Seq<Lit<"[">,
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
QARVEX_NEO4J_RULE(atom, normal, AtomOf<R, R<Rule::pattern_predicate>>)

// ---- Label predicates: «n:A:B», «n:A&B», «n:(A|B)&!C», «n IS Person» ----
QARVEX_NEO4J_RULE(label_predicate, normal, NameExpression<R, Rule::label_or>)
QARVEX_NEO4J_RULE(postfix_op, normal, PostfixOpOf<R, R<Rule::label_predicate>>)

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

#undef QARVEX_NEO4J_RULE

}  // namespace grammar

namespace {

using namespace grammar;

constexpr auto kRules = rule_table<Neo4j, kNeo4jRuleCount>();

constexpr Grammar kNeo4jGrammar{kRules, &skip_trivia, trivia_starts()};

}  // namespace

const peg::Grammar& neo4j_grammar() { return kNeo4jGrammar; }

}  // namespace qarvex
