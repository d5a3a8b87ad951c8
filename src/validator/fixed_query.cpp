#include "validator/fixed_query.hpp"

#include <algorithm>

#include "validator/name_sites.hpp"
#include "validator/query_lexer.hpp"

namespace qarvex {
namespace {

bool same_correction(const Correction& a, const Correction& b) {
  return a.kind == b.kind && a.original == b.original && a.replacement == b.replacement;
}

// Label and type suggestions carry the ":" before the name; the name alone is what is written
// (possibly with spaces or a comment between it and its colon).
std::string_view bare_name(const Correction& correction, std::string_view text) {
  if (correction.kind != FixKind::PropertyKey && text.starts_with(':')) text.remove_prefix(1);
  return text;
}

// A replacement that could not stand unquoted (a reserved word, a space) is written in
// backticks so that the corrected query still reads as a name.
std::string written_name(std::string_view name) {
  if (is_plain_identifier(name) || name.starts_with('`') ||
      name.find('`') != std::string_view::npos) {
    return std::string(name);
  }
  std::string quoted = "`";
  quoted.append(name).append("`");
  return quoted;
}

}  // namespace

std::optional<std::vector<Correction>> corrections_of(
    const std::vector<ValidationDiagnostic>& diagnostics) {
  std::vector<Correction> corrections;
  bool any_error = false;
  for (const ValidationDiagnostic& diagnostic : diagnostics) {
    if (diagnostic.severity != Severity::Error) continue;
    any_error = true;
    FixKind kind = code_fix_kind(diagnostic.code);
    if (!diagnostic.suggestion || kind == FixKind::None) return std::nullopt;
    Correction correction{kind, diagnostic.suggestion->original, diagnostic.suggestion->replacement};
    bool seen = std::any_of(corrections.begin(), corrections.end(),
                            [&](const Correction& c) { return same_correction(c, correction); });
    if (!seen) corrections.push_back(std::move(correction));
  }
  if (!any_error) return std::nullopt;
  std::stable_sort(corrections.begin(), corrections.end(),
                   [](const Correction& a, const Correction& b) {
                     return a.original.size() > b.original.size();
                   });
  return corrections;
}

std::string apply_correction(std::string_view text, const Correction& correction) {
  std::string_view name = bare_name(correction, correction.original);
  std::string replacement = written_name(bare_name(correction, correction.replacement));
  std::string fixed;
  fixed.reserve(text.size());
  std::size_t copied = 0;
  for (const NameSite& site : find_name_sites(text)) {
    if (site.kind != correction.kind || text.substr(site.begin, site.end - site.begin) != name) {
      continue;
    }
    fixed.append(text.substr(copied, site.begin - copied)).append(replacement);
    copied = site.end;
  }
  fixed.append(text.substr(copied));
  return fixed;
}

std::optional<std::string> fixed_query(const std::vector<ValidationDiagnostic>& diagnostics,
                                       std::string_view query) {
  std::optional<std::vector<Correction>> corrections = corrections_of(diagnostics);
  if (!corrections) return std::nullopt;
  std::string text(query);
  for (const Correction& correction : *corrections) text = apply_correction(text, correction);
  return text;
}

}  // namespace qarvex
