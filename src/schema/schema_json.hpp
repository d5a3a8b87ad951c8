// The schema as a JSON document and back:
//   {"nodes":{label:[key,...],...},"relationships":{type:ENTRY or [ENTRY,...],...}}
// where ENTRY is [source,target,[key,...]]; a type with one pair is written as its ENTRY alone.
// The reader also takes the two-element array form [nodes, relationships], members in any
// order, and skips unknown members.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "schema/schema.hpp"

namespace qarvex {

// Compact JSON; labels, types and property keys in ascending byte order, so that equal schemas
// give equal texts.
std::string schema_to_json(const Schema& schema);

struct SchemaJsonError {
  std::string description;  // e.g. "missing field `relationships`"
  std::size_t line = 1;     // 1-based; see TextPosition for how the column counts
  std::size_t column = 1;

  // "{description} at line {line} column {column}"
  std::string message() const;
};

std::variant<Schema, SchemaJsonError> schema_from_json(std::string_view text);

}  // namespace qarvex
