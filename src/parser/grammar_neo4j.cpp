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

// ---- Label predicates: «n:A:B», «n:A&B», «n:A|B» ----
QARVEX_NEO4J_RULE(label_predicate, normal,
                  Seq<Lit<":">, R<Rule::label_name>,
                      Star<Seq<Choice<Lit<":">, Lit<"&">, Lit<"|">>, R<Rule::label_name>>>>)
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
