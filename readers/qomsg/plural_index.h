// A catalogue's plural messages, checked at the open: the rule and, per
// plural message, where each of its forms is stored (plural_layout.h has the
// layout the compiler writes).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "plural_layout.h"
#include "plural_rule.h"

namespace qokit::reader {

class PluralIndex {
 public:
  // Reads and checks the plural table of a laid-out object file: QOMSG_OK
  // (also for a catalogue without plurals), QOMSG_ERR_PLURAL with the fault
  // in detail, or QOMSG_ERR_NOMEM. Every stored form must be a message whose
  // arguments, types and stars are its plural message's; a form that leaves
  // the count out must end in the count's insert.
  int Load(std::string_view image, char* detail, std::size_t detail_size) noexcept;

  // The message number and whether the count is left out of the form that
  // count `n` takes of message `number`; a message that is not plural is
  // itself, whatever n.
  struct Form {
    long number = 0;
    bool leaves_count = false;
  };
  Form FormFor(long number, unsigned long n) const;

 private:
  format::PluralRule rule_;
  // The form of each count the open checked the rule on, so that the common
  // counts cost a look-up, not an evaluation of the rule.
  std::array<uint8_t, format::kRuleCheckedCounts> small_{};
  std::vector<format::PluralEntry> entries_;  // in number order
};

}  // namespace qokit::reader
