#include "validator/guardrails.hpp"

#include <algorithm>
#include <utility>

namespace qarvex {

namespace {
constexpr std::string_view namespace_wildcard = ".*";
}  // namespace

ProcedureAllowList::ProcedureAllowList(std::vector<std::string> entries)
    : entries_(std::move(entries)) {
  std::sort(entries_.begin(), entries_.end());
  entries_.erase(std::unique(entries_.begin(), entries_.end()), entries_.end());
}

bool ProcedureAllowList::allows(std::string_view name) const {
  auto holds = [&](std::string_view entry) {
    return std::binary_search(entries_.begin(), entries_.end(), entry, std::less<>());
  };
  if (holds(name)) return true;
  // Each namespace the name stands in, from the outermost: "db.*", then "db.index.*", ...
  std::string pattern;
  for (std::size_t dot = name.find('.'); dot != std::string_view::npos;
       dot = name.find('.', dot + 1)) {
    pattern.assign(name.substr(0, dot)).append(namespace_wildcard);
    if (holds(pattern)) return true;
  }
  return false;
}

std::optional<std::string_view> allow_list_entry_problem(std::string_view entry) {
  if (entry.empty()) return "an empty procedure name";
  std::string_view name = entry;
  if (name.ends_with(namespace_wildcard)) name.remove_suffix(namespace_wildcard.size());
  if (name.empty() || name.find('*') != std::string_view::npos) {
    return "a '*' may only end a namespace, as in 'db.*'";
  }
  return std::nullopt;
}

const Guardrails& no_guardrails() {
  static const Guardrails defaults;
  return defaults;
}

}  // namespace qarvex
