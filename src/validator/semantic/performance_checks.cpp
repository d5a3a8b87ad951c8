// Warnings for MATCH clauses that are likely to be slow.
#include <string_view>
#include <unordered_set>

#include "validator/semantic/checks.hpp"

namespace qarvex {
namespace {

using VariableNames = std::unordered_set<std::string_view>;

// The path, node and relationship variables of one pattern part.
VariableNames part_variables(const PatternPart& part) {
  VariableNames names;
  auto add = [&](const std::optional<std::string>& name) {
    if (name) names.insert(*name);
  };
  add(part.variable);
  auto add_element = [&](const PatternElement& element, auto& self) -> void {
    add(element.start.variable);
    for (const PatternStep& step : element.chain) {
      if (step.group) self(*step.group->element, self);
      add(step.relationship.variable);
      add(step.node.variable);
    }
  };
  add_element(part.element, add_element);
  return names;
}

// A label expression of any kind narrows the scan; so does a quantified path pattern beside
// the node, whose own nodes are looked at instead.
bool is_unlabeled(const NodePattern& node) {
  return node.labels.empty() && node.other_labels.empty() && node.dynamic_labels.empty();
}

bool is_anonymous(const NodePattern& node) {
  return is_unlabeled(node) && !node.variable && !node.properties && !node.where_clause;
}

bool has_unlabeled_node(const PatternElement& element) {
  bool beside_group = !element.chain.empty() && element.chain.front().group;
  if (is_unlabeled(element.start) && !(beside_group && is_anonymous(element.start))) return true;
  for (const PatternStep& step : element.chain) {
    if (step.group && has_unlabeled_node(*step.group->element)) return true;
    if (is_unlabeled(step.node) && !(step.group && is_anonymous(step.node))) return true;
  }
  return false;
}

bool has_unlabeled_node(const Pattern& pattern) {
  for (const PatternPart& part : pattern.parts) {
    if (has_unlabeled_node(part.element)) return true;
  }
  return false;
}

bool is_unbounded(const std::optional<LengthRange>& range) { return range && !range->max; }

}  // namespace

void check_cartesian_product(ValidationContext& context, const Pattern& pattern) {
  if (pattern.parts.size() < 2) return;
  VariableNames seen = part_variables(pattern.parts.front());
  for (std::size_t i = 1; i < pattern.parts.size(); ++i) {
    VariableNames names = part_variables(pattern.parts[i]);
    bool connected = false;
    for (std::string_view name : names) connected = connected || seen.contains(name);
    if (!connected) {
      context.sink.add_warning(DiagnosticCode::CartesianProduct,
                               format_message(DiagnosticCode::CartesianProduct, {}));
      return;
    }
    seen.merge(names);
  }
}

void check_match_scans(ValidationContext& context, const MatchClause& match) {
  if (!match.where_clause && has_unlabeled_node(match.pattern)) {
    context.sink.add_warning(DiagnosticCode::UnlabeledFullScan,
                             format_message(DiagnosticCode::UnlabeledFullScan, {}));
  }
  for (const PatternPart& part : match.pattern.parts) {
    for (const PatternStep& step : part.element.chain) {
      // «*», «+» and «{n,}» repeat without bound too.
      bool unbounded = is_unbounded(step.relationship.range) ||
                       is_unbounded(step.relationship.quantifier) ||
                       (step.group && !step.group->quantifier.max);
      if (unbounded) {
        context.sink.add_warning(DiagnosticCode::UnboundedVarLength,
                                 format_message(DiagnosticCode::UnboundedVarLength, {}));
      }
    }
  }
}

}  // namespace qarvex
