// Schema conformance: labels, relationship types, property keys and endpoint labels.
#include <algorithm>
#include <string>

#include "validator/semantic/checks.hpp"
#include "validator/suggestions.hpp"

namespace qarvex {
namespace {

// Each undeclared label, in written order, draws `code` with a hint and a suggestion when a
// declared label is close enough.
void check_labels(ValidationContext& context, const std::vector<std::string>& labels,
                  DiagnosticCode code) {
  for (const std::string& label : labels) {
    if (context.schema.has_label(label)) continue;
    std::optional<std::string> best = closest_match(label, context.names.labels);
    context.sink.add_error(code, format_message(code, {label, did_you_mean_hint(":", best)}),
                           label_suggestion(label, best));
    context.sink.detail(DiagnosticDetail::about(label));
  }
}

// The hint and the suggestion for an undeclared property key, from the keys that are declared.
struct PropertyFix {
  std::string hint;
  std::optional<Suggestion> suggestion;
};

PropertyFix property_fix(const std::string& key, const std::vector<std::string>& declared) {
  return {did_you_mean_hint(".", closest_match(key, declared)), property_suggestion(key, declared)};
}

const PropertyMap* property_map(const std::optional<Properties>& properties) {
  if (!properties) return nullptr;
  const auto* map = std::get_if<Properties::Map>(&properties->node);
  return map == nullptr ? nullptr : &map->map;
}

std::string written_labels(const std::vector<std::string>& labels) {
  std::string text;
  for (const std::string& label : labels) {
    if (!text.empty()) text += ", ";
    text += ':';
    text += label;
  }
  return text;
}

bool is_written(const std::vector<std::string>& labels, std::string_view label) {
  return std::find(labels.begin(), labels.end(), label) != labels.end();
}

// A node with no label written, or with none that the schema declares, takes no part in the
// endpoint check: only labels on that very pattern count, and undeclared ones are E201 already.
bool exempt_from_endpoints(const ValidationContext& context,
                           const std::vector<std::string>& labels) {
  return std::none_of(labels.begin(), labels.end(),
                      [&](const std::string& label) { return context.schema.has_label(label); });
}

// An unknown type of `relationship`, between nodes whose certain labels are `left_labels` and
// `right_labels` as written.
void report_unknown_type(ValidationContext& context, const std::string& type,
                         const RelationshipPattern& relationship,
                         const std::vector<std::string>& left_labels,
                         const std::vector<std::string>& right_labels) {
  std::optional<std::string> best = closest_match(type, context.names.types);
  context.sink.add_error(
      DiagnosticCode::UnknownRelType,
      format_message(DiagnosticCode::UnknownRelType, {type, did_you_mean_hint(":", best)}),
      label_suggestion(type, best));
  if (context.sink.records_details()) {
    bool leftward = relationship.direction == Direction::Left;
    context.sink.detail(DiagnosticDetail::relationship(
        type, leftward ? right_labels : left_labels, leftward ? left_labels : right_labels,
        relationship.direction == Direction::Both));
  }
}

enum class End { Source, Target };

const std::string& label_at(const EndpointEntry& entry, End end) {
  return end == End::Source ? entry.source : entry.target;
}

// The distinct labels at `end` of the entries that `admitted` keeps, in order.
template <typename Admitted>
std::vector<std::string> expected_labels(const RelationshipType& rel, End end, Admitted admitted) {
  std::vector<std::string> seen;
  for (const EndpointEntry& entry : rel.entries()) {
    const std::string& label = label_at(entry, end);
    if (!admitted(entry) || std::find(seen.begin(), seen.end(), label) != seen.end()) continue;
    seen.push_back(label);
  }
  return seen;
}

void report_endpoint(ValidationContext& context, std::string_view type, End end,
                     std::vector<std::string> expected, const std::vector<std::string>& labels) {
  std::string_view role = end == End::Source ? "source" : "target";
  std::string written = written_labels(labels);
  context.sink.add_error(
      DiagnosticCode::WrongEndpointLabel,
      format_message(DiagnosticCode::WrongEndpointLabel,
                     {type, role, endpoint_label_list(expected), written}));
  if (context.sink.records_details()) {
    context.sink.detail(DiagnosticDetail::endpoint(std::string(type), std::string(role),
                                                   std::move(expected), std::move(written)));
  }
}

// The source end first: the entries whose source is written there pass, or all of them when
// the node is exempt; none passing is one E401, after which all of them go on. The target end
// is then checked the same way against the entries that passed.
void check_endpoints(ValidationContext& context, std::string_view type, const RelationshipType& rel,
                     const std::vector<std::string>& source_labels,
                     const std::vector<std::string>& target_labels) {
  const std::vector<EndpointEntry>& entries = rel.entries();
  auto any_entry = [](const EndpointEntry&) { return true; };
  auto source_fits = [&](const EndpointEntry& entry) {
    return is_written(source_labels, entry.source);
  };
  bool narrowed = false;
  if (!exempt_from_endpoints(context, source_labels)) {
    narrowed = std::any_of(entries.begin(), entries.end(), source_fits);
    if (!narrowed) {
      report_endpoint(context, type, End::Source, expected_labels(rel, End::Source, any_entry),
                      source_labels);
    }
  }
  auto passed = [&](const EndpointEntry& entry) { return !narrowed || source_fits(entry); };
  bool target_fits = std::any_of(entries.begin(), entries.end(), [&](const EndpointEntry& entry) {
    return passed(entry) && is_written(target_labels, entry.target);
  });
  if (target_fits || exempt_from_endpoints(context, target_labels)) return;
  report_endpoint(context, type, End::Target, expected_labels(rel, End::Target, passed),
                  target_labels);
}

}  // namespace

void check_node_pattern(ValidationContext& context, const NodePattern& node) {
  check_labels(context, node.labels, DiagnosticCode::UnknownNodeLabel);
  check_labels(context, node.other_labels, DiagnosticCode::UnknownNodeLabel);
  const PropertyMap* map = property_map(node.properties);
  if (map == nullptr) return;
  for (const PropertyEntry& entry : map->entries) {
    for (const std::string& label : node.labels) {
      if (!context.schema.has_label(label) || context.schema.label_has_property(label, entry.key)) {
        continue;
      }
      PropertyFix fix = property_fix(entry.key, context.schema.sorted_label_properties(label));
      context.sink.add_error(
          DiagnosticCode::UnknownNodeProperty,
          format_message(DiagnosticCode::UnknownNodeProperty, {entry.key, label, fix.hint}),
          std::move(fix.suggestion));
      context.sink.detail(DiagnosticDetail::about(entry.key, label));
    }
  }
}

void check_relationship_pattern(ValidationContext& context, const RelationshipPattern& relationship,
                                const std::vector<std::string>& left_labels,
                                const std::vector<std::string>& right_labels) {
  const PropertyMap* map = property_map(relationship.properties);
  for (const std::string& type : relationship.types) {
    const RelationshipType* rel = context.schema.relationship(type);
    if (rel == nullptr) {
      report_unknown_type(context, type, relationship, left_labels, right_labels);
      continue;
    }
    if (map != nullptr) {
      for (const PropertyEntry& entry : map->entries) {
        if (context.schema.type_has_property(type, entry.key)) continue;
        PropertyFix fix = property_fix(entry.key, context.schema.sorted_type_properties(type));
        context.sink.add_error(
            DiagnosticCode::UnknownRelProperty,
            format_message(DiagnosticCode::UnknownRelProperty, {entry.key, type, fix.hint}),
            std::move(fix.suggestion));
        context.sink.detail(DiagnosticDetail::about(entry.key, type));
      }
    }
    switch (relationship.direction) {
      case Direction::Right:
        check_endpoints(context, type, *rel, left_labels, right_labels);
        break;
      case Direction::Left:
        check_endpoints(context, type, *rel, right_labels, left_labels);
        break;
      case Direction::Both:
        break;
    }
  }
  // The names of a type expression that is more than a choice («:!R», «:R&S») are checked,
  // but they say nothing of the endpoints or the properties.
  for (const std::string& type : relationship.other_types) {
    if (!context.schema.has_type(type)) {
      report_unknown_type(context, type, relationship, left_labels, right_labels);
    }
  }
}

void check_property_on_variable(ValidationContext& context, std::string_view variable,
                                std::span<const std::string> keys) {
  const VariableScope::Names* bound = context.scope.find(variable);
  if (bound == nullptr || bound->empty()) return;
  for (const std::string& name : *bound) {
    bool is_label = context.schema.has_label(name);
    if (!is_label && !context.schema.has_type(name)) continue;
    for (const std::string& key : keys) {
      if (is_label ? context.schema.label_has_property(name, key)
                   : context.schema.type_has_property(name, key)) {
        continue;
      }
      DiagnosticCode code = is_label ? DiagnosticCode::UnknownNodePropertyOnVar
                                     : DiagnosticCode::UnknownRelPropertyOnVar;
      PropertyFix fix = property_fix(key, is_label ? context.schema.sorted_label_properties(name)
                                                   : context.schema.sorted_type_properties(name));
      context.sink.add_error(code, format_message(code, {key, variable, name, fix.hint}),
                             std::move(fix.suggestion));
      context.sink.detail(DiagnosticDetail::about(key, name));
    }
  }
}

void check_set_labels(ValidationContext& context, const std::vector<std::string>& labels) {
  check_labels(context, labels, DiagnosticCode::UnknownNodeLabelInSet);
}

void check_remove_labels(ValidationContext& context, const std::vector<std::string>& labels) {
  check_labels(context, labels, DiagnosticCode::UnknownNodeLabelInRemove);
}

void check_predicate_labels(ValidationContext& context, const std::vector<std::string>& labels) {
  check_labels(context, labels, DiagnosticCode::UnknownNodeLabel);
}

}  // namespace qarvex
