// Written once over the records' field lists, so that no field of the tree is missed: a new
// kind of expression or a new field reaches its clauses without a change here. The fields are
// declared in the order of the text, and the walk is depth-first in field order. Expressions and
// subqueries go through an explicit work list (operator chains can be very long); only the
// nesting of records inside one node recurses.
#include "parser/clause_list.hpp"

#include <type_traits>
#include <variant>

#include "parser/ast_fields.hpp"

namespace qarvex {
namespace {

using namespace ast_fields;

using Item = std::variant<ClauseFact, const Expression*, const RegularQuery*>;

// Appends, in field order, the clauses met in `value` and the expressions and subqueries it
// holds, without entering those.
template <typename T>
void gather(const T& value, std::vector<Item>& items) {
  if constexpr (std::is_same_v<T, Expression>) {
    items.emplace_back(&value);
  } else if constexpr (std::is_same_v<T, Box<Expression>> || std::is_same_v<T, Box<RegularQuery>>) {
    if (value) items.emplace_back(value.get());
  } else if constexpr (IsBox<T>::value || IsOptional<T>::value) {
    if (value) gather(*value, items);
  } else if constexpr (IsVector<T>::value) {
    if constexpr (!std::is_same_v<typename T::value_type, std::string>) {
      for (const auto& element : value) gather(element, items);
    }
  } else if constexpr (IsVariant<T>::value) {
    std::visit([&](const auto& alternative) { gather(alternative, items); }, value);
  } else if constexpr (HasFields<T>) {
    if constexpr (std::is_same_v<T, ReadingClause> || std::is_same_v<T, UpdatingClause>) {
      items.emplace_back(clause_fact(value));
    }
    std::apply([&](const auto&... field) { (gather(field, items), ...); }, value.fields());
  }
}

std::vector<ClauseFact> run(std::vector<Item> pending) {
  std::vector<ClauseFact> facts;
  std::vector<Item> found;
  std::vector<Item> work(pending.rbegin(), pending.rend());
  while (!work.empty()) {
    Item item = work.back();
    work.pop_back();
    found.clear();
    if (const auto* fact = std::get_if<ClauseFact>(&item)) {
      facts.push_back(*fact);
      continue;
    }
    if (const auto* expression = std::get_if<const Expression*>(&item)) {
      gather((*expression)->node, found);
    } else {
      gather(*std::get<const RegularQuery*>(item), found);
    }
    work.insert(work.end(), found.rbegin(), found.rend());
  }
  return facts;
}

}  // namespace

std::vector<ClauseFact> clauses_of(const Query& query) {
  std::vector<Item> items;
  if (const auto* call = std::get_if<ProcedureCall>(&query.node)) {
    items.emplace_back(ClauseFact{ClauseKind::CallProcedure, call});
    gather(*call, items);
  } else {
    items.emplace_back(&std::get<RegularQuery>(query.node));
  }
  return run(std::move(items));
}

std::vector<ClauseFact> clauses_within(const Expression& expression) {
  return run({Item{&expression}});
}

}  // namespace qarvex
