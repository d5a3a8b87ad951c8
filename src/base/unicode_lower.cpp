#include "base/unicode_lower.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "base/ascii.hpp"
#include "base/unicode_lower_data.hpp"
#include "base/utf8.hpp"

namespace qarvex {
namespace {

using unicode_data::CodeRange;
using unicode_data::LowerRun;
using unicode_data::LowerText;

// One decoded unit of the input: a code point, or a byte that is not valid UTF-8.
struct Unit {
  std::size_t begin;
  std::size_t length;
  std::optional<char32_t> code;
};

std::uint8_t byte_at(std::string_view text, std::size_t at) {
  return static_cast<std::uint8_t>(text[at]);
}

// The well-formed UTF-8 sequence starting at `begin`, or a single invalid byte.
Unit decode(std::string_view text, std::size_t begin) {
  std::uint8_t lead = byte_at(text, begin);
  if (lead < 0x80) return {begin, 1, lead};
  std::size_t length;
  char32_t code;
  std::uint8_t low = 0x80;  // bounds of the second byte exclude overlong forms, surrogates
  std::uint8_t high = 0xBF;  // and values past U+10FFFF
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {begin, 1, std::nullopt};
  }
  if (begin + length > text.size()) return {begin, 1, std::nullopt};
  for (std::size_t i = 1; i < length; ++i) {
    std::uint8_t next = byte_at(text, begin + i);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
      return {begin, 1, std::nullopt};
    }
    code = (code << 6) | (next & 0x3F);
  }
  return {begin, length, code};
}

bool in_ranges(std::span<const CodeRange> ranges, char32_t code) {
  auto after = std::upper_bound(ranges.begin(), ranges.end(), code,
                                [](char32_t c, const CodeRange& r) { return c < r.first; });
  return after != ranges.begin() && code <= std::prev(after)->last;
}

bool is_cased(const Unit& unit) {
  return unit.code && in_ranges({unicode_data::cased_ranges, unicode_data::cased_range_count},
                                *unit.code);
}

bool is_case_ignorable(const Unit& unit) {
  return unit.code &&
         in_ranges({unicode_data::case_ignorable_ranges, unicode_data::case_ignorable_range_count},
                   *unit.code);
}

const char* text_mapping(std::span<const LowerText> table, char32_t code) {
  auto found = std::lower_bound(table.begin(), table.end(), code,
                                [](const LowerText& t, char32_t c) { return t.code < c; });
  return found != table.end() && found->code == code ? found->utf8 : nullptr;
}

char32_t single_mapping(char32_t code) {
  std::span<const LowerRun> runs{unicode_data::lower_runs, unicode_data::lower_run_count};
  auto after = std::upper_bound(runs.begin(), runs.end(), code,
                                [](char32_t c, const LowerRun& r) { return c < r.first; });
  if (after == runs.begin()) return code;
  const LowerRun& run = *std::prev(after);
  if (code > run.last || (code - run.first) % run.stride != 0) return code;
  return static_cast<char32_t>(static_cast<std::int64_t>(code) + run.delta);
}

// Whether the text from `at` on shows a cased letter after nothing but case-ignorable
// characters. A character that is both (a modifier letter such as U+02B0) is skipped as
// case-ignorable, the reading that established libraries agree on.
bool cased_letter_follows(std::string_view text, std::size_t at) {
  while (at < text.size()) {
    Unit unit = decode(text, at);
    if (!is_case_ignorable(unit)) return is_cased(unit);
    at += unit.length;
  }
  return false;
}

// Lower-cases unit by unit. The look back of the final-sigma rule is a running flag (was the
// last character that is not case-ignorable cased?); the look ahead decodes forward and stops
// at the first character that is not case-ignorable, so no run is read more than twice.
class Lowerer {
 public:
  explicit Lowerer(std::string_view text) : text_(text) {
    out_.reserve(text.size() + text.size() / 2);
  }

  std::string run() && {
    for (std::size_t at = 0; at < text_.size();) {
      Unit unit = decode(text_, at);
      at += unit.length;
      append(unit, at);
      if (!is_case_ignorable(unit)) cased_before_ = is_cased(unit);
    }
    return std::move(out_);
  }

 private:
  void append(const Unit& unit, std::size_t next) {
    if (!unit.code) {
      out_.append(text_.substr(unit.begin, unit.length));
      return;
    }
    if (const char* mapped = text_mapping(final_sigma_, *unit.code);
        mapped && cased_before_ && !cased_letter_follows(text_, next)) {
      out_.append(mapped);
    } else if (const char* several = text_mapping(several_, *unit.code)) {
      out_.append(several);
    } else {
      append_utf8(out_, single_mapping(*unit.code));
    }
  }

  const std::span<const LowerText> final_sigma_{unicode_data::final_sigma_texts,
                                                unicode_data::final_sigma_text_count};
  const std::span<const LowerText> several_{unicode_data::lower_texts,
                                            unicode_data::lower_text_count};
  std::string_view text_;
  std::string out_;
  bool cased_before_ = false;
};

std::string ascii_lower_text(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ascii_lower(c);
  return out;
}

}  // namespace

std::string unicode_lower(std::string_view text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return ascii_lower_text(text);
  }
  return Lowerer(text).run();
}

}  // namespace qarvex
