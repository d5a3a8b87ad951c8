#include "validator/diagnostics.hpp"

#include <gtest/gtest.h>

#include <set>

namespace qarvex {
namespace {

using enum DiagnosticCode;

struct CodeRow {
  DiagnosticCode code;
  std::string_view text;
  std::string_view name;
  Severity severity;
};

// The declared order is observable (it is the enumeration's value), so it is checked whole.
constexpr CodeRow code_rows[] = {
    {ParseError, "E101", "ParseError", Severity::Error},
    {UnknownNodeLabel, "E201", "UnknownNodeLabel", Severity::Error},
    {UnknownNodeLabelInSet, "E202", "UnknownNodeLabelInSet", Severity::Error},
    {UnknownNodeLabelInRemove, "E203", "UnknownNodeLabelInRemove", Severity::Error},
    {UnknownRelType, "E211", "UnknownRelType", Severity::Error},
    {UnknownNodeProperty, "E301", "UnknownNodeProperty", Severity::Error},
    {UnknownRelProperty, "E302", "UnknownRelProperty", Severity::Error},
    {UnknownNodePropertyOnVar, "E303", "UnknownNodePropertyOnVar", Severity::Error},
    {UnknownRelPropertyOnVar, "E304", "UnknownRelPropertyOnVar", Severity::Error},
    {WrongEndpointLabel, "E401", "WrongEndpointLabel", Severity::Error},
    {UnboundVariable, "E501", "UnboundVariable", Severity::Error},
    {DuplicateProjectionName, "E502", "DuplicateProjectionName", Severity::Error},
    {AggregateStringArg, "E601", "AggregateStringArg", Severity::Error},
    {AggregateInForbiddenContext, "E602", "AggregateInForbiddenContext", Severity::Error},
    {PaginationTypeString, "E611", "PaginationTypeString", Severity::Error},
    {PaginationTypeBool, "E612", "PaginationTypeBool", Severity::Error},
    {PaginationTypeNull, "E613", "PaginationTypeNull", Severity::Error},
    {PaginationTypeFloat, "E614", "PaginationTypeFloat", Severity::Error},
    {WrongArity, "E603", "WrongArity", Severity::Error},
    {CartesianProduct, "W101", "CartesianProduct", Severity::Warning},
    {UnknownFunction, "W103", "UnknownFunction", Severity::Warning},
    {DistinctOnNonAggregate, "W104", "DistinctOnNonAggregate", Severity::Warning},
    {UnlabeledFullScan, "W201", "UnlabeledFullScan", Severity::Warning},
    {UnboundedVarLength, "W202", "UnboundedVarLength", Severity::Warning},
    {PatternExpressionAsValue, "E621", "PatternExpressionAsValue", Severity::Error},
    {NonPathArgument, "E622", "NonPathArgument", Severity::Error},
    {VariableNotProjected, "E503", "VariableNotProjected", Severity::Error},
    {PatternPredicateNewVariable, "E504", "PatternPredicateNewVariable", Severity::Error},
    {ClauseNotAllowed, "E701", "ClauseNotAllowed", Severity::Error},
    {ProcedureNotAllowed, "E702", "ProcedureNotAllowed", Severity::Error},
    {UnprojectedOrderByAggregate, "E505", "UnprojectedOrderByAggregate", Severity::Error},
};

TEST(DiagnosticCodes, TextsNamesAndSeveritiesInDeclaredOrder) {
  ASSERT_EQ(std::size(code_rows), diagnostic_code_count);
  for (std::size_t i = 0; i < std::size(code_rows); ++i) {
    const CodeRow& row = code_rows[i];
    EXPECT_EQ(static_cast<std::size_t>(row.code), i) << row.text;
    EXPECT_EQ(code_text(row.code), row.text);
    EXPECT_EQ(code_name(row.code), row.name);
    EXPECT_EQ(code_severity(row.code), row.severity) << row.text;
    EXPECT_EQ(code_from_text(row.text), row.code) << row.text;
  }
  for (std::string_view unknown : {"", "E100", "e201", "E2010", "UnknownNodeLabel"}) {
    EXPECT_EQ(code_from_text(unknown), std::nullopt) << unknown;
  }
  EXPECT_EQ(severity_text(Severity::Error), "error");
  EXPECT_EQ(severity_text(Severity::Warning), "warning");
}

TEST(DiagnosticCodes, OnlyNameCodesCarryAFixKind) {
  std::set<DiagnosticCode> labels{UnknownNodeLabel, UnknownNodeLabelInSet, UnknownNodeLabelInRemove};
  std::set<DiagnosticCode> keys{UnknownNodeProperty, UnknownRelProperty, UnknownNodePropertyOnVar,
                                UnknownRelPropertyOnVar};
  for (const CodeRow& row : code_rows) {
    FixKind expected = labels.contains(row.code)     ? FixKind::NodeLabel
                       : row.code == UnknownRelType  ? FixKind::RelationshipType
                       : keys.contains(row.code)     ? FixKind::PropertyKey
                                                     : FixKind::None;
    EXPECT_EQ(code_fix_kind(row.code), expected) << row.text;
  }
}

struct MessageRow {
  DiagnosticCode code;
  std::vector<std::string_view> arguments;
  std::string_view expected;
};

class Messages : public testing::TestWithParam<MessageRow> {};

TEST_P(Messages, FillTemplatesLeftToRight) {
  const MessageRow& row = GetParam();
  std::string message;
  switch (row.arguments.size()) {  // the interface takes an initializer list
    case 0: message = format_message(row.code, {}); break;
    case 1: message = format_message(row.code, {row.arguments[0]}); break;
    case 2: message = format_message(row.code, {row.arguments[0], row.arguments[1]}); break;
    case 3:
      message = format_message(row.code, {row.arguments[0], row.arguments[1], row.arguments[2]});
      break;
    default:
      message = format_message(row.code, {row.arguments[0], row.arguments[1], row.arguments[2],
                                          row.arguments[3]});
  }
  EXPECT_EQ(message, row.expected) << code_text(row.code);
}

INSTANTIATE_TEST_SUITE_P(
    AllCodes, Messages,
    testing::Values(
        MessageRow{ParseError, {"line 1\nrest"}, "line 1\nrest"},
        MessageRow{UnknownNodeLabel, {"Persn", ", did you mean :Person?"},
                   "Unknown node label: :Persn, did you mean :Person?"},
        MessageRow{UnknownNodeLabel, {"Xyz", ""}, "Unknown node label: :Xyz"},
        MessageRow{UnknownNodeLabelInSet, {"Actr", ""}, "Unknown node label in SET: :Actr"},
        MessageRow{UnknownNodeLabelInRemove, {"Movei", ", did you mean :Movie?"},
                   "Unknown node label in REMOVE: :Movei, did you mean :Movie?"},
        MessageRow{UnknownRelType, {"KNOWZ", ""}, "Unknown relationship type: :KNOWZ"},
        MessageRow{UnknownNodeProperty, {"nme", "Person", ", did you mean .name?"},
                   "Unknown property 'nme' for node label :Person, did you mean .name?"},
        MessageRow{UnknownRelProperty, {"rol", "ACTED_IN", ""},
                   "Unknown property 'rol' for relationship type :ACTED_IN"},
        MessageRow{UnknownNodePropertyOnVar, {"nme", "p", "Person", ", did you mean .name?"},
                   "Unknown property 'nme' on variable 'p' with label :Person, did you mean .name?"},
        MessageRow{UnknownRelPropertyOnVar, {"rol", "r", "ACTED_IN", ""},
                   "Unknown property 'rol' on variable 'r' with relationship type :ACTED_IN"},
        MessageRow{WrongEndpointLabel, {"ACTED_IN", "source", "Person", ":Movie"},
                   "Relationship :ACTED_IN expects source label :Person, but node has label(s): "
                   ":Movie"},
        MessageRow{UnboundVariable, {"m"}, "Variable 'm' is not bound in this scope"},
        MessageRow{DuplicateProjectionName, {"x"}, "Duplicate projection name 'x' in RETURN/WITH"},
        MessageRow{AggregateStringArg, {"sum"},
                   "Aggregate function sum() received a string literal; expected a numeric "
                   "expression"},
        MessageRow{AggregateInForbiddenContext, {"MATCH WHERE"},
                   "Aggregate function not allowed in MATCH WHERE context; aggregates are only "
                   "valid in RETURN, WITH, or ORDER BY"},
        MessageRow{PaginationTypeString, {"LIMIT"},
                   "LIMIT expression must be an integer, got a string literal"},
        MessageRow{PaginationTypeBool, {"SKIP"},
                   "SKIP expression must be an integer, got a boolean literal"},
        MessageRow{PaginationTypeNull, {"LIMIT"}, "LIMIT expression must be an integer, got NULL"},
        MessageRow{PaginationTypeFloat, {"LIMIT"},
                   "LIMIT expression must be an integer, got a float literal"},
        MessageRow{WrongArity, {"substring", "2-3", "1"},
                   "Function substring() expects 2-3 argument(s), got 1"},
        MessageRow{CartesianProduct, {},
                   "MATCH pattern contains disconnected parts that will produce a Cartesian "
                   "product; add a relationship or shared variable to connect them"},
        MessageRow{UnknownFunction, {"myFunc"},
                   "Unknown function myFunc(); if this is a user-defined function, ignore this "
                   "warning"},
        MessageRow{DistinctOnNonAggregate, {"toLower"},
                   "DISTINCT is used with non-aggregate function toLower(); DISTINCT only has "
                   "meaning with aggregate functions"},
        MessageRow{UnlabeledFullScan, {},
                   "MATCH contains an unlabeled node with no WHERE clause; this will scan all "
                   "nodes in the graph"},
        MessageRow{UnboundedVarLength, {},
                   "Variable-length relationship without an upper bound ([*] or [*n..]) may "
                   "cause unbounded traversal"},
        // Arguments are inserted as they are: braces in a name are not placeholders.
        MessageRow{UnboundVariable, {"`{}`"}, "Variable '`{}`' is not bound in this scope"}));

TEST(DidYouMeanHint, FormsTheHintOnlyForACandidate) {
  EXPECT_EQ(did_you_mean_hint(":", "Person"), ", did you mean :Person?");
  EXPECT_EQ(did_you_mean_hint(".", "name"), ", did you mean .name?");
  EXPECT_EQ(did_you_mean_hint(":", std::nullopt), "");
}

TEST(DiagnosticSink, KeepsDiagnosticsInReportOrderAndTheListsFollowThem) {
  DiagnosticSink sink;
  Suggestion fix{":Persn", ":Person", "Replace :Persn with :Person"};
  sink.add_warning(UnlabeledFullScan, "w1");
  sink.add_error(UnknownNodeLabel, "e1", fix);
  sink.add_error(UnboundVariable, "e2");
  sink.add_warning(CartesianProduct, "w2");
  std::vector<ValidationDiagnostic> expected{
      {UnlabeledFullScan, Severity::Warning, "w1", {}, {}},
      {UnknownNodeLabel, Severity::Error, "e1", fix, {}},
      {UnboundVariable, Severity::Error, "e2", {}, {}},
      {CartesianProduct, Severity::Warning, "w2", {}, {}},
  };
  EXPECT_EQ(sink.diagnostics(), expected);
  ValidationResult result = semantic_result(std::move(sink));
  EXPECT_EQ(result.errors(), (std::vector<std::string>{"e1", "e2"}));
  EXPECT_EQ(result.semantic_errors(), result.errors());
  EXPECT_EQ(result.warnings(), (std::vector<std::string>{"w1", "w2"}));
  EXPECT_FALSE(result.is_valid());
}

TEST(SyntaxErrorResult, HasOneParseErrorWithItsPosition) {
  ValidationResult result = syntax_error_result("bad\n --> 1:7", TextPosition{1, 7});
  EXPECT_FALSE(result.is_valid());
  EXPECT_EQ(result.errors(), std::vector<std::string>{"bad\n --> 1:7"});
  EXPECT_EQ(result.syntax_errors(), result.errors());
  EXPECT_TRUE(result.semantic_errors().empty());
  EXPECT_TRUE(result.warnings().empty());
  EXPECT_FALSE(result.fixed_query);
  ASSERT_EQ(result.diagnostics.size(), 1u);
  const ValidationDiagnostic& diagnostic = result.diagnostics[0];
  EXPECT_EQ(diagnostic.code, ParseError);
  EXPECT_EQ(diagnostic.severity, Severity::Error);
  EXPECT_EQ(diagnostic.message, "bad\n --> 1:7");
  EXPECT_FALSE(diagnostic.suggestion);
  EXPECT_EQ(diagnostic.position, (TextPosition{1, 7}));
}

TEST(SyntaxErrorResult, HasNoPositionWhenTheErrorHasNone) {
  EXPECT_FALSE(syntax_error_result("Parse error: x", std::nullopt).diagnostics[0].position);
}

TEST(SemanticResult, OnlyWarningsLeaveTheQueryValidWithoutFix) {
  DiagnosticSink sink;
  sink.add_warning(UnlabeledFullScan, "w");
  ValidationResult result = semantic_result(std::move(sink));
  EXPECT_TRUE(result.is_valid());
  EXPECT_TRUE(result.errors().empty());
  EXPECT_TRUE(result.semantic_errors().empty());
  EXPECT_TRUE(result.syntax_errors().empty());
  EXPECT_EQ(result.warnings(), std::vector<std::string>{"w"});
  EXPECT_FALSE(result.fixed_query);
  ASSERT_EQ(result.diagnostics.size(), 1u);
  EXPECT_FALSE(result.diagnostics[0].position);
}

TEST(SemanticResult, ErrorsAreCopiedToBothLists) {
  DiagnosticSink sink;
  sink.add_error(UnknownNodeLabel, "Unknown node label: :Persn, did you mean :Person?",
                 Suggestion{":Persn", ":Person", "Replace :Persn with :Person"});
  sink.add_warning(UnlabeledFullScan, "w");
  ValidationResult result = semantic_result(std::move(sink));
  EXPECT_FALSE(result.is_valid());
  EXPECT_EQ(result.errors(), result.semantic_errors());
  EXPECT_EQ(result.errors().size(), 1u);
  EXPECT_TRUE(result.syntax_errors().empty());
  EXPECT_EQ(result.errors().size() + result.warnings().size(), result.diagnostics.size());
}

}  // namespace
}  // namespace qarvex
