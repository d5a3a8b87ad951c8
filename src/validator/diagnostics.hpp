// The records of one validation run: diagnostic codes with their texts and message templates,
// findings, suggestions, and the result handed to the Python layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_position.hpp"

namespace qarvex {

// Declared in the order of the code table (E603 stands after E614); the order is observable.
enum class DiagnosticCode : std::uint8_t {
  ParseError,                   // E101: the query text does not parse
  UnknownNodeLabel,             // E201: a node pattern names an undeclared label
  UnknownNodeLabelInSet,        // E202: SET adds an undeclared label
  UnknownNodeLabelInRemove,     // E203: REMOVE takes away an undeclared label
  UnknownRelType,               // E211: a relationship pattern names an undeclared type
  UnknownNodeProperty,          // E301: a node pattern's map has a key its label lacks
  UnknownRelProperty,           // E302: a relationship pattern's map has a key its type lacks
  UnknownNodePropertyOnVar,     // E303: a node variable is read or written with an unknown key
  UnknownRelPropertyOnVar,      // E304: a relationship variable is used with an unknown key
  WrongEndpointLabel,           // E401: a relationship joins nodes of the wrong labels
  UnboundVariable,              // E501: a variable is used where nothing binds it
  DuplicateProjectionName,      // E502: RETURN or WITH projects one name twice
  AggregateStringArg,           // E601: a numeric aggregate is given a string literal
  AggregateInForbiddenContext,  // E602: an aggregate in MATCH WHERE, SET or DELETE
  PaginationTypeString,         // E611: SKIP or LIMIT given a string literal
  PaginationTypeBool,           // E612: SKIP or LIMIT given a boolean literal
  PaginationTypeNull,           // E613: SKIP or LIMIT given NULL
  PaginationTypeFloat,          // E614: SKIP or LIMIT given a float literal
  WrongArity,                   // E603: a built-in function called with a wrong argument count
  CartesianProduct,             // W101: disconnected MATCH pattern parts
  UnknownFunction,              // W103: a function missing from the built-in catalogue
  DistinctOnNonAggregate,       // W104: DISTINCT inside a non-aggregate call
  UnlabeledFullScan,            // W201: an unlabeled node in a MATCH without WHERE
  UnboundedVarLength,           // W202: a variable-length relationship without upper bound
  // Neo4j rules, reported in that dialect only.
  PatternExpressionAsValue,     // E621: a pattern predicate used as a value, not as a test
  NonPathArgument,              // E622: a path function given a value that is never a path
  VariableNotProjected,         // E503: ORDER BY of an aggregating or DISTINCT projection uses
                                //       a variable the projection dropped
  PatternPredicateNewVariable,  // E504: a pattern predicate names a variable not bound before
  // Guardrails, reported only when the validator was given them.
  ClauseNotAllowed,             // E701: read-only mode refuses an updating clause or LOAD CSV
  ProcedureNotAllowed,          // E702: a procedure the allow-list does not hold is called
  UnprojectedOrderByAggregate,  // E505: ORDER BY of an aggregating projection uses an aggregate
                                //       that is not one of its items
};

inline constexpr std::size_t diagnostic_code_count = 31;

enum class Severity : std::uint8_t { Error, Warning };

// Which kind of name a code's suggestion corrects; the fixed query needs it to find the
// places in the text where that name stands.
enum class FixKind : std::uint8_t {
  None,              // the code never carries a suggestion
  NodeLabel,         // original is ":" and a node label
  RelationshipType,  // original is ":" and a relationship type
  PropertyKey,       // original is a property key
};

std::string_view code_text(DiagnosticCode code);  // four characters, e.g. "E201"
std::optional<DiagnosticCode> code_from_text(std::string_view text);  // none for an unknown text
std::string_view code_name(DiagnosticCode code);  // e.g. "UnknownNodeLabel"
Severity code_severity(DiagnosticCode code);      // the severity the code is always emitted with
FixKind code_fix_kind(DiagnosticCode code);
std::string_view severity_text(Severity severity);  // "error" or "warning"

// The code's message template with each "{}" replaced, left to right, by the next argument.
std::string format_message(DiagnosticCode code, std::initializer_list<std::string_view> arguments);

// ", did you mean {prefix}{best}?" when a candidate was found, otherwise empty. The prefix is
// ":" for labels and relationship types, "." for property keys.
// E401's accepted labels, "A or :B" (the template writes the first colon); past `limit` of
// them, " (and N more)" stands for the rest.
std::string endpoint_label_list(const std::vector<std::string>& labels,
                                std::size_t limit = SIZE_MAX);

std::string did_you_mean_hint(std::string_view prefix, const std::optional<std::string>& best);

struct Suggestion {
  std::string original;
  std::string replacement;
  std::string description;

  bool operator==(const Suggestion&) const = default;
};

// What the feedback text needs to know about a diagnostic beyond its message, taken where the
// diagnostic is made. Only a run that asks for them records these (DiagnosticSink below).
struct DiagnosticDetail {
  std::string name;   // the undeclared label, type or key as written; the unbound variable;
                      // the type of an E401
  std::string owner;  // E301-E304: the label or type that lacks the key
  // E211: the labels written on the relationship's source and target nodes (its left and
  // right nodes when it has no direction).
  std::vector<std::string> source_labels;
  std::vector<std::string> target_labels;
  bool undirected = false;
  std::vector<std::string> bound;  // E501: the variables bound there, sorted by UTF-8 bytes
  // E401: which end ("source" or "target"), the labels it accepts in order, and the labels
  // written on its node as the message shows them; `owner` holds the end.
  std::vector<std::string> expected;
  std::string written;

  static DiagnosticDetail about(std::string name, std::string owner = {});
  static DiagnosticDetail relationship(std::string type, std::vector<std::string> source_labels,
                                       std::vector<std::string> target_labels, bool undirected);
  static DiagnosticDetail unbound(std::string variable, std::vector<std::string> bound);
  static DiagnosticDetail endpoint(std::string type, std::string end,
                                   std::vector<std::string> expected, std::string written);
};

struct ValidationDiagnostic {
  DiagnosticCode code = DiagnosticCode::ParseError;
  Severity severity = Severity::Error;
  std::string message;
  std::optional<Suggestion> suggestion;
  std::optional<TextPosition> position;  // only on E101 with a known line and column

  bool operator==(const ValidationDiagnostic&) const = default;
};

// The diagnostics are the one record of what was found; the message lists are read from them,
// in diagnostic order, where they are handed out.
struct ValidationResult {
  std::vector<ValidationDiagnostic> diagnostics;
  std::optional<std::string> fixed_query;

  bool is_valid() const;
  std::vector<std::string> errors() const;           // every error
  std::vector<std::string> syntax_errors() const;    // the E101 error, if any
  std::vector<std::string> semantic_errors() const;  // every other error
  std::vector<std::string> warnings() const;
};

// Collects the findings of one validation run, in the order they are reported.
class DiagnosticSink {
 public:
  void add_error(DiagnosticCode code, std::string message,
                 std::optional<Suggestion> suggestion = std::nullopt);
  void add_warning(DiagnosticCode code, std::string message);

  const std::vector<ValidationDiagnostic>& diagnostics() const { return diagnostics_; }

  // From here on every diagnostic gets a detail record (empty until `detail` fills it).
  void record_details() { records_details_ = true; }
  bool records_details() const { return records_details_; }
  // The detail of the diagnostic added last; ignored unless details are recorded.
  void detail(DiagnosticDetail detail);
  // One per diagnostic, in their order, when recorded from the start; moves them out.
  std::vector<DiagnosticDetail> take_details() { return std::move(details_); }

 private:
  friend ValidationResult semantic_result(DiagnosticSink sink);

  std::vector<ValidationDiagnostic> diagnostics_;
  bool records_details_ = false;
  std::vector<DiagnosticDetail> details_;
};

// The result for a text that does not parse: one E101 diagnostic carrying the syntax error's
// message, with a position only when both line and column are known.
ValidationResult syntax_error_result(std::string message, std::optional<TextPosition> position);

// The result for a parsed query from everything its walk reported, without the fixed query
// (which needs the query's text and name sites).
ValidationResult semantic_result(DiagnosticSink sink);

}  // namespace qarvex
