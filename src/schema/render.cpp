#include "schema/render.hpp"

#include <cstddef>
#include <string_view>
#include <vector>

namespace qarvex {
namespace {

// Names in the plain listing are padded to this many characters (Unicode scalar values).
constexpr std::size_t name_column_width = 26;

constexpr std::string_view em_dash = "\u2014";
constexpr std::string_view arrow = "\u2192";

std::string joined(const std::vector<std::string>& keys) {
  std::string out;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (i != 0) out += ", ";
    out += keys[i];
  }
  return out;
}

// Scalar values in well-formed UTF-8: every byte that is not a continuation byte starts one.
std::size_t character_count(std::string_view text) {
  std::size_t count = 0;
  for (char byte : text) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return count;
}

void append_padded(std::string& out, std::string_view name) {
  out += name;
  std::size_t width = character_count(name);
  if (width < name_column_width) out.append(name_column_width - width, ' ');
}

std::string joined_or_dash(const std::vector<std::string>& keys) {
  return keys.empty() ? std::string(em_dash) : joined(keys);
}

}  // namespace

std::string render_prompt(const Schema& schema) {
  std::string out = "Graph Schema\n============\n\nNodes\n-----\n";
  for (const std::string& label : schema.sorted_labels()) {
    std::vector<std::string> keys = schema.sorted_label_properties(label);
    out += "  :";
    if (keys.empty()) {
      out += label;
    } else {
      append_padded(out, label);
      out += "  ";
      out += joined(keys);
    }
    out += '\n';
  }
  out += "\nRelationships\n-------------\n";
  for (const std::string& type : schema.sorted_types()) {
    for (const EndpointEntry& entry : schema.relationship(type)->entries()) {
      out += "  :";
      append_padded(out, type);
      out += "  (" + entry.source + ")-->(" + entry.target + ")";
      if (!entry.properties.empty()) out += "   " + joined(sorted_names(entry.properties));
      out += '\n';
    }
  }
  return out;
}

std::string render_markdown(const Schema& schema) {
  std::string out = "### Nodes\n\n| Label | Properties |\n|---|---|\n";
  for (const std::string& label : schema.sorted_labels()) {
    out += "| :" + label + " | " + joined_or_dash(schema.sorted_label_properties(label)) + " |\n";
  }
  out += "\n### Relationships\n\n| Type | Source ";
  out += arrow;
  out += " Target | Properties |\n|---|---|---|\n";
  for (const std::string& type : schema.sorted_types()) {
    for (const EndpointEntry& entry : schema.relationship(type)->entries()) {
      out += "| :" + type + " | :" + entry.source + " ";
      out += arrow;
      out += " :" + entry.target + " | " + joined_or_dash(sorted_names(entry.properties)) + " |\n";
    }
  }
  return out;
}

std::string render_cypher_context(const Schema& schema) {
  std::string out = "// Node labels and their properties\n";
  for (const std::string& label : schema.sorted_labels()) {
    std::vector<std::string> keys = schema.sorted_label_properties(label);
    out += "(:" + label;
    if (!keys.empty()) out += " {" + joined(keys) + "}";
    out += ")\n";
  }
  out += "\n// Relationship types\n";
  for (const std::string& type : schema.sorted_types()) {
    for (const EndpointEntry& entry : schema.relationship(type)->entries()) {
      out += "(:" + entry.source + ")-[:" + type;
      if (!entry.properties.empty()) out += " {" + joined(sorted_names(entry.properties)) + "}";
      out += "]->(:" + entry.target + ")\n";
    }
  }
  return out;
}

}  // namespace qarvex
