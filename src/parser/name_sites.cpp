#include "parser/name_sites.hpp"

#include <optional>
#include <string>

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
    if (std::optional<NameKind> kind = kind_of(record.rule.as<Rule>())) {
      sites.push_back({*kind, record.start, record.end});
    }
  }
  return sites;
}

std::string unquoted_name(std::string_view text) {
  if (text.size() < 2 || text.front() != '`' || text.back() != '`') return std::string(text);
  std::string name;
  for (std::size_t at = 1; at + 1 < text.size(); ++at) {
    if (text[at] == '`') {
      // Inside one quoted name every backtick is half of a doubled one.
      if (text[at + 1] != '`' || at + 2 == text.size()) return std::string(text);
      ++at;
    }
    name.push_back(text[at]);
  }
  return name;
}

}  // namespace qarvex
