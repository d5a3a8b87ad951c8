// The Cypher grammar. Each rule body is one combinator expression; the definitions at the end
// give every rule its kind and body, and the table after them lists the rules in id order.
// Alternatives are tried in the order written, which decides what is accepted, so they must
// not be reordered.

#include "parser/grammar.hpp"
#include "parser/reserved_words.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace qarvex {
namespace {

using namespace peg;

// Every rule's definition (id, kind, body) is a specialisation of RuleOf, given at the end of
// this file; bodies refer to rules through R before those definitions are complete.
template <Rule rule>
struct RuleOf;
#define QARVEX_DECLARE_RULE(name) \
  template <>                     \
  struct RuleOf<Rule::name>;
QARVEX_GRAMMAR_RULES(QARVEX_DECLARE_RULE)
#undef QARVEX_DECLARE_RULE

template <Rule rule>
using R = RuleRef<RuleOf<rule>>;

constexpr bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_hex_digit(char c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr bool is_oct_digit(char c) { return c >= '0' && c <= '7'; }
constexpr bool is_word_char(char c) { return is_letter(c) || is_digit(c) || c == '_'; }
constexpr bool is_white_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

using Letter = CharIf<is_letter>;
using Digit = CharIf<is_digit>;
using HexDigit = CharIf<is_hex_digit>;
using OctDigit = CharIf<is_oct_digit>;
using WordChar = CharIf<is_word_char>;
using WhiteSpace = CharIf<is_white_space>;
using NameStart = Choice<Letter, Lit<"_">>;

// ^"WORD" !WORDCHAR: the boundary test looks at the byte right after the word, never past
// trivia, so it is glued to the word rather than being a sequence element.
template <Text word>
struct Word {
  static bool match(State& s) {
    std::size_t start = s.pos();
    if (!ILit<word>::match(s)) return false;
    if (s.at_end() || !is_word_char(s.text()[s.pos()])) return true;
    s.set_pos(start);
    return false;
  }
  static constexpr std::optional<ByteSet> first_bytes() { return ILit<word>::first_bytes(); }
};

// A list of one or more elements separated by `separator`.
template <typename Element, typename Separator = Lit<",">>
using ListOf = Seq<Element, Star<Seq<Separator, Element>>>;

// Long scans count against the parse's work limit at this rate.
constexpr std::size_t kBytesPerCharge = 16;

// Where a quoted run that opens at rest[0] closes: the next `quote`, or with `escapes` the next
// one not taken by a backslash (a backslash takes whatever character follows it). npos when it
// never closes. Quote and backslash are ASCII bytes, which never occur inside a multi-byte
// character, so searching for the bytes finds the same end.
template <char quote, bool escapes>
std::size_t closing_quote(std::string_view rest) {
  if constexpr (!escapes) {
    return rest.find(quote, 1);
  } else {
    static constexpr char stop_bytes[] = {quote, '\\'};
    constexpr std::string_view stops(stop_bytes, 2);
    for (std::size_t at = rest.find_first_of(stops, 1); at != std::string_view::npos;
         at = rest.find_first_of(stops, at + 2)) {
      if (rest[at] == quote) return at;
      if (at + 1 == rest.size()) break;
    }
    return std::string_view::npos;
  }
}

// QUOTE (!QUOTE ANY)* QUOTE, or with `escapes` QUOTE ("\\" ANY / !QUOTE ANY)* QUOTE.
template <char quote, bool escapes = false>
struct Quoted {
  static bool match(State& s) {
    std::string_view rest = s.rest();
    if (rest.empty() || rest[0] != quote) return false;
    std::size_t close = closing_quote<quote, escapes>(rest);
    s.charge((close == std::string_view::npos ? rest.size() : close) / kBytesPerCharge);
    if (close == std::string_view::npos) return false;
    s.advance(close + 1);
    return true;
  }
  static constexpr std::optional<ByteSet> first_bytes() { return bytes_of({quote}); }
};


// A word of at most eight bytes packed into one integer, upper-cased, for quick comparison.
constexpr std::uint64_t word_key(std::string_view word) {
  std::uint64_t key = 0;
  for (char c : word) key = (key << 8) | static_cast<unsigned char>(ascii_upper(c));
  return key;
}

constexpr std::array<std::uint64_t, kReservedWords.size()> reserved_keys() {
  std::array<std::uint64_t, kReservedWords.size()> keys{};
  for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = word_key(kReservedWords[i]);
  std::sort(keys.begin(), keys.end());
  return keys;
}
constexpr auto kReservedKeys = reserved_keys();

// keyword: the whole word at the position (the longest run of WORDCHAR) is a reserved word.
struct ReservedWord {
  static bool match(State& s) {
    std::string_view rest = s.rest();
    std::size_t length = 0;
    while (length < rest.size() && length <= kLongestReservedWord && is_word_char(rest[length])) {
      ++length;
    }
    if (length < 2 || length > kLongestReservedWord) return false;
    std::uint64_t key = word_key(rest.substr(0, length));
    if (!std::binary_search(kReservedKeys.begin(), kReservedKeys.end(), key)) return false;
    s.advance(length);
    return true;
  }
  static constexpr std::optional<ByteSet> first_bytes() { return Letter::first_bytes(); }
};

// Trivia: WHITESPACE*, then (COMMENT WHITESPACE*)*. An unclosed block comment is no comment.
bool skip_trivia(State& s) {
  std::string_view text = s.text();
  std::size_t pos = s.pos();
  auto skip_white_space = [&] {
    while (pos < text.size() && is_white_space(text[pos])) ++pos;
  };
  skip_white_space();
  for (;;) {
    std::string_view rest = text.substr(pos);
    if (rest.starts_with("//")) {
      std::size_t line_feed = rest.find('\n', 2);
      pos = line_feed == std::string_view::npos ? text.size() : pos + line_feed + 1;
    } else if (rest.starts_with("/*")) {
      std::size_t close = rest.find("*/", 2);
      if (close == std::string_view::npos) {
        s.charge(rest.size() / kBytesPerCharge);
        break;
      }
      pos += close + 2;
    } else {
      break;
    }
    skip_white_space();
  }
  s.charge((pos - s.pos()) / kBytesPerCharge);
  s.set_pos(pos);
  return true;
}

// Labels, relationship types and property keys may be any word, reserved or not; the rules
// using this are atomic, so the backtick rule inside records nothing.
using SchemaName = Choice<Seq<NameStart, Star<WordChar>>, R<Rule::backtick_identifier>>;

// ---- Trivia and whole input ----
using EoiBody = Eoi;
using WhitespaceBody = WhiteSpace;
using CommentBody = Choice<Seq<Lit<"//">, Star<Seq<Not<Lit<"\n">>, Any>>, Opt<Lit<"\n">>>,
                           Seq<Lit<"/*">, Star<Seq<Not<Lit<"*/">>, Any>>, Lit<"*/">>>;
using CypherBody = Seq<Soi, R<Rule::statement>, Opt<Lit<";">>, R<Rule::EOI>>;
using StatementBody = Choice<R<Rule::regular_query>, R<Rule::standalone_call>>;

// ---- Queries and clauses ----
using RegularQueryBody = Seq<R<Rule::single_query>, Star<R<Rule::union_clause>>>;
using UnionClauseBody = Seq<ILit<"UNION">, Opt<ILit<"ALL">>, R<Rule::single_query>>;
using SingleQueryBody = Choice<R<Rule::multi_part_query>, R<Rule::single_part_query>>;
using SinglePartQueryBody =
    Choice<Seq<Plus<R<Rule::reading_clause>>, Star<R<Rule::updating_clause>>,
               Opt<R<Rule::return_clause>>>,
           Seq<Plus<R<Rule::updating_clause>>, Opt<R<Rule::return_clause>>>,
           R<Rule::return_clause>>;
using MultiPartQueryBody =
    Seq<Plus<Seq<Star<R<Rule::reading_clause>>, Star<R<Rule::updating_clause>>,
                 R<Rule::with_clause>>>,
        Star<R<Rule::reading_clause>>, Star<R<Rule::updating_clause>>,
        Opt<R<Rule::return_clause>>>;
using ReadingClauseBody = Choice<R<Rule::match_clause>, R<Rule::unwind_clause>,
                                 R<Rule::call_subquery>, R<Rule::in_query_call>>;
using CallSubqueryBody = Seq<ILit<"CALL">, Lit<"{">, R<Rule::regular_query>, Lit<"}">>;
using MatchClauseBody =
    Seq<Opt<ILit<"OPTIONAL">>, ILit<"MATCH">, R<Rule::pattern>, Opt<R<Rule::where_clause>>>;
using UnwindClauseBody = Seq<ILit<"UNWIND">, R<Rule::expression>, ILit<"AS">, R<Rule::variable>>;
using ProcedureCallBody = Seq<ILit<"CALL">, R<Rule::explicit_procedure_invocation>,
                              Opt<Seq<ILit<"YIELD">, R<Rule::yield_items>>>>;
using ExplicitProcedureInvocationBody =
    Seq<R<Rule::procedure_name>, Lit<"(">, Opt<ListOf<R<Rule::expression>>>, Lit<")">>;
using ProcedureNameBody = Seq<R<Rule::identifier>, Star<Seq<Lit<".">, R<Rule::identifier>>>>;
using YieldItemsBody = ListOf<R<Rule::yield_item>>;
using YieldItemBody =
    Seq<Opt<Seq<R<Rule::procedure_result_field>, ILit<"AS">>>, R<Rule::variable>>;
using ProcedureResultFieldBody = R<Rule::identifier>;
using UpdatingClauseBody =
    Choice<R<Rule::create_clause>, R<Rule::merge_clause>, R<Rule::foreach_clause>,
           R<Rule::set_clause>, R<Rule::remove_clause>, R<Rule::delete_clause>>;
using ForeachClauseBody =
    Seq<ILit<"FOREACH">, Lit<"(">, R<Rule::variable>, ILit<"IN">, R<Rule::expression>, Lit<"|">,
        Plus<R<Rule::updating_clause>>, Lit<")">>;
using CreateClauseBody = Seq<ILit<"CREATE">, R<Rule::pattern>>;
using MergeClauseBody =
    Seq<ILit<"MERGE">, R<Rule::pattern_part>, Star<R<Rule::on_match_or_create>>>;
using OnMatchOrCreateBody = Seq<ILit<"ON">, Choice<Seq<ILit<"MATCH">, R<Rule::set_clause>>,
                                                   Seq<ILit<"CREATE">, R<Rule::set_clause>>>>;
using SetClauseBody = Seq<ILit<"SET">, ListOf<R<Rule::set_item>>>;
using SetItemBody = Choice<Seq<R<Rule::property_expression>, Lit<"=">, R<Rule::expression>>,
                           Seq<R<Rule::variable>, Lit<"=">, R<Rule::expression>>,
                           Seq<R<Rule::variable>, Lit<"+=">, R<Rule::expression>>,
                           Seq<R<Rule::variable>, R<Rule::node_labels>>>;
using RemoveClauseBody = Seq<ILit<"REMOVE">, ListOf<R<Rule::remove_item>>>;
using RemoveItemBody =
    Choice<Seq<R<Rule::variable>, R<Rule::node_labels>>, R<Rule::property_expression>>;
using DeleteClauseBody = Seq<Opt<ILit<"DETACH">>, ILit<"DELETE">, ListOf<R<Rule::expression>>>;
using WithClauseBody =
    Seq<ILit<"WITH">, Opt<ILit<"DISTINCT">>, R<Rule::return_body>, Opt<R<Rule::where_clause>>>;
using ReturnClauseBody = Seq<ILit<"RETURN">, Opt<ILit<"DISTINCT">>, R<Rule::return_body>>;
using ReturnBodyBody = Seq<R<Rule::return_items>, Opt<R<Rule::order_clause>>,
                           Opt<R<Rule::skip_clause>>, Opt<R<Rule::limit_clause>>>;
using ReturnItemsBody = Choice<Lit<"*">, ListOf<R<Rule::return_item>>>;
using ReturnItemBody = Seq<R<Rule::expression>, Opt<Seq<ILit<"AS">, R<Rule::variable>>>>;
using OrderClauseBody = Seq<ILit<"ORDER">, ILit<"BY">, ListOf<R<Rule::sort_item>>>;
using SortItemBody =
    Seq<R<Rule::expression>,
        Opt<Choice<ILit<"ASCENDING">, ILit<"ASC">, ILit<"DESCENDING">, ILit<"DESC">>>>;
using SkipClauseBody = Seq<ILit<"SKIP">, R<Rule::expression>>;
using LimitClauseBody = Seq<ILit<"LIMIT">, R<Rule::expression>>;
using WhereClauseBody = Seq<ILit<"WHERE">, R<Rule::expression>>;

// ---- Patterns ----
using PatternBody = ListOf<R<Rule::pattern_part>>;
using PatternPartBody = Seq<Opt<Seq<R<Rule::variable>, Lit<"=">>>, R<Rule::pattern_element>>;
using PatternChain = Seq<R<Rule::node_pattern>,
                         Star<Seq<R<Rule::relationship_pattern>, R<Rule::node_pattern>>>>;
using PatternElementBody = Choice<R<Rule::shortest_path_call>, PatternChain>;
using NodePatternBody = Seq<Lit<"(">, Opt<R<Rule::variable>>, Opt<R<Rule::node_labels>>,
                            Opt<R<Rule::properties>>, Lit<")">>;
using NodeLabelsBody = Seq<Lit<":">, R<Rule::label_name>, Star<Seq<Lit<":">, R<Rule::label_name>>>>;
using LabelNameBody = SchemaName;
using RelationshipPatternBody =
    Seq<Opt<R<Rule::left_arrow>>,
        Choice<Seq<Lit<"-">, Lit<"[">, Opt<R<Rule::variable>>, Opt<R<Rule::rel_types>>,
                   Opt<R<Rule::range_literal>>, Opt<R<Rule::properties>>, Lit<"]">, Lit<"-">,
                   Opt<R<Rule::right_arrow>>>,
               Seq<Lit<"--">, Opt<R<Rule::right_arrow>>>>>;
using LeftArrowBody = Lit<"<">;
using RightArrowBody = Lit<">">;
using RelTypesBody = Seq<Lit<":">, R<Rule::rel_type_name>,
                         Star<Seq<Lit<"|">, Opt<Lit<":">>, R<Rule::rel_type_name>>>>;
using RelTypeNameBody = SchemaName;
using RangeLiteralBody =
    Seq<Lit<"*">, Opt<Seq<R<Rule::integer_literal>,
                          Opt<Seq<Lit<"..">, Opt<R<Rule::integer_literal>>>>>>>;
using PropertiesBody = Choice<R<Rule::map_literal>, R<Rule::parameter>>;

// ---- Expressions, loosest binding first ----
template <Rule operand, typename Operator>
using ChainOf = Seq<R<operand>, Star<Seq<Operator, R<operand>>>>;

using ExpressionBody = R<Rule::or_expr>;
using OrKwBody = Word<"OR">;
using XorKwBody = Word<"XOR">;
using AndKwBody = Word<"AND">;
using NotKwBody = Word<"NOT">;
using OrExprBody = ChainOf<Rule::xor_expr, R<Rule::or_kw>>;
using XorExprBody = ChainOf<Rule::and_expr, R<Rule::xor_kw>>;
using AndExprBody = ChainOf<Rule::not_expr, R<Rule::and_kw>>;
using NotExprBody = Seq<Star<R<Rule::not_kw>>, R<Rule::comparison_expr>>;
using ComparisonExprBody = ChainOf<Rule::add_sub_expr, R<Rule::comparison_op>>;
using ComparisonOpBody =
    Choice<Lit<"<=">, Lit<">=">, Lit<"<>">, Lit<"<">, Lit<">">, Lit<"=~">, Lit<"=">, Word<"IN">,
           Seq<ILit<"STARTS">, Word<"WITH">>, Seq<ILit<"ENDS">, Word<"WITH">>, Word<"CONTAINS">>;
using AddSubExprBody = ChainOf<Rule::mul_div_expr, Choice<Lit<"+">, Lit<"-">>>;
using MulDivExprBody = ChainOf<Rule::mod_expr, Choice<Lit<"*">, Lit<"/">>>;
using ModExprBody = ChainOf<Rule::power_expr, Lit<"%">>;
using PowerExprBody = ChainOf<Rule::unary_expr, Lit<"^">>;
using UnaryExprBody = Seq<Opt<Lit<"-">>, R<Rule::postfix_expr>>;
using PostfixExprBody = Seq<R<Rule::atom>, Star<R<Rule::postfix_op>>>;
using NullCheckOpBody =
    Seq<ILit<"IS">, Plus<WhiteSpace>,
        Choice<Seq<ILit<"NOT">, Plus<WhiteSpace>, Word<"NULL">>, Word<"NULL">>>;
using PostfixOpBody = Choice<R<Rule::null_check_op>, R<Rule::property_lookup>,
                             R<Rule::subscript_op>, R<Rule::list_slice_op>>;
using PropertyLookupBody = Seq<Lit<".">, R<Rule::property_key_name>>;
using SubscriptOpBody = Seq<Lit<"[">, R<Rule::expression>, Lit<"]">>;
using ListSliceOpBody =
    Seq<Lit<"[">, Opt<R<Rule::expression>>, Lit<"..">, Opt<R<Rule::expression>>, Lit<"]">>;

// ---- Atoms ----
using AtomBody =
    Choice<R<Rule::reduce_expression>, R<Rule::shortest_path_call>, R<Rule::literal>,
           R<Rule::parameter>, R<Rule::case_expression>, R<Rule::pattern_comprehension>,
           R<Rule::list_comprehension>, R<Rule::quantifier_expression>,
           R<Rule::exists_subquery>, R<Rule::count_subquery>, R<Rule::collect_subquery>,
           R<Rule::count_star>, R<Rule::function_invocation>, R<Rule::variable>,
           R<Rule::parenthesized_expr>>;
using ParenthesizedExprBody = Seq<Lit<"(">, R<Rule::expression>, Lit<")">>;
using CountStarBody = Seq<ILit<"COUNT">, Lit<"(">, Lit<"*">, Lit<")">>;
using FunctionInvocationBody = Seq<R<Rule::function_name>, Lit<"(">, Opt<ILit<"DISTINCT">>,
                                   Opt<ListOf<R<Rule::expression>>>, Lit<")">>;
using FunctionNameBody = Seq<Opt<R<Rule::namespace_>>, NameStart, Star<WordChar>>;
using NamespaceBody = Plus<Seq<R<Rule::identifier>, Lit<".">>>;
using ReduceExpressionBody =
    Seq<ILit<"REDUCE">, Lit<"(">, R<Rule::variable>, Lit<"=">, R<Rule::expression>, Lit<",">,
        R<Rule::variable>, ILit<"IN">, R<Rule::expression>, Lit<"|">, R<Rule::expression>,
        Lit<")">>;
using ShortestPathCallBody =
    Seq<Choice<ILit<"allShortestPaths">, ILit<"shortestPath">>, Lit<"(">, R<Rule::node_pattern>,
        Star<Seq<R<Rule::relationship_pattern>, R<Rule::node_pattern>>>, Lit<")">>;
using CaseExpressionBody =
    Seq<ILit<"CASE">, Opt<R<Rule::expression>>,
        Plus<Seq<ILit<"WHEN">, R<Rule::expression>, ILit<"THEN">, R<Rule::expression>>>,
        Opt<Seq<ILit<"ELSE">, R<Rule::expression>>>, ILit<"END">>;
using ListComprehensionBody = Seq<Lit<"[">, R<Rule::filter_expression>,
                                  Opt<Seq<Lit<"|">, R<Rule::expression>>>, Lit<"]">>;
using FilterExpressionBody =
    Seq<R<Rule::id_in_coll>, Opt<Seq<ILit<"WHERE">, R<Rule::expression>>>>;
using IdInCollBody = Seq<R<Rule::variable>, ILit<"IN">, R<Rule::expression>>;
using QuantifierExpressionBody =
    Seq<Choice<ILit<"ALL">, ILit<"ANY">, ILit<"NONE">, ILit<"SINGLE">>, Lit<"(">,
        R<Rule::filter_expression>, Lit<")">>;
using ExistsSubqueryBody = Seq<ILit<"EXISTS">, Lit<"{">, R<Rule::pattern>, Lit<"}">>;
using PatternComprehensionBody =
    Seq<Lit<"[">, R<Rule::pattern_element>, Opt<Seq<ILit<"WHERE">, R<Rule::expression>>>,
        Lit<"|">, R<Rule::expression>, Lit<"]">>;
using CountSubqueryBody = Seq<ILit<"COUNT">, Lit<"{">, R<Rule::regular_query>, Lit<"}">>;
using CollectSubqueryBody = Seq<ILit<"COLLECT">, Lit<"{">, R<Rule::regular_query>, Lit<"}">>;
using PropertyExpressionBody = Seq<R<Rule::variable>, Plus<R<Rule::property_lookup>>>;

// ---- Literals ----
using LiteralBody =
    Choice<R<Rule::float_literal>, R<Rule::integer_literal>, R<Rule::string_literal>,
           R<Rule::boolean_literal>, R<Rule::null_literal>, R<Rule::list_literal>,
           R<Rule::map_literal>>;
using IntegerLiteralBody =
    Choice<Seq<Lit<"0x">, Plus<HexDigit>>, Seq<Lit<"0o">, Plus<OctDigit>>, Plus<Digit>>;
// A point is never the first of two, so «1..3» is a range; an exponent alone makes a float.
using Exponent = Seq<Choice<Lit<"e">, Lit<"E">>, Opt<Choice<Lit<"+">, Lit<"-">>>, Plus<Digit>>;
using FloatLiteralBody = Choice<Seq<Plus<Digit>, Lit<".">, Not<Lit<".">>, Star<Digit>, Opt<Exponent>>,
                                Seq<Plus<Digit>, Exponent>>;
using StringLiteralBody = Choice<Quoted<'"', true>, Quoted<'\'', true>>;
using BooleanLiteralBody = Choice<ILit<"TRUE">, ILit<"FALSE">>;
using NullLiteralBody = ILit<"NULL">;
using ListLiteralBody = Seq<Lit<"[">, Opt<ListOf<R<Rule::expression>>>, Lit<"]">>;
using MapLiteralBody = Seq<Lit<"{">, Opt<ListOf<R<Rule::property_key_value_pair>>>, Lit<"}">>;
using PropertyKeyValuePairBody = Seq<R<Rule::property_key_name>, Lit<":">, R<Rule::expression>>;
using PropertyKeyNameBody = SchemaName;
using ParameterBody = Seq<Lit<"$">, Choice<Seq<NameStart, Star<WordChar>>, Plus<Digit>>>;

// ---- Identifiers and reserved words ----
using VariableBody = R<Rule::identifier>;
using IdentifierBody =
    Choice<Seq<Not<R<Rule::keyword>>, NameStart, Star<WordChar>>, R<Rule::backtick_identifier>>;
using BacktickIdentifierBody = Quoted<'`'>;
using KeywordBody = ReservedWord;

// One definition per rule, in id order.
#define QARVEX_RULE(name, rule_kind, body)                \
  template <>                                             \
  struct RuleOf<Rule::name> {                             \
    static constexpr Rule id = Rule::name;                \
    static constexpr RuleKind kind = RuleKind::rule_kind; \
    using Body = body;                                    \
  };

QARVEX_RULE(EOI, normal, EoiBody)
QARVEX_RULE(WHITESPACE, silent, WhitespaceBody)
QARVEX_RULE(COMMENT, silent, CommentBody)
QARVEX_RULE(cypher, normal, CypherBody)
QARVEX_RULE(statement, normal, StatementBody)
QARVEX_RULE(regular_query, normal, RegularQueryBody)
QARVEX_RULE(union_clause, normal, UnionClauseBody)
QARVEX_RULE(single_query, normal, SingleQueryBody)
QARVEX_RULE(single_part_query, normal, SinglePartQueryBody)
QARVEX_RULE(multi_part_query, normal, MultiPartQueryBody)
QARVEX_RULE(reading_clause, normal, ReadingClauseBody)
QARVEX_RULE(call_subquery, normal, CallSubqueryBody)
QARVEX_RULE(match_clause, normal, MatchClauseBody)
QARVEX_RULE(unwind_clause, normal, UnwindClauseBody)
QARVEX_RULE(in_query_call, normal, ProcedureCallBody)
QARVEX_RULE(standalone_call, normal, ProcedureCallBody)
QARVEX_RULE(explicit_procedure_invocation, normal, ExplicitProcedureInvocationBody)
QARVEX_RULE(procedure_name, atomic, ProcedureNameBody)
QARVEX_RULE(yield_items, normal, YieldItemsBody)
QARVEX_RULE(yield_item, normal, YieldItemBody)
QARVEX_RULE(procedure_result_field, atomic, ProcedureResultFieldBody)
QARVEX_RULE(updating_clause, normal, UpdatingClauseBody)
QARVEX_RULE(foreach_clause, normal, ForeachClauseBody)
QARVEX_RULE(create_clause, normal, CreateClauseBody)
QARVEX_RULE(merge_clause, normal, MergeClauseBody)
QARVEX_RULE(on_match_or_create, normal, OnMatchOrCreateBody)
QARVEX_RULE(set_clause, normal, SetClauseBody)
QARVEX_RULE(set_item, normal, SetItemBody)
QARVEX_RULE(remove_clause, normal, RemoveClauseBody)
QARVEX_RULE(remove_item, normal, RemoveItemBody)
QARVEX_RULE(delete_clause, normal, DeleteClauseBody)
QARVEX_RULE(with_clause, normal, WithClauseBody)
QARVEX_RULE(return_clause, normal, ReturnClauseBody)
QARVEX_RULE(return_body, normal, ReturnBodyBody)
QARVEX_RULE(return_items, normal, ReturnItemsBody)
QARVEX_RULE(return_item, normal, ReturnItemBody)
QARVEX_RULE(order_clause, normal, OrderClauseBody)
QARVEX_RULE(sort_item, normal, SortItemBody)
QARVEX_RULE(skip_clause, normal, SkipClauseBody)
QARVEX_RULE(limit_clause, normal, LimitClauseBody)
QARVEX_RULE(where_clause, normal, WhereClauseBody)
QARVEX_RULE(pattern, normal, PatternBody)
QARVEX_RULE(pattern_part, normal, PatternPartBody)
QARVEX_RULE(pattern_element, normal, PatternElementBody)
QARVEX_RULE(node_pattern, normal, NodePatternBody)
QARVEX_RULE(node_labels, normal, NodeLabelsBody)
QARVEX_RULE(label_name, atomic, LabelNameBody)
QARVEX_RULE(relationship_pattern, normal, RelationshipPatternBody)
QARVEX_RULE(left_arrow, normal, LeftArrowBody)
QARVEX_RULE(right_arrow, normal, RightArrowBody)
QARVEX_RULE(rel_types, normal, RelTypesBody)
QARVEX_RULE(rel_type_name, atomic, RelTypeNameBody)
QARVEX_RULE(range_literal, normal, RangeLiteralBody)
QARVEX_RULE(properties, normal, PropertiesBody)
QARVEX_RULE(expression, normal, ExpressionBody)
QARVEX_RULE(or_kw, atomic, OrKwBody)
QARVEX_RULE(xor_kw, atomic, XorKwBody)
QARVEX_RULE(and_kw, atomic, AndKwBody)
QARVEX_RULE(not_kw, atomic, NotKwBody)
QARVEX_RULE(or_expr, normal, OrExprBody)
QARVEX_RULE(xor_expr, normal, XorExprBody)
QARVEX_RULE(and_expr, normal, AndExprBody)
QARVEX_RULE(not_expr, normal, NotExprBody)
QARVEX_RULE(comparison_expr, normal, ComparisonExprBody)
QARVEX_RULE(comparison_op, normal, ComparisonOpBody)
QARVEX_RULE(add_sub_expr, normal, AddSubExprBody)
QARVEX_RULE(mul_div_expr, normal, MulDivExprBody)
QARVEX_RULE(mod_expr, normal, ModExprBody)
QARVEX_RULE(power_expr, normal, PowerExprBody)
QARVEX_RULE(unary_expr, normal, UnaryExprBody)
QARVEX_RULE(postfix_expr, normal, PostfixExprBody)
QARVEX_RULE(null_check_op, atomic, NullCheckOpBody)
QARVEX_RULE(postfix_op, normal, PostfixOpBody)
QARVEX_RULE(property_lookup, normal, PropertyLookupBody)
QARVEX_RULE(subscript_op, normal, SubscriptOpBody)
QARVEX_RULE(list_slice_op, normal, ListSliceOpBody)
QARVEX_RULE(atom, normal, AtomBody)
QARVEX_RULE(parenthesized_expr, normal, ParenthesizedExprBody)
QARVEX_RULE(count_star, normal, CountStarBody)
QARVEX_RULE(function_invocation, normal, FunctionInvocationBody)
QARVEX_RULE(function_name, atomic, FunctionNameBody)
QARVEX_RULE(namespace_, atomic, NamespaceBody)
QARVEX_RULE(reduce_expression, normal, ReduceExpressionBody)
QARVEX_RULE(shortest_path_call, normal, ShortestPathCallBody)
QARVEX_RULE(case_expression, normal, CaseExpressionBody)
QARVEX_RULE(list_comprehension, normal, ListComprehensionBody)
QARVEX_RULE(filter_expression, normal, FilterExpressionBody)
QARVEX_RULE(id_in_coll, normal, IdInCollBody)
QARVEX_RULE(quantifier_expression, normal, QuantifierExpressionBody)
QARVEX_RULE(exists_subquery, normal, ExistsSubqueryBody)
QARVEX_RULE(pattern_comprehension, normal, PatternComprehensionBody)
QARVEX_RULE(count_subquery, normal, CountSubqueryBody)
QARVEX_RULE(collect_subquery, normal, CollectSubqueryBody)
QARVEX_RULE(literal, normal, LiteralBody)
QARVEX_RULE(integer_literal, atomic, IntegerLiteralBody)
QARVEX_RULE(float_literal, atomic, FloatLiteralBody)
QARVEX_RULE(string_literal, atomic, StringLiteralBody)
QARVEX_RULE(boolean_literal, normal, BooleanLiteralBody)
QARVEX_RULE(null_literal, normal, NullLiteralBody)
QARVEX_RULE(list_literal, normal, ListLiteralBody)
QARVEX_RULE(map_literal, normal, MapLiteralBody)
QARVEX_RULE(property_key_value_pair, normal, PropertyKeyValuePairBody)
QARVEX_RULE(property_key_name, atomic, PropertyKeyNameBody)
QARVEX_RULE(property_expression, normal, PropertyExpressionBody)
QARVEX_RULE(parameter, atomic, ParameterBody)
QARVEX_RULE(variable, atomic, VariableBody)
QARVEX_RULE(identifier, atomic, IdentifierBody)
QARVEX_RULE(backtick_identifier, atomic, BacktickIdentifierBody)
QARVEX_RULE(keyword, normal, KeywordBody)
#undef QARVEX_RULE

constexpr std::array<RuleDef, kRuleCount> kRules = {
#define QARVEX_RULE_ROW(name) \
  RuleDef{RuleOf<Rule::name>::id, RuleOf<Rule::name>::kind, &R<Rule::name>::match},
    QARVEX_GRAMMAR_RULES(QARVEX_RULE_ROW)
#undef QARVEX_RULE_ROW
};

constexpr bool rules_in_id_order() {
  for (std::size_t i = 0; i < kRules.size(); ++i) {
    if (static_cast<std::size_t>(kRules[i].id) != i) return false;
  }
  return true;
}
static_assert(rules_in_id_order(), "the rule table must list the rules by id");

// Trivia can only begin with white space or a slash.
constexpr std::array<bool, 256> trivia_starts() {
  std::array<bool, 256> starts{};
  for (char c : {' ', '\t', '\r', '\n', '/'}) starts[static_cast<unsigned char>(c)] = true;
  return starts;
}

constexpr Grammar kCypherGrammar{kRules, &skip_trivia, trivia_starts()};

}  // namespace

const peg::Grammar& cypher_grammar() { return kCypherGrammar; }

}  // namespace qarvex
