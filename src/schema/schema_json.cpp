#include "schema/schema_json.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/json_reader.hpp"
#include "base/json_writer.hpp"

namespace qarvex {
namespace {

// The entries of a map, or the names of a set, in ascending byte order (std::string_view
// compares bytes as unsigned values). Pointers and views, so that sorting copies no names.
template <typename Map>
std::vector<const typename Map::value_type*> sorted_entries(const Map& map) {
  std::vector<const typename Map::value_type*> entries;
  entries.reserve(map.size());
  for (const auto& entry : map) entries.push_back(&entry);
  std::sort(entries.begin(), entries.end(), [](const auto* a, const auto* b) {
    return std::string_view(a->first) < std::string_view(b->first);
  });
  return entries;
}

void write_names(JsonWriter& json, const NameSet& names) {
  std::vector<std::string_view> sorted(names.begin(), names.end());
  std::sort(sorted.begin(), sorted.end());
  json.begin_array();
  for (std::string_view name : sorted) json.string(name);
  json.end_array();
}

void write_entry(JsonWriter& json, const EndpointEntry& entry) {
  json.begin_array();
  json.string(entry.source);
  json.string(entry.target);
  write_names(json, entry.properties);
  json.end_array();
}

// A type with one pair is written as that entry alone, as before types could hold several.
void write_relationship(JsonWriter& json, const RelationshipType& rel) {
  if (rel.entries().size() == 1) {
    write_entry(json, rel.entries().front());
    return;
  }
  json.begin_array();
  for (const EndpointEntry& entry : rel.entries()) write_entry(json, entry);
  json.end_array();
}

// The shapes a document may hold, as named in messages.
constexpr std::string_view expect_schema = "struct Schema";
constexpr std::string_view expect_schema_array = "struct Schema with 2 elements";
constexpr std::string_view expect_map = "a map";
constexpr std::string_view expect_sequence = "a sequence";
constexpr std::string_view expect_string = "a string";
constexpr std::string_view expect_tuple = "a tuple of size 3";

// Reads a schema document through a JsonReader, checking its shape on the way. Each read_*
// returns nothing once the reader has failed.
class SchemaDocumentReader {
 public:
  explicit SchemaDocumentReader(std::string_view text) : json_(text) {}

  std::optional<Schema> read() {
    std::optional<JsonKind> kind = json_.peek_value();
    if (!kind) return std::nullopt;
    std::optional<Schema> schema;
    if (kind == JsonKind::Object) {
      schema = read_object_form();
    } else if (kind == JsonKind::Array) {
      schema = read_array_form();
    } else {
      invalid_type(expect_schema);
    }
    if (!schema || !json_.finish()) return std::nullopt;
    return schema;
  }

  const JsonReader& json() const { return json_; }

 private:
  using Nodes = NameMap<NameSet>;
  using Relationships = NameMap<RelationshipType>;

  std::optional<Schema> read_object_form() {
    json_.begin_object();
    std::optional<Nodes> nodes;
    std::optional<Relationships> relationships;
    std::string key;
    JsonReader::Step step;
    while ((step = json_.next_member(key)) == JsonReader::Step::Item) {
      std::size_t key_offset = json_.token_offset();
      bool read = true;
      if (key == "nodes") {
        read = !nodes ? assign(nodes, read_nodes()) : duplicate(key_offset, key);
      } else if (key == "relationships") {
        read = !relationships ? assign(relationships, read_relationships())
                              : duplicate(key_offset, key);
      } else {
        read = json_.skip_value();
      }
      if (!read) return std::nullopt;
    }
    if (step == JsonReader::Step::Error) return std::nullopt;
    std::size_t closing = json_.token_offset();
    if (!nodes) return missing(closing, "nodes");
    if (!relationships) return missing(closing, "relationships");
    return Schema(std::move(*nodes), std::move(*relationships));
  }

  std::optional<Schema> read_array_form() {
    json_.begin_array();
    std::optional<Nodes> nodes;
    std::optional<Relationships> relationships;
    if (!next_required_element(0, expect_schema_array) || !assign(nodes, read_nodes()) ||
        !next_required_element(1, expect_schema_array) ||
        !assign(relationships, read_relationships()) || !end_of_array(2, expect_schema_array)) {
      return std::nullopt;
    }
    return Schema(std::move(*nodes), std::move(*relationships));
  }

  std::optional<Nodes> read_nodes() {
    if (!expect(JsonKind::Object, expect_map)) return std::nullopt;
    json_.begin_object();
    Nodes nodes;
    std::string label;
    JsonReader::Step step;
    while ((step = json_.next_member(label)) == JsonReader::Step::Item) {
      std::optional<NameSet> keys = read_keys();
      if (!keys) return std::nullopt;
      nodes.insert_or_assign(std::move(label), std::move(*keys));
    }
    if (step == JsonReader::Step::Error) return std::nullopt;
    return nodes;
  }

  std::optional<Relationships> read_relationships() {
    if (!expect(JsonKind::Object, expect_map)) return std::nullopt;
    json_.begin_object();
    Relationships relationships;
    std::string type;
    JsonReader::Step step;
    while ((step = json_.next_member(type)) == JsonReader::Step::Item) {
      std::optional<RelationshipType> rel = read_relationship();
      if (!rel) return std::nullopt;
      relationships.insert_or_assign(std::move(type), std::move(*rel));
    }
    if (step == JsonReader::Step::Error) return std::nullopt;
    return relationships;
  }

  // One entry, [source, target, [key, ...]], or a list of them, [[source, target, [...]], ...];
  // an array is a list when its first element is an array itself.
  std::optional<RelationshipType> read_relationship() {
    if (!expect(JsonKind::Array, expect_tuple)) return std::nullopt;
    json_.begin_array();
    if (!next_required_element(0, expect_tuple)) return std::nullopt;
    std::optional<JsonKind> first = json_.peek_value();
    if (!first) return std::nullopt;
    if (*first == JsonKind::Array) return read_entry_list();
    std::optional<EndpointEntry> entry = read_entry_fields();
    if (!entry) return std::nullopt;
    return RelationshipType(std::move(*entry));
  }

  // The entries of a list whose first entry is next; a repeated pair is united with the first.
  std::optional<RelationshipType> read_entry_list() {
    std::optional<EndpointEntry> first = read_entry();
    if (!first) return std::nullopt;
    RelationshipType rel(std::move(*first));
    JsonReader::Step step;
    while ((step = json_.next_element()) == JsonReader::Step::Item) {
      std::optional<EndpointEntry> entry = read_entry();
      if (!entry) return std::nullopt;
      rel.add(std::move(*entry));
    }
    if (step == JsonReader::Step::Error) return std::nullopt;
    return rel;
  }

  std::optional<EndpointEntry> read_entry() {
    if (!expect(JsonKind::Array, expect_tuple)) return std::nullopt;
    json_.begin_array();
    if (!next_required_element(0, expect_tuple)) return std::nullopt;
    return read_entry_fields();
  }

  // The three elements of an entry whose array is open and placed before its first element.
  std::optional<EndpointEntry> read_entry_fields() {
    EndpointEntry entry;
    std::optional<NameSet> keys;
    if (!read_string(entry.source) || !next_required_element(1, expect_tuple) ||
        !read_string(entry.target) || !next_required_element(2, expect_tuple) ||
        !assign(keys, read_keys()) || !end_of_array(3, expect_tuple)) {
      return std::nullopt;
    }
    entry.properties = std::move(*keys);
    return entry;
  }

  // An array of strings; a repeated key is kept once.
  std::optional<NameSet> read_keys() {
    if (!expect(JsonKind::Array, expect_sequence)) return std::nullopt;
    json_.begin_array();
    NameSet keys;
    std::string key;
    JsonReader::Step step;
    while ((step = json_.next_element()) == JsonReader::Step::Item) {
      if (!read_string(key)) return std::nullopt;
      keys.insert(std::move(key));
    }
    if (step == JsonReader::Step::Error) return std::nullopt;
    return keys;
  }

  bool read_string(std::string& out) {
    return expect(JsonKind::String, expect_string) && json_.read_string(out);
  }

  // The next value must be of `kind`; anything else is described as found.
  bool expect(JsonKind kind, std::string_view expected) {
    std::optional<JsonKind> found = json_.peek_value();
    if (!found) return false;
    if (*found == kind) return true;
    return invalid_type(expected);
  }

  bool invalid_type(std::string_view expected) {
    std::size_t offset = json_.token_offset();
    std::optional<std::string> found = json_.describe_value();
    if (!found) return false;
    return json_.fail(offset, "invalid type: " + *found + ", expected " + std::string(expected));
  }

  // Element `index` (0-based) of a fixed-length array must follow.
  bool next_required_element(std::size_t index, std::string_view expected) {
    JsonReader::Step step = json_.next_element();
    if (step == JsonReader::Step::End) return invalid_length(json_.token_offset(), index, expected);
    return step == JsonReader::Step::Item;
  }

  // After `length` elements the array must end. Surplus elements are read (and checked) to
  // count them; the error then points at the first of them.
  bool end_of_array(std::size_t length, std::string_view expected) {
    JsonReader::Step step = json_.next_element();
    if (step != JsonReader::Step::Item) return step == JsonReader::Step::End;
    std::size_t first_surplus = json_.token_offset();
    std::size_t actual = length;
    do {
      if (!json_.skip_value()) return false;
      ++actual;
    } while ((step = json_.next_element()) == JsonReader::Step::Item);
    if (step == JsonReader::Step::Error) return false;
    return invalid_length(first_surplus, actual, expected);
  }

  bool invalid_length(std::size_t offset, std::size_t length, std::string_view expected) {
    return json_.fail(offset, "invalid length " + std::to_string(length) + ", expected " +
                                  std::string(expected));
  }

  bool duplicate(std::size_t offset, const std::string& field) {
    return json_.fail(offset, "duplicate field `" + field + "`");
  }

  std::nullopt_t missing(std::size_t offset, std::string_view field) {
    json_.fail(offset, "missing field `" + std::string(field) + "`");
    return std::nullopt;
  }

  template <typename Value>
  static bool assign(std::optional<Value>& slot, std::optional<Value> value) {
    if (!value) return false;
    slot = std::move(value);
    return true;
  }

  JsonReader json_;
};

}  // namespace

std::string schema_to_json(const Schema& schema) {
  JsonWriter json;
  json.begin_object();
  json.key("nodes");
  json.begin_object();
  for (const auto* node : sorted_entries(schema.nodes())) {
    json.key(node->first);
    write_names(json, node->second);
  }
  json.end_object();
  json.key("relationships");
  json.begin_object();
  for (const auto* relationship : sorted_entries(schema.relationships())) {
    json.key(relationship->first);
    write_relationship(json, relationship->second);
  }
  json.end_object();
  json.end_object();
  return json.take();
}

std::string SchemaJsonError::message() const {
  return description + " at line " + std::to_string(line) + " column " + std::to_string(column);
}

std::variant<Schema, SchemaJsonError> schema_from_json(std::string_view text) {
  SchemaDocumentReader reader(text);
  std::optional<Schema> schema = reader.read();
  if (schema) return std::move(*schema);
  if (!reader.json().failed()) return SchemaJsonError{"expected value", 1, 1};  // unreachable
  const JsonError& error = reader.json().error();
  TextPosition position = text_position(text, error.offset);
  return SchemaJsonError{error.description, position.line, position.column};
}

}  // namespace qarvex
