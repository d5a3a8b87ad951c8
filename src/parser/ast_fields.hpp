// The shapes a field of the syntax tree can take, for code written once over the records'
// field lists (QARVEX_AST_FIELDS): records with fields, boxes, optionals, vectors, variants.
#pragma once

#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

#include "parser/ast_box.hpp"

namespace qarvex::ast_fields {

template <typename T>
concept HasFields = requires(T& value) { value.fields(); };

template <typename T>
struct IsBox : std::false_type {};
template <typename T>
struct IsBox<Box<T>> : std::true_type {
  using Pointee = T;
};
template <typename T>
struct IsOptional : std::false_type {};
template <typename T>
struct IsOptional<std::optional<T>> : std::true_type {};
template <typename T>
struct IsVector : std::false_type {};
template <typename T>
struct IsVector<std::vector<T>> : std::true_type {};
template <typename T>
struct IsVariant : std::false_type {};
template <typename... T>
struct IsVariant<std::variant<T...>> : std::true_type {};

}  // namespace qarvex::ast_fields
