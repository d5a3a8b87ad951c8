// Copy, release, equality and debug printing of the syntax tree, written once over the field
// lists of the records. Expression children are handed to an explicit work list instead of
// being followed by recursion, which keeps the stack flat along operator, NOT and postfix
// chains of any length; the other nestings (subqueries, FOREACH bodies) follow the nesting of
// the query text, which the parser bounds.
#include "parser/ast.hpp"

#include <cstdio>
#include <type_traits>
#include <utility>

#include "parser/ast_fields.hpp"

namespace qarvex {
namespace {

using namespace ast_fields;

// Calls visit(a_i, b_i) for the matching fields of two records of one type.
template <typename A, typename B, typename Visit>
void zip_fields(A& a, B& b, Visit&& visit) {
  auto fa = a.fields();
  auto fb = b.fields();
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    (visit(std::get<I>(fa), std::get<I>(fb)), ...);
  }(std::make_index_sequence<std::tuple_size_v<decltype(fa)>>{});
}

// ---- Release -------------------------------------------------------------------------------

// Moves every expression box reachable from `value` without passing through another
// expression into `pending`, so that destroying `value` afterwards recurses no further.
template <typename T>
void detach_expressions(T& value, std::vector<Expression*>& pending) {
  if constexpr (std::is_same_v<T, Box<Expression>>) {
    if (value) pending.push_back(value.release());
  } else if constexpr (IsBox<T>::value) {
    if (value) detach_expressions(*value, pending);
  } else if constexpr (IsOptional<T>::value) {
    if (value) detach_expressions(*value, pending);
  } else if constexpr (IsVector<T>::value) {
    for (auto& element : value) detach_expressions(element, pending);
  } else if constexpr (IsVariant<T>::value) {
    std::visit([&](auto& alternative) { detach_expressions(alternative, pending); }, value);
  } else if constexpr (HasFields<T>) {
    std::apply([&](auto&... field) { (detach_expressions(field, pending), ...); },
               value.fields());
  }
}

// ---- Copy ----------------------------------------------------------------------------------

struct CopyTask {
  const Expression* source;
  Expression* target;
};

// Copies `source` into the default-constructed `target`; each expression child is allocated
// empty and queued, to be filled by the caller's loop.
template <typename T>
void copy_shallow(const T& source, T& target, std::vector<CopyTask>& tasks) {
  if constexpr (std::is_same_v<T, Box<Expression>>) {
    if (source) {
      target = Box<Expression>::adopt(new Expression);
      tasks.push_back({source.get(), target.get()});
    }
  } else if constexpr (IsBox<T>::value) {
    if (source) {
      target = Box<typename IsBox<T>::Pointee>::adopt(new typename IsBox<T>::Pointee);
      copy_shallow(*source, *target, tasks);
    }
  } else if constexpr (IsOptional<T>::value) {
    if (source) copy_shallow(*source, target.emplace(), tasks);
  } else if constexpr (IsVector<T>::value) {
    target.resize(source.size());
    for (std::size_t i = 0; i < source.size(); ++i) copy_shallow(source[i], target[i], tasks);
  } else if constexpr (IsVariant<T>::value) {
    std::visit(
        [&](const auto& alternative) {
          using Alternative = std::remove_cvref_t<decltype(alternative)>;
          copy_shallow(alternative, target.template emplace<Alternative>(), tasks);
        },
        source);
  } else if constexpr (HasFields<T>) {
    zip_fields(source, target, [&](const auto& from, auto& to) { copy_shallow(from, to, tasks); });
  } else {
    target = source;
  }
}

void run_copy(std::vector<CopyTask>& tasks) {
  while (!tasks.empty()) {
    CopyTask task = tasks.back();
    tasks.pop_back();
    copy_shallow(task.source->node, task.target->node, tasks);
  }
}

// ---- Equality ------------------------------------------------------------------------------

using ComparePairs = std::vector<std::pair<const Expression*, const Expression*>>;

template <typename T>
bool equal_shallow(const T& a, const T& b, ComparePairs& pairs) {
  if constexpr (std::is_same_v<T, Box<Expression>>) {
    if (!a || !b) return !a && !b;
    pairs.emplace_back(a.get(), b.get());
    return true;
  } else if constexpr (IsBox<T>::value || IsOptional<T>::value) {
    if (!a || !b) return !a && !b;
    return equal_shallow(*a, *b, pairs);
  } else if constexpr (IsVector<T>::value) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (!equal_shallow(a[i], b[i], pairs)) return false;
    }
    return true;
  } else if constexpr (IsVariant<T>::value) {
    if (a.index() != b.index()) return false;
    return std::visit(
        [&](const auto& alternative) {
          using Alternative = std::remove_cvref_t<decltype(alternative)>;
          return equal_shallow(alternative, *std::get_if<Alternative>(&b), pairs);
        },
        a);
  } else if constexpr (HasFields<T>) {
    bool same = true;
    zip_fields(a, b, [&](const auto& x, const auto& y) {
      same = same && equal_shallow(x, y, pairs);
    });
    return same;
  } else {
    return a == b;
  }
}

template <typename T>
bool equal_deep(const T& a, const T& b) {
  ComparePairs pairs;
  if (!equal_shallow(a, b, pairs)) return false;
  while (!pairs.empty()) {
    auto [x, y] = pairs.back();
    pairs.pop_back();
    if (!equal_shallow(x->node, y->node, pairs)) return false;
  }
  return true;
}

// ---- Debug printing ------------------------------------------------------------------------

template <typename Tuple>
constexpr bool wraps_variant() {
  if constexpr (std::tuple_size_v<Tuple> == 1) {
    return IsVariant<std::remove_cvref_t<std::tuple_element_t<0, Tuple>>>::value;
  } else {
    return false;
  }
}

template <typename T>
void print(const T& value, std::string& out);

void print_text(std::string_view text, std::string& out) {
  out += '"';
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
}

template <typename T>
void print(const T& value, std::string& out) {
  if constexpr (std::is_same_v<T, std::string>) {
    print_text(value, out);
  } else if constexpr (std::is_same_v<T, bool>) {
    out += value ? "true" : "false";
  } else if constexpr (std::is_same_v<T, Direction>) {
    out += value == Direction::Right ? "Right" : value == Direction::Left ? "Left" : "Both";
  } else if constexpr (std::is_same_v<T, PathSelector::Kind>) {
    static constexpr std::string_view kNames[] = {"Any",         "All",      "AnyShortest",
                                                  "AllShortest", "Shortest", "ShortestGroups"};
    out += kNames[static_cast<std::size_t>(value)];
  } else if constexpr (std::is_same_v<T, double>) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    out += buffer;
  } else if constexpr (std::is_integral_v<T>) {
    out += std::to_string(value);
  } else if constexpr (IsBox<T>::value || IsOptional<T>::value) {
    if (value) {
      print(*value, out);
    } else {
      out += '-';
    }
  } else if constexpr (IsVector<T>::value) {
    out += '[';
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (i > 0) out += ", ";
      print(value[i], out);
    }
    out += ']';
  } else if constexpr (IsVariant<T>::value) {
    std::visit([&](const auto& alternative) { print(alternative, out); }, value);
  } else if constexpr (HasFields<T>) {
    auto fields = value.fields();
    // A record that only wraps a variant prints as the alternative it holds.
    if constexpr (wraps_variant<decltype(fields)>()) {
      print(std::get<0>(fields), out);
    } else {
      out += T::kind_name;
      out += '(';
      bool first = true;
      std::apply(
          [&](const auto&... field) {
            ((out += first ? "" : ", ", first = false, print(field, out)), ...);
          },
          fields);
      out += ')';
    }
  }
}

template <typename T>
std::string print_to_string(const T& value) {
  std::string out;
  print(value, out);
  return out;
}

}  // namespace

const Expression* PropertyMap::find(std::string_view key) const {
  for (const PropertyEntry& entry : entries) {
    if (entry.key == key) return entry.value.get();
  }
  return nullptr;
}

Expression::Expression(const Expression& other) {
  std::vector<CopyTask> tasks;
  copy_shallow(other.node, node, tasks);
  run_copy(tasks);
}

Expression& Expression::operator=(const Expression& other) {
  if (this != &other) *this = Expression(other);
  return *this;
}

Expression* clone_node(const Expression& node) {
  Box<Expression> copy = Box<Expression>::adopt(new Expression);
  std::vector<CopyTask> tasks{{&node, copy.get()}};
  run_copy(tasks);
  return copy.release();
}

void release_node(Expression* node) noexcept {
  // The work list only allocates once a node with children turns up; leaves cost nothing.
  std::vector<Expression*> pending;
  for (Expression* next = node;;) {
    detach_expressions(next->node, pending);
    delete next;
    if (pending.empty()) return;
    next = pending.back();
    pending.pop_back();
  }
}

PatternElement* clone_node(const PatternElement& node) { return new PatternElement(node); }
void release_node(PatternElement* node) noexcept { delete node; }
RegularQuery* clone_node(const RegularQuery& node) { return new RegularQuery(node); }
void release_node(RegularQuery* node) noexcept { delete node; }

bool operator==(const Expression& a, const Expression& b) { return equal_deep(a, b); }
bool operator==(const Query& a, const Query& b) { return equal_deep(a, b); }

std::string debug_string(const Expression& expression) { return print_to_string(expression); }
std::string debug_string(const Query& query) { return print_to_string(query); }
std::string debug_string(const PatternElement& element) { return print_to_string(element); }

}  // namespace qarvex
