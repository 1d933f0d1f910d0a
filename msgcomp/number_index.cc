#include "number_index.h"

#include <algorithm>
#include <bit>
#include <new>

namespace qokit::msgcomp {

namespace {

// Bits 0..n-1 of a word (n in 0..64).
uint64_t LowBits(int n) { return n >= 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1; }

int HighestBit(uint64_t word) { return 63 - std::countl_zero(word); }

}  // namespace

bool NumberIndex::EnsureDense(int32_t number) {
  if (!dense_) dense_.reset(new (std::nothrow) Dense{});
  if (!dense_) return false;
  std::vector<NumberSlot>& slots = dense_->slots;
  if (static_cast<std::size_t>(number) < slots.size()) return true;
  // Doubling keeps the copies few; a run of low numbers keeps a small table.
  const std::size_t wanted = std::max<std::size_t>(static_cast<std::size_t>(number) + 1, 2 * slots.size());
  try {
    slots.resize(std::min<std::size_t>(wanted, kDenseLimit));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

NumberSlot* NumberIndex::FindOther(int32_t number) {
  // A dense number beyond the table's present size is not in use.
  if (number >= 0 && number < kDenseLimit) return nullptr;
  const auto found = far_.find(number);
  return found == far_.end() ? nullptr : &found->second;
}

NumberSlot* NumberIndex::GetOther(int32_t number) {
  if (number >= 0 && number < kDenseLimit) {
    if (!EnsureDense(number)) return nullptr;
    SetUsed(number);
    return &dense_->slots[number];
  }
  try {
    return &far_[number];
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void NumberIndex::Erase(int32_t number) {
  if (number >= 0 && number < kDenseLimit) {
    if (!dense_ || static_cast<std::size_t>(number) >= dense_->slots.size()) return;
    dense_->slots[number] = NumberSlot{};
    const int word = number / 64;
    dense_->used[word] &= ~(uint64_t{1} << (number % 64));
    if (dense_->used[word] == 0) dense_->summary[word / 64] &= ~(uint64_t{1} << (word % 64));
    return;
  }
  far_.erase(number);
}

int32_t NumberIndex::DenseBelow(int32_t number) const {
  if (!dense_ || number <= 0) return -1;
  if (number > kDenseLimit) number = kDenseLimit;
  const int word = (number - 1) / 64;
  const uint64_t inWord = dense_->used[word] & LowBits((number - 1) % 64 + 1);
  if (inWord != 0) return word * 64 + HighestBit(inWord);
  // The nearest lower non-empty word, through the summary.
  for (int s = word / 64; s >= 0; --s) {
    uint64_t bits = dense_->summary[s];
    if (s == word / 64) bits &= LowBits(word % 64);
    if (bits != 0) {
      const int w = s * 64 + HighestBit(bits);
      return w * 64 + HighestBit(dense_->used[w]);
    }
  }
  return -1;
}

NumberSlot* NumberIndex::BelowElsewhere(int32_t number) {
  // Numbers in use, ascending: negative ones (far), dense ones, large ones (far).
  auto farBelow = [this](int32_t limit) -> NumberSlot* {
    auto it = far_.lower_bound(limit);
    return it == far_.begin() ? nullptr : &std::prev(it)->second;
  };
  if (number < 0) return farBelow(number);
  if (number >= kDenseLimit) {
    auto it = far_.lower_bound(number);
    if (it != far_.begin() && std::prev(it)->first >= kDenseLimit) return &std::prev(it)->second;
  }
  const int32_t dense = DenseBelow(number);
  if (dense >= 0) return &dense_->slots[dense];
  return farBelow(0);
}

void NumberIndex::Clear() {
  dense_.reset();
  far_.clear();
}

}  // namespace qokit::msgcomp
