// The rules the Cypher grammars share: each rule's kind and body, written once. A grammar
// refers to its own definition of a rule through `R<rule>`, so a shared body that names a rule
// the grammar redefines reaches that grammar's version. Alternatives are tried in the order
// written, which decides what is accepted, so they must not be reordered.
#pragma once

#include "parser/grammar_matchers.hpp"
#include "parser/rules.hpp"

namespace qarvex::grammar {

// The rules whose runs the engine keeps, so that a choice whose alternatives begin with the
// same clauses does not parse a nested subquery once per alternative, twice per level.
constexpr bool is_remembered(Rule rule) { return rule == Rule::call_subquery; }

// The shared definition of `rule` for the grammar whose rule references are `R`.
template <template <Rule> class R, Rule rule>
struct SharedRule;

#define QARVEX_SHARED_RULE(name, rule_kind, ...)                  \
  template <template <Rule> class R>                              \
  struct SharedRule<R, Rule::name> {                              \
    static constexpr RuleKind kind = RuleKind::rule_kind;         \
    static constexpr bool remembered = is_remembered(Rule::name); \
    using Body = __VA_ARGS__;                                     \
  };

// Labels, relationship types and property keys may be any word, reserved or not; the rules
// using this are atomic, so the backtick rule inside records nothing.
template <template <Rule> class R>
using SchemaName = Choice<Seq<NameStart, Star<WordChar>>, R<Rule::backtick_identifier>>;

// ---- Trivia and whole input ----
QARVEX_SHARED_RULE(EOI, normal, Eoi)
QARVEX_SHARED_RULE(WHITESPACE, silent, WhiteSpace)
QARVEX_SHARED_RULE(COMMENT, silent,
                   Choice<Seq<Lit<"//">, Star<Seq<Not<Lit<"\n">>, Any>>, Opt<Lit<"\n">>>,
                          Seq<Lit<"/*">, Star<Seq<Not<Lit<"*/">>, Any>>, Lit<"*/">>>)
QARVEX_SHARED_RULE(cypher, normal, Seq<Soi, R<Rule::statement>, Opt<Lit<";">>, R<Rule::EOI>>)
QARVEX_SHARED_RULE(statement, normal, Choice<R<Rule::regular_query>, R<Rule::standalone_call>>)

// ---- Queries and clauses ----
QARVEX_SHARED_RULE(regular_query, normal, Seq<R<Rule::single_query>, Star<R<Rule::union_clause>>>)
QARVEX_SHARED_RULE(union_clause, normal,
                   Seq<ILit<"UNION">, Opt<ILit<"ALL">>, R<Rule::single_query>>)
QARVEX_SHARED_RULE(single_query, normal,
                   Choice<R<Rule::multi_part_query>, R<Rule::single_part_query>>)
// `Ending` is the clause that may close a query: RETURN (Neo4j also has FINISH).
template <template <Rule> class R, typename Ending>
using SinglePartQueryOf =
    Choice<Seq<Plus<R<Rule::reading_clause>>, Star<R<Rule::updating_clause>>, Opt<Ending>>,
           Seq<Plus<R<Rule::updating_clause>>, Opt<Ending>>, Ending>;
template <template <Rule> class R, typename Ending>
using MultiPartQueryOf =
    Seq<Plus<Seq<Star<R<Rule::reading_clause>>, Star<R<Rule::updating_clause>>,
                 R<Rule::with_clause>>>,
        Star<R<Rule::reading_clause>>, Star<R<Rule::updating_clause>>, Opt<Ending>>;
QARVEX_SHARED_RULE(single_part_query, normal, SinglePartQueryOf<R, R<Rule::return_clause>>)
QARVEX_SHARED_RULE(multi_part_query, normal, MultiPartQueryOf<R, R<Rule::return_clause>>)
QARVEX_SHARED_RULE(reading_clause, normal,
                   Choice<R<Rule::match_clause>, R<Rule::unwind_clause>, R<Rule::call_subquery>,
                          R<Rule::in_query_call>>)
QARVEX_SHARED_RULE(call_subquery, normal,
                   Seq<ILit<"CALL">, Lit<"{">, R<Rule::regular_query>, Lit<"}">>)
QARVEX_SHARED_RULE(match_clause, normal,
                   Seq<Opt<ILit<"OPTIONAL">>, ILit<"MATCH">, R<Rule::pattern>,
                       Opt<R<Rule::where_clause>>>)
QARVEX_SHARED_RULE(unwind_clause, normal,
                   Seq<ILit<"UNWIND">, R<Rule::expression>, ILit<"AS">, R<Rule::variable>>)
template <template <Rule> class R>
using ProcedureCall = Seq<ILit<"CALL">, R<Rule::explicit_procedure_invocation>,
                          Opt<Seq<ILit<"YIELD">, R<Rule::yield_items>>>>;
QARVEX_SHARED_RULE(in_query_call, normal, ProcedureCall<R>)
QARVEX_SHARED_RULE(standalone_call, normal, ProcedureCall<R>)
QARVEX_SHARED_RULE(explicit_procedure_invocation, normal,
                   Seq<R<Rule::procedure_name>, Lit<"(">, Opt<ListOf<R<Rule::expression>>>,
                       Lit<")">>)
QARVEX_SHARED_RULE(procedure_name, atomic,
                   Seq<R<Rule::identifier>, Star<Seq<Lit<".">, R<Rule::identifier>>>>)
QARVEX_SHARED_RULE(yield_items, normal, ListOf<R<Rule::yield_item>>)
QARVEX_SHARED_RULE(yield_item, normal,
                   Seq<Opt<Seq<R<Rule::procedure_result_field>, ILit<"AS">>>, R<Rule::variable>>)
QARVEX_SHARED_RULE(procedure_result_field, atomic, R<Rule::identifier>)
QARVEX_SHARED_RULE(updating_clause, normal,
                   Choice<R<Rule::create_clause>, R<Rule::merge_clause>, R<Rule::foreach_clause>,
                          R<Rule::set_clause>, R<Rule::remove_clause>, R<Rule::delete_clause>>)
QARVEX_SHARED_RULE(foreach_clause, normal,
                   Seq<ILit<"FOREACH">, Lit<"(">, R<Rule::variable>, ILit<"IN">,
                       R<Rule::expression>, Lit<"|">, Plus<R<Rule::updating_clause>>, Lit<")">>)
QARVEX_SHARED_RULE(create_clause, normal, Seq<ILit<"CREATE">, R<Rule::pattern>>)
QARVEX_SHARED_RULE(merge_clause, normal,
                   Seq<ILit<"MERGE">, R<Rule::pattern_part>, Star<R<Rule::on_match_or_create>>>)
QARVEX_SHARED_RULE(on_match_or_create, normal,
                   Seq<ILit<"ON">,
                       Choice<Seq<ILit<"MATCH">, R<Rule::set_clause>>,
                              Seq<ILit<"CREATE">, R<Rule::set_clause>>>>)
QARVEX_SHARED_RULE(set_clause, normal, Seq<ILit<"SET">, ListOf<R<Rule::set_item>>>)
QARVEX_SHARED_RULE(set_item, normal,
                   Choice<Seq<R<Rule::property_expression>, Lit<"=">, R<Rule::expression>>,
                          Seq<R<Rule::variable>, Lit<"=">, R<Rule::expression>>,
                          Seq<R<Rule::variable>, Lit<"+=">, R<Rule::expression>>,
                          Seq<R<Rule::variable>, R<Rule::node_labels>>>)
QARVEX_SHARED_RULE(remove_clause, normal, Seq<ILit<"REMOVE">, ListOf<R<Rule::remove_item>>>)
QARVEX_SHARED_RULE(remove_item, normal,
                   Choice<Seq<R<Rule::variable>, R<Rule::node_labels>>,
                          R<Rule::property_expression>>)
QARVEX_SHARED_RULE(delete_clause, normal,
                   Seq<Opt<ILit<"DETACH">>, ILit<"DELETE">, ListOf<R<Rule::expression>>>)
QARVEX_SHARED_RULE(with_clause, normal,
                   Seq<ILit<"WITH">, Opt<ILit<"DISTINCT">>, R<Rule::return_body>,
                       Opt<R<Rule::where_clause>>>)
QARVEX_SHARED_RULE(return_clause, normal,
                   Seq<ILit<"RETURN">, Opt<ILit<"DISTINCT">>, R<Rule::return_body>>)
QARVEX_SHARED_RULE(return_body, normal,
                   Seq<R<Rule::return_items>, Opt<R<Rule::order_clause>>, Opt<R<Rule::skip_clause>>,
                       Opt<R<Rule::limit_clause>>>)
QARVEX_SHARED_RULE(return_items, normal, Choice<Lit<"*">, ListOf<R<Rule::return_item>>>)
QARVEX_SHARED_RULE(return_item, normal,
                   Seq<R<Rule::expression>, Opt<Seq<ILit<"AS">, R<Rule::variable>>>>)
QARVEX_SHARED_RULE(order_clause, normal, Seq<ILit<"ORDER">, ILit<"BY">, ListOf<R<Rule::sort_item>>>)
QARVEX_SHARED_RULE(sort_item, normal,
                   Seq<R<Rule::expression>,
                       Opt<Choice<ILit<"ASCENDING">, ILit<"ASC">, ILit<"DESCENDING">,
                                  ILit<"DESC">>>>)
QARVEX_SHARED_RULE(skip_clause, normal, Seq<ILit<"SKIP">, R<Rule::expression>>)
QARVEX_SHARED_RULE(limit_clause, normal, Seq<ILit<"LIMIT">, R<Rule::expression>>)
QARVEX_SHARED_RULE(where_clause, normal, Seq<ILit<"WHERE">, R<Rule::expression>>)

// ---- Patterns ----
QARVEX_SHARED_RULE(pattern, normal, ListOf<R<Rule::pattern_part>>)
QARVEX_SHARED_RULE(pattern_part, normal,
                   Seq<Opt<Seq<R<Rule::variable>, Lit<"=">>>, R<Rule::pattern_element>>)
template <template <Rule> class R>
using PatternChain = Seq<R<Rule::node_pattern>,
                         Star<Seq<R<Rule::relationship_pattern>, R<Rule::node_pattern>>>>;
QARVEX_SHARED_RULE(pattern_element, normal, Choice<R<Rule::shortest_path_call>, PatternChain<R>>)
QARVEX_SHARED_RULE(node_pattern, normal,
                   Seq<Lit<"(">, Opt<R<Rule::variable>>, Opt<R<Rule::node_labels>>,
                       Opt<R<Rule::properties>>, Lit<")">>)
QARVEX_SHARED_RULE(node_labels, normal,
                   Seq<Lit<":">, R<Rule::label_name>, Star<Seq<Lit<":">, R<Rule::label_name>>>>)
QARVEX_SHARED_RULE(label_name, atomic, SchemaName<R>)
QARVEX_SHARED_RULE(relationship_pattern, normal,
                   Seq<Opt<R<Rule::left_arrow>>,
                       Choice<Seq<Lit<"-">, Lit<"[">, Opt<R<Rule::variable>>,
                                  Opt<R<Rule::rel_types>>, Opt<R<Rule::range_literal>>,
                                  Opt<R<Rule::properties>>, Lit<"]">, Lit<"-">,
                                  Opt<R<Rule::right_arrow>>>,
                              Seq<Lit<"--">, Opt<R<Rule::right_arrow>>>>>)
QARVEX_SHARED_RULE(left_arrow, normal, Lit<"<">)
QARVEX_SHARED_RULE(right_arrow, normal, Lit<">">)
QARVEX_SHARED_RULE(rel_types, normal,
                   Seq<Lit<":">, R<Rule::rel_type_name>,
                       Star<Seq<Lit<"|">, Opt<Lit<":">>, R<Rule::rel_type_name>>>>)
QARVEX_SHARED_RULE(rel_type_name, atomic, SchemaName<R>)
QARVEX_SHARED_RULE(range_literal, normal,
                   Seq<Lit<"*">,
                       Opt<Seq<R<Rule::integer_literal>,
                               Opt<Seq<Lit<"..">, Opt<R<Rule::integer_literal>>>>>>>)
QARVEX_SHARED_RULE(properties, normal, Choice<R<Rule::map_literal>, R<Rule::parameter>>)

// ---- Expressions, loosest binding first ----
template <template <Rule> class R, Rule operand, typename Operator>
using ChainOf = Seq<R<operand>, Star<Seq<Operator, R<operand>>>>;

QARVEX_SHARED_RULE(expression, normal, R<Rule::or_expr>)
QARVEX_SHARED_RULE(or_kw, atomic, Word<"OR">)
QARVEX_SHARED_RULE(xor_kw, atomic, Word<"XOR">)
QARVEX_SHARED_RULE(and_kw, atomic, Word<"AND">)
QARVEX_SHARED_RULE(not_kw, atomic, Word<"NOT">)
QARVEX_SHARED_RULE(or_expr, normal, ChainOf<R, Rule::xor_expr, R<Rule::or_kw>>)
QARVEX_SHARED_RULE(xor_expr, normal, ChainOf<R, Rule::and_expr, R<Rule::xor_kw>>)
QARVEX_SHARED_RULE(and_expr, normal, ChainOf<R, Rule::not_expr, R<Rule::and_kw>>)
QARVEX_SHARED_RULE(not_expr, normal, Seq<Star<R<Rule::not_kw>>, R<Rule::comparison_expr>>)
QARVEX_SHARED_RULE(comparison_expr, normal, ChainOf<R, Rule::add_sub_expr, R<Rule::comparison_op>>)
QARVEX_SHARED_RULE(comparison_op, normal,
                   Choice<Lit<"<=">, Lit<">=">, Lit<"<>">, Lit<"<">, Lit<">">, Lit<"=~">, Lit<"=">,
                          Word<"IN">, Seq<ILit<"STARTS">, Word<"WITH">>,
                          Seq<ILit<"ENDS">, Word<"WITH">>, Word<"CONTAINS">>)
QARVEX_SHARED_RULE(add_sub_expr, normal, ChainOf<R, Rule::mul_div_expr, Choice<Lit<"+">, Lit<"-">>>)
QARVEX_SHARED_RULE(mul_div_expr, normal, ChainOf<R, Rule::mod_expr, Choice<Lit<"*">, Lit<"/">>>)
QARVEX_SHARED_RULE(mod_expr, normal, ChainOf<R, Rule::power_expr, Lit<"%">>)
QARVEX_SHARED_RULE(power_expr, normal, ChainOf<R, Rule::unary_expr, Lit<"^">>)
QARVEX_SHARED_RULE(unary_expr, normal, Seq<Opt<Lit<"-">>, R<Rule::postfix_expr>>)
QARVEX_SHARED_RULE(postfix_expr, normal, Seq<R<Rule::atom>, Star<R<Rule::postfix_op>>>)
QARVEX_SHARED_RULE(null_check_op, atomic,
                   Seq<ILit<"IS">, Plus<WhiteSpace>,
                       Choice<Seq<ILit<"NOT">, Plus<WhiteSpace>, Word<"NULL">>, Word<"NULL">>>)
// A grammar may add postfix operators after the shared ones.
template <template <Rule> class R, typename... More>
using PostfixOpOf = Choice<R<Rule::null_check_op>, R<Rule::property_lookup>, R<Rule::subscript_op>,
                           R<Rule::list_slice_op>, More...>;
QARVEX_SHARED_RULE(postfix_op, normal, PostfixOpOf<R>)
QARVEX_SHARED_RULE(property_lookup, normal, Seq<Lit<".">, R<Rule::property_key_name>>)
QARVEX_SHARED_RULE(subscript_op, normal, Seq<Lit<"[">, R<Rule::expression>, Lit<"]">>)
QARVEX_SHARED_RULE(list_slice_op, normal,
                   Seq<Lit<"[">, Opt<R<Rule::expression>>, Lit<"..">, Opt<R<Rule::expression>>,
                       Lit<"]">>)

// ---- Atoms ----
// A grammar may add atoms that begin with a parenthesis, tried before a parenthesised
// expression.
template <template <Rule> class R, typename... BeforeParentheses>
using AtomOf =
    Choice<R<Rule::reduce_expression>, R<Rule::shortest_path_call>, R<Rule::literal>,
           R<Rule::parameter>, R<Rule::case_expression>, R<Rule::pattern_comprehension>,
           R<Rule::list_comprehension>, R<Rule::quantifier_expression>, R<Rule::exists_subquery>,
           R<Rule::count_subquery>, R<Rule::collect_subquery>, R<Rule::count_star>,
           R<Rule::function_invocation>, R<Rule::variable>, BeforeParentheses...,
           R<Rule::parenthesized_expr>>;
QARVEX_SHARED_RULE(atom, normal, AtomOf<R>)
QARVEX_SHARED_RULE(parenthesized_expr, normal, Seq<Lit<"(">, R<Rule::expression>, Lit<")">>)
QARVEX_SHARED_RULE(count_star, normal, Seq<ILit<"COUNT">, Lit<"(">, Lit<"*">, Lit<")">>)
QARVEX_SHARED_RULE(function_invocation, normal,
                   Seq<R<Rule::function_name>, Lit<"(">, Opt<ILit<"DISTINCT">>,
                       Opt<ListOf<R<Rule::expression>>>, Lit<")">>)
QARVEX_SHARED_RULE(function_name, atomic, Seq<Opt<R<Rule::namespace_>>, NameStart, Star<WordChar>>)
QARVEX_SHARED_RULE(namespace_, atomic, Plus<Seq<R<Rule::identifier>, Lit<".">>>)
QARVEX_SHARED_RULE(reduce_expression, normal,
                   Seq<ILit<"REDUCE">, Lit<"(">, R<Rule::variable>, Lit<"=">, R<Rule::expression>,
                       Lit<",">, R<Rule::variable>, ILit<"IN">, R<Rule::expression>, Lit<"|">,
                       R<Rule::expression>, Lit<")">>)
QARVEX_SHARED_RULE(shortest_path_call, normal,
                   Seq<Choice<ILit<"allShortestPaths">, ILit<"shortestPath">>, Lit<"(">,
                       R<Rule::node_pattern>,
                       Star<Seq<R<Rule::relationship_pattern>, R<Rule::node_pattern>>>, Lit<")">>)
// `Subject` is the subject of the simple form «CASE x WHEN ...».
template <template <Rule> class R, typename Subject>
using CaseOf = Seq<ILit<"CASE">, Opt<Subject>,
                   Plus<Seq<ILit<"WHEN">, R<Rule::expression>, ILit<"THEN">, R<Rule::expression>>>,
                   Opt<Seq<ILit<"ELSE">, R<Rule::expression>>>, ILit<"END">>;
QARVEX_SHARED_RULE(case_expression, normal, CaseOf<R, R<Rule::expression>>)
QARVEX_SHARED_RULE(list_comprehension, normal,
                   Seq<Lit<"[">, R<Rule::filter_expression>,
                       Opt<Seq<Lit<"|">, R<Rule::expression>>>, Lit<"]">>)
QARVEX_SHARED_RULE(filter_expression, normal,
                   Seq<R<Rule::id_in_coll>, Opt<Seq<ILit<"WHERE">, R<Rule::expression>>>>)
QARVEX_SHARED_RULE(id_in_coll, normal, Seq<R<Rule::variable>, ILit<"IN">, R<Rule::expression>>)
QARVEX_SHARED_RULE(quantifier_expression, normal,
                   Seq<Choice<ILit<"ALL">, ILit<"ANY">, ILit<"NONE">, ILit<"SINGLE">>, Lit<"(">,
                       R<Rule::filter_expression>, Lit<")">>)
// «WORD { content }».
template <Text word, typename Content>
using Braced = Seq<ILit<word>, Lit<"{">, Content, Lit<"}">>;
QARVEX_SHARED_RULE(exists_subquery, normal, Braced<"EXISTS", R<Rule::pattern>>)
QARVEX_SHARED_RULE(pattern_comprehension, normal,
                   Seq<Lit<"[">, R<Rule::pattern_element>,
                       Opt<Seq<ILit<"WHERE">, R<Rule::expression>>>, Lit<"|">, R<Rule::expression>,
                       Lit<"]">>)
QARVEX_SHARED_RULE(count_subquery, normal, Braced<"COUNT", R<Rule::regular_query>>)
QARVEX_SHARED_RULE(collect_subquery, normal, Braced<"COLLECT", R<Rule::regular_query>>)
QARVEX_SHARED_RULE(property_expression, normal,
                   Seq<R<Rule::variable>, Plus<R<Rule::property_lookup>>>)

// ---- Literals ----
QARVEX_SHARED_RULE(literal, normal,
                   Choice<R<Rule::float_literal>, R<Rule::integer_literal>, R<Rule::string_literal>,
                          R<Rule::boolean_literal>, R<Rule::null_literal>, R<Rule::list_literal>,
                          R<Rule::map_literal>>)
QARVEX_SHARED_RULE(integer_literal, atomic,
                   Choice<Seq<Lit<"0x">, Plus<HexDigit>>, Seq<Lit<"0o">, Plus<OctDigit>>,
                          Plus<Digit>>)
// A point is never the first of two, so «1..3» is a range; an exponent alone makes a float.
using Exponent = Seq<Choice<Lit<"e">, Lit<"E">>, Opt<Choice<Lit<"+">, Lit<"-">>>, Plus<Digit>>;
// A grammar may add forms of float after the shared ones.
template <typename... More>
using FloatOf = Choice<Seq<Plus<Digit>, Lit<".">, Not<Lit<".">>, Star<Digit>, Opt<Exponent>>,
                       Seq<Plus<Digit>, Exponent>, More...>;
QARVEX_SHARED_RULE(float_literal, atomic, FloatOf<>)
QARVEX_SHARED_RULE(string_literal, atomic, Choice<Quoted<'"', true>, Quoted<'\'', true>>)
QARVEX_SHARED_RULE(boolean_literal, normal, Choice<ILit<"TRUE">, ILit<"FALSE">>)
QARVEX_SHARED_RULE(null_literal, normal, ILit<"NULL">)
QARVEX_SHARED_RULE(list_literal, normal, Seq<Lit<"[">, Opt<ListOf<R<Rule::expression>>>, Lit<"]">>)
QARVEX_SHARED_RULE(map_literal, normal,
                   Seq<Lit<"{">, Opt<ListOf<R<Rule::property_key_value_pair>>>, Lit<"}">>)
QARVEX_SHARED_RULE(property_key_value_pair, normal,
                   Seq<R<Rule::property_key_name>, Lit<":">, R<Rule::expression>>)
QARVEX_SHARED_RULE(property_key_name, atomic, SchemaName<R>)
QARVEX_SHARED_RULE(parameter, atomic,
                   Seq<Lit<"$">, Choice<Seq<NameStart, Star<WordChar>>, Plus<Digit>>>)

// ---- Identifiers and reserved words ----
QARVEX_SHARED_RULE(variable, atomic, R<Rule::identifier>)
QARVEX_SHARED_RULE(identifier, atomic,
                   Choice<Seq<Not<R<Rule::keyword>>, NameStart, Star<WordChar>>,
                          R<Rule::backtick_identifier>>)
QARVEX_SHARED_RULE(backtick_identifier, atomic, Quoted<'`'>)
QARVEX_SHARED_RULE(keyword, normal, ReservedWord)

#undef QARVEX_SHARED_RULE

}  // namespace qarvex::grammar
