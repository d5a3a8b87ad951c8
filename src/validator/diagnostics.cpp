#include "validator/diagnostics.hpp"

#include <algorithm>
#include <array>
#include <utility>


namespace qarvex {
namespace {

struct CodeInfo {
  DiagnosticCode code;
  std::string_view text;
  std::string_view name;
  Severity severity;
  FixKind fix_kind;
  // Every "{}" takes the next argument. E101 passes the syntax error's message through.
  std::string_view message_template;
};

using enum DiagnosticCode;
constexpr Severity E = Severity::Error;
constexpr Severity W = Severity::Warning;

constexpr std::array<CodeInfo, diagnostic_code_count> code_table{{
    {ParseError, "E101", "ParseError", E, FixKind::None, "{}"},
    {UnknownNodeLabel, "E201", "UnknownNodeLabel", E, FixKind::NodeLabel,
     "Unknown node label: :{}{}"},
    {UnknownNodeLabelInSet, "E202", "UnknownNodeLabelInSet", E, FixKind::NodeLabel,
     "Unknown node label in SET: :{}{}"},
    {UnknownNodeLabelInRemove, "E203", "UnknownNodeLabelInRemove", E, FixKind::NodeLabel,
     "Unknown node label in REMOVE: :{}{}"},
    {UnknownRelType, "E211", "UnknownRelType", E, FixKind::RelationshipType,
     "Unknown relationship type: :{}{}"},
    {UnknownNodeProperty, "E301", "UnknownNodeProperty", E, FixKind::PropertyKey,
     "Unknown property '{}' for node label :{}{}"},
    {UnknownRelProperty, "E302", "UnknownRelProperty", E, FixKind::PropertyKey,
     "Unknown property '{}' for relationship type :{}{}"},
    {UnknownNodePropertyOnVar, "E303", "UnknownNodePropertyOnVar", E, FixKind::PropertyKey,
     "Unknown property '{}' on variable '{}' with label :{}{}"},
    {UnknownRelPropertyOnVar, "E304", "UnknownRelPropertyOnVar", E, FixKind::PropertyKey,
     "Unknown property '{}' on variable '{}' with relationship type :{}{}"},
    {WrongEndpointLabel, "E401", "WrongEndpointLabel", E, FixKind::None,
     "Relationship :{} expects {} label :{}, but node has label(s): {}"},
    {UnboundVariable, "E501", "UnboundVariable", E, FixKind::None,
     "Variable '{}' is not bound in this scope"},
    {DuplicateProjectionName, "E502", "DuplicateProjectionName", E, FixKind::None,
     "Duplicate projection name '{}' in RETURN/WITH"},
    {AggregateStringArg, "E601", "AggregateStringArg", E, FixKind::None,
     "Aggregate function {}() received a string literal; expected a numeric expression"},
    {AggregateInForbiddenContext, "E602", "AggregateInForbiddenContext", E, FixKind::None,
     "Aggregate function not allowed in {} context; aggregates are only valid in RETURN, WITH, "
     "or ORDER BY"},
    {PaginationTypeString, "E611", "PaginationTypeString", E, FixKind::None,
     "{} expression must be an integer, got a string literal"},
    {PaginationTypeBool, "E612", "PaginationTypeBool", E, FixKind::None,
     "{} expression must be an integer, got a boolean literal"},
    {PaginationTypeNull, "E613", "PaginationTypeNull", E, FixKind::None,
     "{} expression must be an integer, got NULL"},
    {PaginationTypeFloat, "E614", "PaginationTypeFloat", E, FixKind::None,
     "{} expression must be an integer, got a float literal"},
    {WrongArity, "E603", "WrongArity", E, FixKind::None,
     "Function {}() expects {} argument(s), got {}"},
    {CartesianProduct, "W101", "CartesianProduct", W, FixKind::None,
     "MATCH pattern contains disconnected parts that will produce a Cartesian product; add a "
     "relationship or shared variable to connect them"},
    {UnknownFunction, "W103", "UnknownFunction", W, FixKind::None,
     "Unknown function {}(); if this is a user-defined function, ignore this warning"},
    {DistinctOnNonAggregate, "W104", "DistinctOnNonAggregate", W, FixKind::None,
     "DISTINCT is used with non-aggregate function {}(); DISTINCT only has meaning with "
     "aggregate functions"},
    {UnlabeledFullScan, "W201", "UnlabeledFullScan", W, FixKind::None,
     "MATCH contains an unlabeled node with no WHERE clause; this will scan all nodes in the "
     "graph"},
    {UnboundedVarLength, "W202", "UnboundedVarLength", W, FixKind::None,
     "Variable-length relationship without an upper bound ([*] or [*n..]) may cause unbounded "
     "traversal"},
    {PatternExpressionAsValue, "E621", "PatternExpressionAsValue", E, FixKind::None,
     "A pattern expression is used as a value in {}; it only tests whether the pattern exists "
     "(use COUNT { ... } for a number or a pattern comprehension for a list)"},
    {NonPathArgument, "E622", "NonPathArgument", E, FixKind::None,
     "Function {}() expects a path, got {}"},
    {VariableNotProjected, "E503", "VariableNotProjected", E, FixKind::None,
     "Variable '{}' is not projected by the aggregating or DISTINCT {} before this ORDER BY"},
    {PatternPredicateNewVariable, "E504", "PatternPredicateNewVariable", E, FixKind::None,
     "Pattern predicate introduces the new variable '{}'; a pattern used as a predicate may only "
     "use variables bound before it (EXISTS { ... } may bind new ones)"},
    {ClauseNotAllowed, "E701", "ClauseNotAllowed", E, FixKind::None,
     "Clause {} is not allowed in read-only mode"},
    {ProcedureNotAllowed, "E702", "ProcedureNotAllowed", E, FixKind::None,
     "Procedure {} is not allowed"},
    {UnprojectedOrderByAggregate, "E505", "UnprojectedOrderByAggregate", E, FixKind::None,
     "Aggregate {}() in ORDER BY is not an item of the aggregating {} before it; project it as "
     "an item of its own and order by that item"},
}};

// The table is indexed by the enumeration's value; this keeps the two in step.
constexpr bool table_follows_enumeration() {
  for (std::size_t i = 0; i < code_table.size(); ++i) {
    if (static_cast<std::size_t>(code_table[i].code) != i) return false;
    if ((code_table[i].text[0] == 'E') != (code_table[i].severity == Severity::Error)) {
      return false;
    }
  }
  return true;
}
static_assert(table_follows_enumeration());

const CodeInfo& info(DiagnosticCode code) { return code_table[static_cast<std::size_t>(code)]; }

}  // namespace

std::string_view code_text(DiagnosticCode code) { return info(code).text; }
std::string_view code_name(DiagnosticCode code) { return info(code).name; }

std::optional<DiagnosticCode> code_from_text(std::string_view text) {
  for (const CodeInfo& entry : code_table) {
    if (entry.text == text) return entry.code;
  }
  return std::nullopt;
}
Severity code_severity(DiagnosticCode code) { return info(code).severity; }
FixKind code_fix_kind(DiagnosticCode code) { return info(code).fix_kind; }

std::string_view severity_text(Severity severity) {
  return severity == Severity::Error ? "error" : "warning";
}

std::string format_message(DiagnosticCode code, std::initializer_list<std::string_view> arguments) {
  std::string_view pattern = info(code).message_template;
  std::string message;
  const std::string_view* next = arguments.begin();
  std::size_t start = 0;
  for (std::size_t slot = pattern.find("{}"); slot != std::string_view::npos;
       slot = pattern.find("{}", start)) {
    message.append(pattern.substr(start, slot - start));
    if (next != arguments.end()) message.append(*next++);
    start = slot + 2;
  }
  message.append(pattern.substr(start));
  return message;
}

std::string endpoint_label_list(const std::vector<std::string>& labels, std::size_t limit) {
  std::string text;
  std::size_t shown = std::min(labels.size(), limit);
  for (std::size_t i = 0; i < shown; ++i) {
    if (i != 0) text += " or :";
    text += labels[i];
  }
  if (shown < labels.size()) text += " (and " + std::to_string(labels.size() - shown) + " more)";
  return text;
}

std::string did_you_mean_hint(std::string_view prefix, const std::optional<std::string>& best) {
  if (!best) return {};
  std::string hint = ", did you mean ";
  hint.append(prefix).append(*best).append("?");
  return hint;
}

namespace {

template <typename Selects>
std::vector<std::string> messages_of(const ValidationResult& result, Selects selects) {
  std::vector<std::string> messages;
  for (const ValidationDiagnostic& diagnostic : result.diagnostics) {
    if (selects(diagnostic)) messages.push_back(diagnostic.message);
  }
  return messages;
}

bool is_error(const ValidationDiagnostic& diagnostic) {
  return diagnostic.severity == Severity::Error;
}

}  // namespace

bool ValidationResult::is_valid() const {
  return std::none_of(diagnostics.begin(), diagnostics.end(), is_error);
}

std::vector<std::string> ValidationResult::errors() const { return messages_of(*this, is_error); }

std::vector<std::string> ValidationResult::syntax_errors() const {
  return messages_of(*this, [](const ValidationDiagnostic& diagnostic) {
    return diagnostic.code == DiagnosticCode::ParseError;
  });
}

std::vector<std::string> ValidationResult::semantic_errors() const {
  return messages_of(*this, [](const ValidationDiagnostic& diagnostic) {
    return is_error(diagnostic) && diagnostic.code != DiagnosticCode::ParseError;
  });
}

std::vector<std::string> ValidationResult::warnings() const {
  return messages_of(*this, [](const ValidationDiagnostic& diagnostic) { return !is_error(diagnostic); });
}

DiagnosticDetail DiagnosticDetail::about(std::string name, std::string owner) {
  DiagnosticDetail detail;
  detail.name = std::move(name);
  detail.owner = std::move(owner);
  return detail;
}

DiagnosticDetail DiagnosticDetail::relationship(std::string type,
                                                std::vector<std::string> source_labels,
                                                std::vector<std::string> target_labels,
                                                bool undirected) {
  DiagnosticDetail detail = about(std::move(type));
  detail.source_labels = std::move(source_labels);
  detail.target_labels = std::move(target_labels);
  detail.undirected = undirected;
  return detail;
}

DiagnosticDetail DiagnosticDetail::endpoint(std::string type, std::string end,
                                            std::vector<std::string> expected,
                                            std::string written) {
  DiagnosticDetail detail = about(std::move(type), std::move(end));
  detail.expected = std::move(expected);
  detail.written = std::move(written);
  return detail;
}

DiagnosticDetail DiagnosticDetail::unbound(std::string variable, std::vector<std::string> bound) {
  DiagnosticDetail detail = about(std::move(variable));
  detail.bound = std::move(bound);
  return detail;
}

void DiagnosticSink::add_error(DiagnosticCode code, std::string message,
                               std::optional<Suggestion> suggestion) {
  diagnostics_.push_back({code, Severity::Error, std::move(message), std::move(suggestion), {}});
  if (records_details_) details_.emplace_back();
}

void DiagnosticSink::add_warning(DiagnosticCode code, std::string message) {
  diagnostics_.push_back({code, Severity::Warning, std::move(message), {}, {}});
  if (records_details_) details_.emplace_back();
}

void DiagnosticSink::detail(DiagnosticDetail detail) {
  if (records_details_ && !details_.empty()) details_.back() = std::move(detail);
}

ValidationResult syntax_error_result(std::string message, std::optional<TextPosition> position) {
  ValidationResult result;
  result.diagnostics.push_back(
      {DiagnosticCode::ParseError, Severity::Error, std::move(message), {}, position});
  return result;
}

ValidationResult semantic_result(DiagnosticSink sink) {
  ValidationResult result;
  result.diagnostics = std::move(sink.diagnostics_);
  return result;
}

}  // namespace qarvex
