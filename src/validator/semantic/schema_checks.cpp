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
    std::optional<std::string> best = closest_match(label, context.known_labels());
    context.sink.add_error(code, format_message(code, {label, did_you_mean_hint(":", best)}),
                           label_suggestion(label, context.known_labels()));
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

void check_endpoint(ValidationContext& context, const std::vector<std::string>& labels,
                    std::string_view expected, std::string_view role, std::string_view type) {
  if (labels.empty()) return;
  if (std::find(labels.begin(), labels.end(), expected) != labels.end()) return;
  bool any_declared = std::any_of(labels.begin(), labels.end(),
                                  [&](const std::string& label) { return context.schema.has_label(label); });
  if (!any_declared) return;
  context.sink.add_error(DiagnosticCode::WrongEndpointLabel,
                         format_message(DiagnosticCode::WrongEndpointLabel,
                                        {type, role, expected, written_labels(labels)}));
}

}  // namespace

void check_node_pattern(ValidationContext& context, const NodePattern& node) {
  check_labels(context, node.labels, DiagnosticCode::UnknownNodeLabel);
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
    }
  }
}

void check_relationship_pattern(ValidationContext& context, const RelationshipPattern& relationship,
                                const std::vector<std::string>& left_labels,
                                const std::vector<std::string>& right_labels) {
  const PropertyMap* map = property_map(relationship.properties);
  for (const std::string& type : relationship.types) {
    std::optional<Endpoints> endpoints = context.schema.endpoints(type);
    if (!endpoints) {
      std::optional<std::string> best = closest_match(type, context.known_types());
      context.sink.add_error(
          DiagnosticCode::UnknownRelType,
          format_message(DiagnosticCode::UnknownRelType, {type, did_you_mean_hint(":", best)}),
          label_suggestion(type, context.known_types()));
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
      }
    }
    switch (relationship.direction) {
      case Direction::Right:
        check_endpoint(context, left_labels, endpoints->source, "source", type);
        check_endpoint(context, right_labels, endpoints->target, "target", type);
        break;
      case Direction::Left:
        check_endpoint(context, right_labels, endpoints->source, "source", type);
        check_endpoint(context, left_labels, endpoints->target, "target", type);
        break;
      case Direction::Both:
        break;
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
    }
  }
}

void check_set_labels(ValidationContext& context, const std::vector<std::string>& labels) {
  check_labels(context, labels, DiagnosticCode::UnknownNodeLabelInSet);
}

void check_remove_labels(ValidationContext& context, const std::vector<std::string>& labels) {
  check_labels(context, labels, DiagnosticCode::UnknownNodeLabelInRemove);
}

}  // namespace qarvex
