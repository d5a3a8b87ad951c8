// Expression shapes built from query texts: each row is a RETURN expression and its tree.
#include <gtest/gtest.h>

#include "build_support.hpp"

namespace qarvex {
namespace {

using testing_support::returned;

struct ShapeCase {
  const char* name;
  std::string expression;  // written after RETURN
  std::string tree;
};

void PrintTo(const ShapeCase& c, std::ostream* out) { *out << c.name; }

class ExpressionShape : public testing::TestWithParam<ShapeCase> {};

TEST_P(ExpressionShape, Builds) {
  const ShapeCase& c = GetParam();
  EXPECT_EQ(returned("RETURN " + c.expression), c.tree) << "RETURN " << c.expression;
}

INSTANTIATE_TEST_SUITE_P(
    Operators, ExpressionShape,
    testing::Values(
        ShapeCase{"precedence", "10 - 4 / 2",
                  "Subtract(Integer(10), Divide(Integer(4), Integer(2)))"},
        ShapeCase{"subtraction_folds_left", "1 - 2 - 3",
                  "Subtract(Subtract(Integer(1), Integer(2)), Integer(3))"},
        ShapeCase{"mixed_additive", "1 + 2 - 3 + 4",
                  "Add(Subtract(Add(Integer(1), Integer(2)), Integer(3)), Integer(4))"},
        ShapeCase{"mixed_multiplicative", "8 / 4 * 2",
                  "Multiply(Divide(Integer(8), Integer(4)), Integer(2))"},
        ShapeCase{"modulo_binds_tighter", "a * b % c",
                  "Multiply(Variable(\"a\"), Modulo(Variable(\"b\"), Variable(\"c\")))"},
        ShapeCase{"power_folds_left", "2 ^ 3 ^ 2",
                  "Power(Power(Integer(2), Integer(3)), Integer(2))"},
        ShapeCase{"unary_minus_binds_tighter_than_power", "-2 ^ 2",
                  "Power(Negate(Integer(2)), Integer(2))"},
        ShapeCase{"or_folds_left", "a OR b OR c",
                  "Or(Or(Variable(\"a\"), Variable(\"b\")), Variable(\"c\"))"},
        ShapeCase{"logic_levels", "a OR b XOR c AND NOT d",
                  "Or(Variable(\"a\"), Xor(Variable(\"b\"), And(Variable(\"c\"), "
                  "Not(Variable(\"d\")))))"},
        ShapeCase{"not_chain", "NOT NOT x", "Not(Not(Variable(\"x\")))"},
        ShapeCase{"comparison_chain", "a < b <= c",
                  "LessThanOrEqual(LessThan(Variable(\"a\"), Variable(\"b\")), Variable(\"c\"))"},
        ShapeCase{"every_comparison",
                  "a = b <> c > d >= e =~ f IN g STARTS WITH h ENDS  WITH i CONTAINS j",
                  "Contains(EndsWith(StartsWith(In(RegexMatch(GreaterThanOrEqual(GreaterThan("
                  "NotEqual(Equal(Variable(\"a\"), Variable(\"b\")), Variable(\"c\")), "
                  "Variable(\"d\")), Variable(\"e\")), Variable(\"f\")), Variable(\"g\")), "
                  "Variable(\"h\")), Variable(\"i\")), Variable(\"j\"))"},
        ShapeCase{"is_not_null_is_one_node", "n.x IS NOT NULL",
                  "IsNotNull(PropertyLookup(Variable(\"n\"), \"x\"))"},
        ShapeCase{"is_null", "n IS  NULL", "IsNull(Variable(\"n\"))"},
        ShapeCase{"parentheses_leave_no_node", "(1 + 2) * 3",
                  "Multiply(Add(Integer(1), Integer(2)), Integer(3))"},
        ShapeCase{"operator_inside_comment_is_ignored", "1 /* - */ + 2 // *\n - 3",
                  "Subtract(Add(Integer(1), Integer(2)), Integer(3))"}));

INSTANTIATE_TEST_SUITE_P(
    Postfix, ExpressionShape,
    testing::Values(
        ShapeCase{"lookups_wrap_in_order", "n.a.b",
                  "PropertyLookup(PropertyLookup(Variable(\"n\"), \"a\"), \"b\")"},
        ShapeCase{"subscript", "xs[0]", "Subscript(Variable(\"xs\"), Integer(0))"},
        ShapeCase{"slice_without_from", "list[..2]", "Slice(Variable(\"list\"), -, Integer(2))"},
        ShapeCase{"slice_without_to", "list[1 ..]", "Slice(Variable(\"list\"), Integer(1), -)"},
        ShapeCase{"slice_both", "list[1 .. 3]",
                  "Slice(Variable(\"list\"), Integer(1), Integer(3))"},
        ShapeCase{"slice_neither", "list[..]", "Slice(Variable(\"list\"), -, -)"},
        ShapeCase{"slice_right_after_integers", "list[1..3]",
                  "Slice(Variable(\"list\"), Integer(1), Integer(3))"},
        ShapeCase{"slice_open_after_integer", "list[1..]", "Slice(Variable(\"list\"), Integer(1), -)"},
        ShapeCase{"reserved_word_as_key", "n.count", "PropertyLookup(Variable(\"n\"), \"count\")"},
        ShapeCase{"dots_in_a_comment_do_not_move_a_bound", "list[/* .. */ 1 ..]",
                  "Slice(Variable(\"list\"), Integer(1), -)"},
        ShapeCase{"backticks_stay_in_key", "n.`my key`",
                  "PropertyLookup(Variable(\"n\"), \"`my key`\")"}));

INSTANTIATE_TEST_SUITE_P(
    Literals, ExpressionShape,
    testing::Values(
        ShapeCase{"hexadecimal", "0x1F", "Integer(31)"},
        ShapeCase{"octal", "0o17", "Integer(15)"},
        ShapeCase{"leading_zero_is_decimal", "017", "Integer(17)"},
        ShapeCase{"largest_integer", "9223372036854775807", "Integer(9223372036854775807)"},
        ShapeCase{"overflow_gives_zero", "99999999999999999999", "Integer(0)"},
        ShapeCase{"hex_overflow_gives_zero", "0x8000000000000000", "Integer(0)"},
        ShapeCase{"negative_literal_is_negate", "-5", "Negate(Integer(5))"},
        ShapeCase{"float", "1.5e3", "Float(1500)"},
        ShapeCase{"float_without_fraction", "1.", "Float(1)"},
        ShapeCase{"float_exponent_without_point", "1E8", "Float(1e+08)"},
        ShapeCase{"float_signed_exponent_without_point", "5e-7", "Float(5e-07)"},
        ShapeCase{"hexadecimal_e_is_a_digit", "0x1e3", "Integer(483)"},
        ShapeCase{"string_keeps_its_escapes", "'it\\'s'", "String(\"it\\\\'s\")"},
        ShapeCase{"float_overflow_is_infinite", "1.0e999", "Float(inf)"},
        ShapeCase{"string_is_not_decoded", "'a\\nb\\\\'", "String(\"a\\\\nb\\\\\\\\\")"},
        ShapeCase{"string_other_quote", "\"it's\"", "String(\"it's\")"},
        ShapeCase{"true", "TrUe", "Boolean(true)"},
        ShapeCase{"false", "false", "Boolean(false)"},
        ShapeCase{"null", "NULL", "Null()"},
        ShapeCase{"list", "[1, 'a', []]", "List([Integer(1), String(\"a\"), List([])])"},
        ShapeCase{"map_last_value_wins_in_first_order", "{b: 1, a: 2, b: 3}",
                  "Map(PropertyMap([PropertyEntry(\"b\", Integer(3)), "
                  "PropertyEntry(\"a\", Integer(2))]))"},
        ShapeCase{"parameter_loses_dollar", "$name", "Parameter(\"name\")"},
        ShapeCase{"numbered_parameter", "$1", "Parameter(\"1\")"}));

INSTANTIATE_TEST_SUITE_P(
    Atoms, ExpressionShape,
    testing::Values(
        ShapeCase{"function_distinct", "count(DISTINCT n)",
                  "FunctionCall(\"count\", [Variable(\"n\")], true)"},
        ShapeCase{"function_distinct_in_comment_is_ignored", "count(/* DISTINCT */ n)",
                  "FunctionCall(\"count\", [Variable(\"n\")], false)"},
        ShapeCase{"namespaced_function", "apoc.text.join(xs, ',')",
                  "FunctionCall(\"apoc.text.join\", [Variable(\"xs\"), String(\",\")], false)"},
        ShapeCase{"no_arguments", "rand()", "FunctionCall(\"rand\", [], false)"},
        ShapeCase{"count_star", "count(*)", "CountStar()"},
        ShapeCase{"searched_case", "CASE WHEN a THEN 1 ELSE 2 END",
                  "Case(-, [CaseAlternative(Variable(\"a\"), Integer(1))], Integer(2))"},
        ShapeCase{"simple_case", "CASE x WHEN 1 THEN 'a' END",
                  "Case(Variable(\"x\"), [CaseAlternative(Integer(1), String(\"a\"))], -)"},
        ShapeCase{"case_keywords_in_comments_are_ignored",
                  "CASE /* when */ x WHEN 1 /* else */ THEN 2 END",
                  "Case(Variable(\"x\"), [CaseAlternative(Integer(1), Integer(2))], -)"},
        ShapeCase{"case_with_two_alternatives", "CASE x WHEN 1 THEN 2 WHEN 3 THEN 4 ELSE 5 END",
                  "Case(Variable(\"x\"), [CaseAlternative(Integer(1), Integer(2)), "
                  "CaseAlternative(Integer(3), Integer(4))], Integer(5))"},
        ShapeCase{"list_comprehension", "[x IN xs WHERE x > 1 | x * 2]",
                  "ListComprehension(\"x\", Variable(\"xs\"), GreaterThan(Variable(\"x\"), "
                  "Integer(1)), Multiply(Variable(\"x\"), Integer(2)))"},
        ShapeCase{"list_comprehension_without_where", "[x IN xs | x]",
                  "ListComprehension(\"x\", Variable(\"xs\"), -, Variable(\"x\"))"},
        ShapeCase{"in_inside_brackets_is_a_list", "[x IN xs]",
                  "List([In(Variable(\"x\"), Variable(\"xs\"))])"},
        ShapeCase{"quantifier_all", "all(x IN xs WHERE x > 0)",
                  "QuantifierAll(\"x\", Variable(\"xs\"), GreaterThan(Variable(\"x\"), "
                  "Integer(0)))"},
        ShapeCase{"quantifier_any", "ANY(x IN xs)", "QuantifierAny(\"x\", Variable(\"xs\"), -)"},
        ShapeCase{"quantifier_none", "none(x IN xs)",
                  "QuantifierNone(\"x\", Variable(\"xs\"), -)"},
        ShapeCase{"quantifier_single", "single(x IN xs)",
                  "QuantifierSingle(\"x\", Variable(\"xs\"), -)"},
        ShapeCase{"reduce", "reduce(s = 0, x IN xs | s + x)",
                  "Reduce(\"s\", Integer(0), \"x\", Variable(\"xs\"), Add(Variable(\"s\"), "
                  "Variable(\"x\")))"},
        ShapeCase{"shortest_path_expression", "shortestPath((a)-[*]-(b))",
                  "ShortestPath(PatternElement(NodePattern([], [], -, -, [], \"a\"), [PatternStep(-, "
                  "RelationshipPattern([], [], -, -, -, LengthRange(-, -), [], -, Both), "
                  "NodePattern([], [], -, -, [], \"b\"))]), false)"},
        ShapeCase{"all_shortest_paths_expression", "ALLSHORTESTPATHS((a)-->(b))",
                  "ShortestPath(PatternElement(NodePattern([], [], -, -, [], \"a\"), [PatternStep(-, "
                  "RelationshipPattern([], [], -, -, -, -, [], -, Right), NodePattern([], [], -, -, [], \"b\"))]), true)"},
        ShapeCase{"pattern_comprehension", "[(a)-->(b:B) WHERE b.x | b.y]",
                  "PatternComprehension(PatternElement(NodePattern([], [], -, -, [], \"a\"), [PatternStep(-, "
                  "RelationshipPattern([], [], -, -, -, -, [], -, Right), NodePattern([], [], -, -, [\"B\"], \"b\"))]), "
                  "PropertyLookup(Variable(\"b\"), \"x\"), PropertyLookup(Variable(\"b\"), "
                  "\"y\"), -)"},
        ShapeCase{"exists_pattern", "EXISTS { (n)<--() }",
                  "Exists(ExistsPattern(Pattern([PatternPart(-, -, PatternElement("
                  "NodePattern([], [], -, -, [], \"n\"), [PatternStep(-, RelationshipPattern([], [], -, -, -, -, [], -, "
                  "Left), NodePattern([], [], -, -, [], -))]))])))"},
        ShapeCase{"count_subquery", "COUNT { MATCH (m) RETURN m }",
                  "CountSubquery(RegularQuery(SinglePartQuery([MatchClause(Pattern([PatternPart(-, "
                  "-, PatternElement(NodePattern([], [], -, -, [], \"m\"), []))]), -, false)], [], "
                  "ReturnClause([ReturnItem(-, Variable(\"m\"))], -, -, -, false)), []))"},
        ShapeCase{"collect_subquery", "COLLECT { RETURN 1 }",
                  "CollectSubquery(RegularQuery(SinglePartQuery([], [], ReturnClause(["
                  "ReturnItem(-, Integer(1))], -, -, -, false)), []))"}));

}  // namespace
}  // namespace qarvex
