#include "validator/scope.hpp"

#include <algorithm>

namespace qarvex {

const VariableScope::Names* VariableScope::find(std::string_view name) const {
  auto found = entries_.find(name);
  return found == entries_.end() ? nullptr : &found->second;
}

VariableScope::Names VariableScope::sorted_names() const {
  Names names;
  names.reserve(entries_.size());
  for (const auto& entry : entries_) names.push_back(entry.first);
  std::sort(names.begin(), names.end());
  return names;
}

void VariableScope::bind_pattern_variable(const std::string& name, const Names& names) {
  auto [slot, inserted] = entries_.try_emplace(name, names);
  if (inserted) return;
  Names& held = slot->second;
  for (const std::string& added : names) {
    if (std::find(held.begin(), held.end(), added) == held.end()) held.push_back(added);
  }
}

void VariableScope::bind_plain(const std::string& name, Names names) {
  entries_.insert_or_assign(name, std::move(names));
}

bool VariableScope::bind_temporary(const std::string& name) {
  return entries_.try_emplace(name).second;
}

void VariableScope::unbind(std::string_view name) {
  auto found = entries_.find(name);
  if (found != entries_.end()) entries_.erase(found);
}

}  // namespace qarvex
