#include "parser/name_sites.hpp"

#include <optional>

namespace qarvex {
namespace {

std::optional<NameKind> kind_of(Rule rule) {
  switch (rule) {
    case Rule::label_name: return NameKind::NodeLabel;
    case Rule::rel_type_name: return NameKind::RelationshipType;
    case Rule::property_key_name: return NameKind::PropertyKey;
    default: return std::nullopt;
  }
}

}  // namespace

std::vector<NameSite> name_sites(const ParseTree& tree) {
  std::vector<NameSite> sites;
  // The records are in pre-order, and name rules are atomic (no nested names), so the sites
  // come out in source order.
  for (const NodeRecord& record : tree.records()) {
    if (std::optional<NameKind> kind = kind_of(record.rule)) {
      sites.push_back({*kind, record.start, record.end});
    }
  }
  return sites;
}

}  // namespace qarvex
