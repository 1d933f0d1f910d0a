#include "plural_index.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <new>

#include "compiled_form_walk.h"
#include "detail.h"
#include "object_file.h"
#include "object_format.h"
#include "qokit/qomsg.h"

namespace qokit::reader {

namespace {

// The arguments a compiled form shows, each with its type and stars, and
// the argument its last insert shows when nothing follows that insert.
struct Shape {
  static constexpr bool kDerivesTypes = true;
  std::array<signed char, format::kMaxArgumentNumber> type{};   // -1: not shown
  std::array<signed char, format::kMaxArgumentNumber> stars{};
  int last = 0;            // argument of the last insert, 0 when text follows it
  bool text_after = false;
  Shape() { type.fill(-1); }
  void Insert(const format::FormInsert& insert) {
    const auto a = static_cast<std::size_t>(insert.argument - 1);
    if (a < type.size()) {
      type[a] = static_cast<signed char>(insert.type);
      stars[a] = static_cast<signed char>(insert.stars);
    }
    last = insert.argument;
    text_after = false;
  }
  void Piece(std::string_view piece) { text_after = !piece.empty(); }
  bool operator==(const Shape& other) const { return type == other.type && stars == other.stars; }
};

bool ShapeOf(std::string_view image, long number, Shape& shape) {
  format::MessageView m;
  return format::FindMessage(image, number, m) && format::WalkCompiledForm(m.compiled, shape) == nullptr;
}

int Refuse(char* detail, std::size_t detail_size, const char* text) {
  SetDetail(detail, detail_size, text);
  return QOMSG_ERR_PLURAL;
}

}  // namespace

int PluralIndex::Load(std::string_view image, char* detail, std::size_t detail_size) noexcept {
  const auto* control = reinterpret_cast<const unsigned char*>(image.data());
  const unsigned layout = control[format::kPluralLayoutAt];
  if (layout == 0) return QOMSG_OK;
  char text[200];
  if (layout != format::kPluralLayout) {
    std::snprintf(text, sizeof text, "plural layout %u is not one this reader knows", layout);
    return Refuse(detail, detail_size, text);
  }
  const long table = format::GetLe32(control + format::kPluralTableAt);
  const long highest = format::GetLe32(control + format::kPluralHighestAt);
  format::MessageView m;
  if (table != format::ReadControl(image).max_msg_num || !format::FindMessage(image, table, m)) {
    std::snprintf(text, sizeof text, "the plural table %ld is not the catalogue's highest message", table);
    return Refuse(detail, detail_size, text);
  }
  // The rule's parser says what is wrong in a string, which may not fit in
  // memory either.
  try {
    format::PluralTableReader reader;
    format::PluralLayoutError error;
    if (!reader.Start(m.compiled, highest, table, error)) return Refuse(detail, detail_size, error.detail);
    rule_ = reader.rule();
    for (unsigned long n = 0; n < small_.size(); ++n) small_[n] = static_cast<uint8_t>(rule_.FormFor(n));
    format::PluralEntry entry;
    format::PluralTableReader::Step step;
    while ((step = reader.Next(entry, error)) == format::PluralTableReader::Step::kEntry) {
      Shape shape;
      if (!ShapeOf(image, entry.number, shape)) {
        std::snprintf(text, sizeof text, "plural message %ld is not in the catalogue", entry.number);
        return Refuse(detail, detail_size, text);
      }
      for (int form = 0; form < rule_.forms(); ++form) {
        const long stored = format::FormNumber(entry, form);
        Shape other;
        const bool leaves_count = (entry.left_out >> form & 1u) != 0;
        if (!ShapeOf(image, stored, other) || !(other == shape) ||
            (leaves_count && (other.last != entry.count_argument || other.text_after))) {
          std::snprintf(text, sizeof text, "form %d of plural message %ld (message %ld) does not take its arguments",
                        form, entry.number, stored);
          return Refuse(detail, detail_size, text);
        }
      }
      entries_.push_back(entry);
    }
    if (step == format::PluralTableReader::Step::kFault) return Refuse(detail, detail_size, error.detail);
  } catch (const std::bad_alloc&) {
    SetDetail(detail, detail_size, "out of memory");
    return QOMSG_ERR_NOMEM;
  }
  return QOMSG_OK;
}

PluralIndex::Form PluralIndex::FormFor(long number, unsigned long n) const {
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), number,
                                   [](const format::PluralEntry& e, long k) { return e.number < k; });
  if (it == entries_.end() || it->number != number) return {number, false};
  const int form = n < small_.size() ? small_[n] : rule_.FormFor(n);
  return {format::FormNumber(*it, form), (it->left_out >> form & 1u) != 0};
}

}  // namespace qokit::reader
