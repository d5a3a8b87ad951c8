// Reads the "query" field of every record of a JSON-lines corpus file. Only as much JSON as
// those files use is understood: the field is a string with the standard escapes.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf8.hpp"

namespace qarvex::testing_support {

inline std::uint32_t hex4(std::string_view digits) {
  return static_cast<std::uint32_t>(std::stoul(std::string(digits), nullptr, 16));
}

// The JSON string starting at `line[pos]` (just after its opening quote), decoded.
inline std::string decode_json_string(std::string_view line, std::size_t pos) {
  std::string out;
  while (pos < line.size() && line[pos] != '"') {
    char c = line[pos++];
    if (c != '\\') {
      out.push_back(c);
      continue;
    }
    char e = line[pos++];
    switch (e) {
      case 'n': out.push_back('\n'); break;
      case 't': out.push_back('\t'); break;
      case 'r': out.push_back('\r'); break;
      case 'b': out.push_back('\b'); break;
      case 'f': out.push_back('\f'); break;
      case 'u': {
        std::uint32_t code = hex4(line.substr(pos, 4));
        pos += 4;
        if (code >= 0xD800 && code < 0xDC00 && line.substr(pos, 2) == "\\u") {
          std::uint32_t low = hex4(line.substr(pos + 2, 4));
          pos += 6;
          code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        append_utf8(out, static_cast<char32_t>(code));
        break;
      }
      default: out.push_back(e);
    }
  }
  return out;
}

// Every query of the file; empty when the file is missing.
inline std::vector<std::string> read_corpus_queries(const std::string& path) {
  std::vector<std::string> queries;
  std::ifstream in(path);
  std::string line;
  constexpr std::string_view kField = "\"query\": \"";
  while (std::getline(in, line)) {
    std::size_t at = line.find(kField);
    if (at != std::string::npos) queries.push_back(decode_json_string(line, at + kField.size()));
  }
  return queries;
}

inline const char* const kCorpusFiles[] = {"tck-queries.jsonl", "neo4j-text2cypher.jsonl"};

// The corpus folder next to the checkout's parent, where the shared data lives.
inline std::string corpus_path(const std::string& source_dir, const char* file) {
  return source_dir + "/../shared/corpus/" + file;
}

}  // namespace qarvex::testing_support
