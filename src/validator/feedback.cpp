#include "validator/feedback.hpp"

#include <algorithm>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "parser/parse.hpp"
#include "validator/fixed_query.hpp"
#include "validator/suggestions.hpp"
#include "validator/validate_query.hpp"

namespace qarvex {
namespace {

using enum DiagnosticCode;

// A name as the query wrote it, without its backticks, for measuring distances.
std::string_view unquoted(std::string_view name) {
  if (name.size() >= 2 && name.front() == '`' && name.back() == '`') {
    return name.substr(1, name.size() - 2);
  }
  return name;
}

std::string more_suffix(std::size_t shown, std::size_t total) {
  if (total <= shown) return {};
  return " (and " + std::to_string(total - shown) + " more)";
}

// The candidates nearest to `name` first, each written as a query writes it after `prefix`
// (":" for labels and types), at most feedback_list_limit of them.
std::string name_list(std::string_view name, std::span<const std::string> candidates,
                      std::string_view prefix) {
  std::vector<std::string_view> nearest =
      nearest_names(unquoted(name), candidates, feedback_list_limit);
  std::string text;
  for (std::string_view candidate : nearest) {
    if (!text.empty()) text += ", ";
    text.append(prefix).append(written_name(candidate));
  }
  return text + more_suffix(nearest.size(), candidates.size());
}

std::string label_ref(std::string_view label) { return ":" + written_name(label); }

// The declared labels of one end of a relationship, as a node pattern: "(:A:B)", or "()".
std::string node_of(const std::vector<std::string>& declared) {
  std::string text = "(";
  for (const std::string& label : declared) text += label_ref(label);
  return text + ")";
}

std::vector<std::string> declared_only(const Schema& schema,
                                       const std::vector<std::string>& labels) {
  std::vector<std::string> declared;
  for (const std::string& label : labels) {
    if (schema.has_label(label)) declared.push_back(label);
  }
  return declared;
}

// Whether an end whose declared labels are `declared` admits `label`; an end without any
// declared label admits every one.
bool admits(const std::vector<std::string>& declared, const std::string& label) {
  return declared.empty() || std::find(declared.begin(), declared.end(), label) != declared.end();
}

class FeedbackWriter {
 public:
  FeedbackWriter(const Schema& schema, const SchemaNames& names)
      : schema_(schema), names_(names) {}

  // The note for one diagnostic, if its kind has one.
  std::optional<std::string> note(const ValidationDiagnostic& diagnostic,
                                  const DiagnosticDetail& detail) const {
    switch (diagnostic.code) {
      case UnknownNodeLabel:
      case UnknownNodeLabelInSet:
      case UnknownNodeLabelInRemove:
        return "declared labels, nearest first: " + name_list(detail.name, labels(), ":");
      case UnknownRelType: return type_note(detail);
      case UnknownNodeProperty:
      case UnknownNodePropertyOnVar:
        return key_note(detail, schema_.sorted_label_properties(detail.owner));
      case UnknownRelProperty:
      case UnknownRelPropertyOnVar:
        return key_note(detail, schema_.sorted_type_properties(detail.owner));
      case WrongEndpointLabel: return endpoint_note(detail.name);
      case UnboundVariable:
        if (detail.bound.empty()) return "no variable is bound here";
        return "variables bound here, nearest first: " + name_list(detail.name, detail.bound, "");
      default: return std::nullopt;
    }
  }

 private:
  std::span<const std::string> labels() const { return names_.labels.names(); }
  std::span<const std::string> types() const { return names_.types.names(); }

  std::string key_note(const DiagnosticDetail& detail, const std::vector<std::string>& keys) const {
    std::string head = "properties of " + label_ref(detail.owner);
    if (keys.empty()) return head + ": none declared";
    return head + ", nearest first: " + name_list(detail.name, keys, "");
  }

  // The types that some endpoint pair lets stand between the labels written on the two nodes;
  // without a declared label on either node, or with no such type, the nearest of all types.
  std::string type_note(const DiagnosticDetail& detail) const {
    std::vector<std::string> source = declared_only(schema_, detail.source_labels);
    std::vector<std::string> target = declared_only(schema_, detail.target_labels);
    std::string nearest = "declared types, nearest first: " + name_list(detail.name, types(), ":");
    if (source.empty() && target.empty()) return nearest;
    std::vector<std::string> between;
    for (const std::string& type : types()) {
      const std::vector<EndpointEntry>& entries = schema_.relationship(type)->entries();
      bool fits = std::any_of(entries.begin(), entries.end(), [&](const EndpointEntry& entry) {
        return (admits(source, entry.source) && admits(target, entry.target)) ||
               (detail.undirected && admits(source, entry.target) && admits(target, entry.source));
      });
      if (fits) between.push_back(type);
    }
    std::string ends = detail.undirected
                           ? "between " + node_of(source) + " and " + node_of(target)
                           : "from " + node_of(source) + " to " + node_of(target);
    if (between.empty()) return "no type is declared " + ends + "; " + nearest;
    return "types declared " + ends + ", nearest first: " + name_list(detail.name, between, ":");
  }

  std::string endpoint_note(std::string_view type) const {
    const RelationshipType* rel = schema_.relationship(type);
    if (rel == nullptr) return {};
    const std::vector<EndpointEntry>& entries = rel->entries();
    std::size_t shown = std::min(entries.size(), feedback_list_limit);
    std::string text = "declared endpoints of " + label_ref(type) + ": ";
    for (std::size_t i = 0; i < shown; ++i) {
      if (i != 0) text += ", ";
      text += "(" + label_ref(entries[i].source) + ")-[" + label_ref(type) + "]->(" +
              label_ref(entries[i].target) + ")";
    }
    return text + more_suffix(shown, entries.size());
  }

  const Schema& schema_;
  const SchemaNames& names_;
};

// The Neo4j constructs a core syntax error may stop at, by the Neo4j rule that reads them. The
// query rules, which the Neo4j grammar changes only for its endings, hold every place and
// would name an ending for a subquery; they are left to the general wording.
struct Neo4jConstruct {
  Rule rule;
  std::string_view name;
};

constexpr Neo4jConstruct neo4j_constructs[] = {
    {Rule::count_subquery, "the COUNT { ... } subquery"},
    {Rule::exists_subquery, "the EXISTS { ... } subquery"},
    {Rule::collect_subquery, "the COLLECT { ... } subquery"},
    {Rule::pattern_predicate, "this pattern predicate"},
    {Rule::label_predicate, "the label expression"},
    {Rule::case_expression, "this form of CASE"},
    {Rule::delete_clause, "this form of DELETE"},
    {Rule::explicit_procedure_invocation, "this form of procedure call"},
    {Rule::range_literal, "this form of variable-length range"},
    {Rule::float_literal, "this form of float literal"},
    {Rule::variable, "a keyword as a name unless it is in backticks"},
};

std::optional<std::string_view> construct_name(Rule rule) {
  for (const Neo4jConstruct& construct : neo4j_constructs) {
    if (construct.rule == rule) return construct.name;
  }
  return std::nullopt;
}

// For a text that the core grammar refuses and the Neo4j grammar reads: the line saying so,
// naming the innermost Neo4j construct around the place where the core parse stopped.
std::optional<std::string> neo4j_note(std::string_view text) {
  ParseOutcome core = parse(Rule::cypher, text, Dialect::core);
  const auto* failure = std::get_if<ParseFailure>(&core);
  if (failure == nullptr || failure->message) return std::nullopt;
  ParseOutcome neo4j = parse(Rule::cypher, text, Dialect::neo4j);
  const auto* tree = std::get_if<ParseTree>(&neo4j);
  if (tree == nullptr) return std::nullopt;
  std::optional<std::string_view> construct;
  // Pre-order: a node that holds the place comes after every ancestor that holds it too.
  for (const NodeRecord& record : tree->records()) {
    if (record.start > failure->position || failure->position >= record.end) continue;
    if (auto name = construct_name(record.rule.as<Rule>())) construct = name;
  }
  std::string what = construct ? std::string(*construct) : "the syntax marked above";
  return "Neo4j-only syntax: this checker reads core Cypher, which does not have " + what +
         "; rewrite that part without it";
}

// The diagnostic's message, except that an E401 naming more accepted labels than a list may
// hold names only the first of them.
std::string entry_message(const ValidationDiagnostic& diagnostic, const DiagnosticDetail* detail) {
  if (diagnostic.code != WrongEndpointLabel || detail == nullptr ||
      detail->expected.size() <= feedback_list_limit) {
    return diagnostic.message;
  }
  return format_message(WrongEndpointLabel,
                        {detail->name, detail->owner,
                         endpoint_label_list(detail->expected, feedback_list_limit),
                         detail->written});
}

void append_entry(std::string& out, DiagnosticCode code, const std::string& message) {
  out.append("error ").append(code_text(code)).append(":");
  out += message.find('\n') == std::string::npos ? " " : "\n";
  out.append(message).append("\n");
}

}  // namespace

std::string feedback_text(const Schema& schema, const SchemaNames& names, std::string_view text,
                          Dialect dialect, const Guardrails& guardrails) {
  DetailedResult run = validate_with_details(schema, names, text, dialect, guardrails);
  const ValidationResult& result = run.result;
  if (result.is_valid()) return {};
  FeedbackWriter writer(schema, names);
  std::vector<std::string> noted;  // a note already given is not repeated
  std::string out;
  for (std::size_t i = 0; i < result.diagnostics.size(); ++i) {
    const ValidationDiagnostic& diagnostic = result.diagnostics[i];
    if (diagnostic.severity != Severity::Error) continue;
    const DiagnosticDetail* detail = i < run.details.size() ? &run.details[i] : nullptr;
    append_entry(out, diagnostic.code, entry_message(diagnostic, detail));
    std::optional<std::string> note;
    if (diagnostic.code == ParseError) {
      if (dialect == Dialect::core) note = neo4j_note(text);
    } else if (detail != nullptr) {
      note = writer.note(diagnostic, *detail);
    }
    if (!note || note->empty() ||
        std::find(noted.begin(), noted.end(), *note) != noted.end()) {
      continue;
    }
    out.append("  ").append(*note).append("\n");
    noted.push_back(std::move(*note));
  }
  if (result.fixed_query) out.append("corrected query:\n").append(*result.fixed_query).append("\n");
  return out;
}

}  // namespace qarvex
