// Arbitrary bytes through the validator's text helpers: the name sites of a text that parses
// and its fixed query, the lower-case mapping and the did-you-mean search. Every result must
// stay inside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "parser/builder/build.hpp"
#include "validator/fixed_query.hpp"
#include "validator/suggestions.hpp"
#include "validator/unicode_lower.hpp"

using namespace qarvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);

  ValidationParse parsed = parse_for_validation(text);
  if (const auto* query = std::get_if<ParsedQuery>(&parsed)) {
    std::size_t previous_end = 0;
    for (const NameSite& site : query->name_sites) {
      if (site.begin < previous_end || site.end <= site.begin || site.end > text.size()) std::abort();
      previous_end = site.end;
    }
    std::vector<ValidationDiagnostic> diagnostics{
        {DiagnosticCode::UnknownNodeLabel, Severity::Error, "m", Suggestion{":a", ":`b c`", "d"}, {}},
        {DiagnosticCode::UnknownRelType, Severity::Error, "m", Suggestion{":R", ":S", "d"}, {}},
        {DiagnosticCode::UnknownNodeProperty, Severity::Error, "m", Suggestion{"k", "key", "d"}, {}}};
    if (!fixed_query(diagnostics, text, query->name_sites)) std::abort();
  }

  std::string lower = unicode_lower(text);
  if (lower.size() > 3 * text.size()) std::abort();

  std::size_t half = size / 2;
  std::vector<std::string> candidates{std::string(text.substr(half)), "Person", "name", ""};
  (void)closest_match(text.substr(0, half), candidates);
  return 0;
}
