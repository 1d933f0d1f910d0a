// The index by message number that sits beside the symbol list: for each
// number in use, the first and last record of that number in the list and the
// record met in the sources. Numbers 0..49999 (all a source can give) live in
// a dense table, sized to the highest of them in use, with a two-level bitmap
// for finding the next lower number in use; larger numbers, which only a
// hand-edited symbol file holds, in a map.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "object_format.h"

namespace qokit::msgcomp {

struct MsgSymbol;

struct NumberSlot {
  MsgSymbol* first = nullptr;    // first record of this number in symList
  MsgSymbol* last = nullptr;     // last record of this number in symList
  MsgSymbol* defined = nullptr;  // the record of this number met in the sources in this pass
};

class NumberIndex {
 public:
  static constexpr int32_t kDenseLimit = format::kHighestMessageNumber + 1;

  // The slot of a number in use, or null.
  NumberSlot* Find(int32_t number) {
    if (InDense(number)) return Used(number) ? &dense_->slots[number] : nullptr;
    return FindOther(number);
  }
  // The slot of a number, created empty when not in use; null when out of
  // memory. It may move the other slots: no slot pointer outlives the next Get.
  NumberSlot* Get(int32_t number) {
    if (InDense(number)) {
      SetUsed(number);
      return &dense_->slots[number];
    }
    return GetOther(number);
  }
  // Marks a number as no longer in use.
  void Erase(int32_t number);
  // The slot of the highest number in use below the given one, or null.
  // Inline where a lower number in use shares the number's bitmap word, as
  // it mostly does when the sources come out of number order.
  NumberSlot* Below(int32_t number) {
    if (InDense(number) && number > 0) {
      const int32_t below = number - 1;
      const uint64_t inWord = dense_->used[below / 64] & (~uint64_t{0} >> (63 - below % 64));
      if (inWord != 0) return &dense_->slots[below / 64 * 64 + 63 - std::countl_zero(inWord)];
    }
    return BelowElsewhere(number);
  }
  void Clear();

 private:
  static constexpr int kWords = (kDenseLimit + 63) / 64;
  static constexpr int kSummaryWords = (kWords + 63) / 64;

  struct Dense {
    std::vector<NumberSlot> slots;  // numbers 0 .. size-1
    std::array<uint64_t, kWords> used{};
    std::array<uint64_t, kSummaryWords> summary{};  // bit w: word w of `used` is not 0
  };

  // Whether the dense table holds room for `number` (the lookups' fast path,
  // inline since every entry of every pass takes it).
  bool InDense(int32_t number) const {
    return dense_ && number >= 0 && static_cast<std::size_t>(number) < dense_->slots.size();
  }
  bool Used(int32_t number) const { return (dense_->used[number / 64] >> (number % 64) & 1) != 0; }
  void SetUsed(int32_t number) {
    const int word = number / 64;
    dense_->used[word] |= uint64_t{1} << (number % 64);
    dense_->summary[word / 64] |= uint64_t{1} << (word % 64);
  }
  // Below where the number's own bitmap word has no lower number in use.
  NumberSlot* BelowElsewhere(int32_t number);
  // Find and Get for a number outside the dense table's present size.
  NumberSlot* FindOther(int32_t number);
  NumberSlot* GetOther(int32_t number);
  // The dense table, with room for `number`.
  bool EnsureDense(int32_t number);
  // Highest number in use in [0, number), or -1.
  int32_t DenseBelow(int32_t number) const;

  std::unique_ptr<Dense> dense_;
  std::map<int32_t, NumberSlot> far_;  // numbers outside 0..49999
};

}  // namespace qokit::msgcomp
