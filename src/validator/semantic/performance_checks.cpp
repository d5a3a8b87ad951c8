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
  add(part.element.start.variable);
  for (const PatternStep& step : part.element.chain) {
    add(step.relationship.variable);
    add(step.node.variable);
  }
  return names;
}

bool has_unlabeled_node(const Pattern& pattern) {
  for (const PatternPart& part : pattern.parts) {
    if (part.element.start.labels.empty()) return true;
    for (const PatternStep& step : part.element.chain) {
      if (step.node.labels.empty()) return true;
    }
  }
  return false;
}

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
      if (step.relationship.range && !step.relationship.range->max) {
        context.sink.add_warning(DiagnosticCode::UnboundedVarLength,
                                 format_message(DiagnosticCode::UnboundedVarLength, {}));
      }
    }
  }
}

}  // namespace qarvex
