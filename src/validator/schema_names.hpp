// The labels and relationship types of a schema, sorted and indexed for "did you mean": made
// once per schema and read by every query checked against it.
#pragma once

#include <utility>

#include "schema/schema.hpp"
#include "validator/name_index.hpp"

namespace qarvex {

struct SchemaNames {
  explicit SchemaNames(const Schema& schema)
      : labels(schema.sorted_labels()), types(schema.sorted_types()) {}

  NameIndex labels;
  NameIndex types;
};

// A schema with its names, as a validator keeps them.
struct IndexedSchema {
  explicit IndexedSchema(Schema from) : schema(std::move(from)), names(schema) {}

  Schema schema;
  SchemaNames names;
};

}  // namespace qarvex
