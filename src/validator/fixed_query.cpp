#include "validator/fixed_query.hpp"

#include <algorithm>
#include <array>
#include <set>
#include <tuple>

#include "schema/schema.hpp"

namespace qarvex {
namespace {

// Label and type suggestions carry the ":" before the name; the name alone is what is written
// (possibly with spaces or a comment between it and its colon).
std::string_view bare_name(FixKind kind, std::string_view text) {
  if (kind != FixKind::PropertyKey && text.starts_with(':')) text.remove_prefix(1);
  return text;
}

FixKind fix_kind(NameKind kind) {
  switch (kind) {
    case NameKind::NodeLabel: return FixKind::NodeLabel;
    case NameKind::RelationshipType: return FixKind::RelationshipType;
    case NameKind::PropertyKey: return FixKind::PropertyKey;
  }
  return FixKind::None;
}

// Can stand unquoted as a label, type or key: a letter or "_", then letters, digits and "_"
// (reserved words included).
bool is_plain_name(std::string_view name) {
  auto word_char = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  };
  return !name.empty() && !(name[0] >= '0' && name[0] <= '9') &&
         std::all_of(name.begin(), name.end(), word_char);
}

// Neo4j quotes a backtick inside a name by doubling it.
std::string quoted_with_doubled_backticks(std::string_view name) {
  std::string quoted = "`";
  for (char c : name) {
    if (c == '`') quoted += '`';
    quoted += c;
  }
  quoted += '`';
  return quoted;
}

// For each kind of name, the corrections of each written name by their position in the
// order of application.
class CorrectionIndex {
 public:
  CorrectionIndex(const std::vector<Correction>& corrections, Dialect dialect) {
    written_.reserve(corrections.size());
    for (std::size_t i = 0; i < corrections.size(); ++i) {
      const Correction& c = corrections[i];
      by_name_[static_cast<std::size_t>(c.kind)][std::string(bare_name(c.kind, c.original))]
          .push_back(i);
      written_.push_back(written_name(bare_name(c.kind, c.replacement), dialect));
    }
  }

  // The name a site ends up with when the corrections are applied in order, each to the
  // result of the ones before; none when no correction applies.
  std::optional<std::string_view> corrected(FixKind kind, std::string_view name) const {
    const NameMap<std::vector<std::size_t>>& names = by_name_[static_cast<std::size_t>(kind)];
    std::optional<std::string_view> result;
    std::size_t next = 0;
    for (;;) {
      auto found = names.find(result.value_or(name));
      if (found == names.end()) return result;
      auto later = std::lower_bound(found->second.begin(), found->second.end(), next);
      if (later == found->second.end()) return result;
      result = written_[*later];
      next = *later + 1;
    }
  }

 private:
  std::array<NameMap<std::vector<std::size_t>>, 4> by_name_;  // indexed by FixKind
  std::vector<std::string> written_;
};

}  // namespace

// A name that could not stand unquoted (a space, a symbol) is written in backticks so that it
// still reads as a name; reserved words stand unquoted as names.
std::string written_name(std::string_view name, Dialect dialect) {
  if (dialect == Dialect::neo4j && !is_plain_name(name)) return quoted_with_doubled_backticks(name);
  if (is_plain_name(name) || name.starts_with('`') ||
      name.find('`') != std::string_view::npos) {
    return std::string(name);
  }
  std::string quoted = "`";
  quoted.append(name).append("`");
  return quoted;
}

std::optional<std::vector<Correction>> corrections_of(
    const std::vector<ValidationDiagnostic>& diagnostics) {
  std::vector<Correction> corrections;
  std::set<std::tuple<FixKind, std::string_view, std::string_view>> seen;
  bool any_error = false;
  for (const ValidationDiagnostic& diagnostic : diagnostics) {
    if (diagnostic.severity != Severity::Error) continue;
    any_error = true;
    FixKind kind = code_fix_kind(diagnostic.code);
    if (!diagnostic.suggestion || kind == FixKind::None) return std::nullopt;
    const Suggestion& suggestion = *diagnostic.suggestion;
    if (seen.emplace(kind, suggestion.original, suggestion.replacement).second) {
      corrections.push_back({kind, suggestion.original, suggestion.replacement});
    }
  }
  if (!any_error) return std::nullopt;
  std::stable_sort(corrections.begin(), corrections.end(),
                   [](const Correction& a, const Correction& b) {
                     return a.original.size() > b.original.size();
                   });
  return corrections;
}

std::string apply_corrections(std::string_view text, const std::vector<NameSite>& sites,
                              const std::vector<Correction>& corrections, Dialect dialect) {
  CorrectionIndex index(corrections, dialect);
  std::string fixed;
  fixed.reserve(text.size());
  std::size_t copied = 0;
  for (const NameSite& site : sites) {
    std::string_view written = text.substr(site.begin, site.end - site.begin);
    std::optional<std::string_view> name =
        dialect == Dialect::neo4j && written.starts_with('`')
            ? index.corrected(fix_kind(site.kind), unquoted_name(written))
            : index.corrected(fix_kind(site.kind), written);
    if (!name) continue;
    fixed.append(text.substr(copied, site.begin - copied)).append(*name);
    copied = site.end;
  }
  fixed.append(text.substr(copied));
  return fixed;
}

std::optional<std::string> fixed_query(const std::vector<ValidationDiagnostic>& diagnostics,
                                       std::string_view query, const std::vector<NameSite>& sites,
                                       Dialect dialect) {
  std::optional<std::vector<Correction>> corrections = corrections_of(diagnostics);
  if (!corrections) return std::nullopt;
  return apply_corrections(query, sites, *corrections, dialect);
}

}  // namespace qarvex
