#include "msgsym.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "compiler_state.h"

using namespace qokit::msgcomp;

namespace {

std::vector<int> ListNumbers() {
  std::vector<int> numbers;
  for (const MsgSymbol* s = msgState->symList; s != nullptr; s = s->next) numbers.push_back(s->msgNum);
  return numbers;
}

std::vector<std::string> ListNames() {
  std::vector<std::string> names;
  for (const MsgSymbol* s = msgState->symList; s != nullptr; s = s->next) names.push_back(s->name);
  return names;
}

// Every record is reachable by name and by number, and prev links mirror next links.
// symList, the number index, the hash chains and the name index hold the
// same records: every record is found each way, and the chains hold no other.
void ExpectConsistent() {
  const MsgSymbol* prev = nullptr;
  std::size_t listed = 0;
  for (const MsgSymbol* s = msgState->symList; s != nullptr; s = s->next) {
    ++listed;
    EXPECT_EQ(s->prev, prev);
    EXPECT_EQ(qokit::msgcomp::msgFindSymbol(s->name), s);
    const MsgSymbol* chained = msgState->symHash[HashSymbol(s->name)];
    while (chained != nullptr && chained != s) chained = chained->hashNext;
    EXPECT_EQ(chained, s) << s->name << " is missing from its hash chain";
    const MsgSymbol* first = msgFindNumber(s->msgNum);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->msgNum, s->msgNum);
    if (prev == nullptr || prev->msgNum != s->msgNum) {
      EXPECT_EQ(first, s);
    }
    prev = s;
  }
  EXPECT_EQ(msgState->symTail, prev) << "symTail is not the list's last record";
  std::size_t chained = 0;
  for (const MsgSymbol* head : msgState->symHash)
    for (const MsgSymbol* s = head; s != nullptr; s = s->hashNext) ++chained;
  EXPECT_EQ(chained, listed);
}

TEST(HashSymbol, SumsWeightedSignedBytes) {
  CompilerStateTest t;
  struct Row {
    const char* name;
    int bucket;
  };
  // A: 65*5 = 325 -> 68. AB: 325 + ((66*10) ^ 8192) = 325 + 8852 = 9177 -> 182.
  // "\xff": -1*5 = -5 -> |S| = 5. "\x80a": -640 + ((97*10) ^ 8192) = -640 + 9162 = 8522 -> 41.
  const Row rows[] = {{"A", 68}, {"AB", 182}, {"\xff", 5}, {"\x80" "a", 41}, {"", 0}};
  for (const Row& row : rows) EXPECT_EQ(qokit::msgcomp::HashSymbol(row.name), row.bucket) << row.name;
  std::string longest(50, '\xff');
  const int bucket = qokit::msgcomp::HashSymbol(longest.c_str());
  EXPECT_GE(bucket, 0);
  EXPECT_LT(bucket, 257);
}

// The bucket and the checksum straight from their definitions, against the
// table's own sums, for random names of every length up to the limit and a
// few beyond it (HashSymbol takes any name).
TEST(HashSymbol, MatchesTheDefinitionForRandomNames) {
  CompilerStateTest t;
  std::mt19937 random(26);
  std::uniform_int_distribution<int> byte(1, 255);
  uint32_t expectedChecksum = 0;
  for (int round = 0; round < 2000; ++round) {
    const std::size_t length = static_cast<std::size_t>(round % 60);
    std::string name(length, ' ');
    for (char& c : name) c = static_cast<char>(byte(random));
    int64_t sum = 0;
    uint32_t bytes = 0;
    for (std::size_t i = 0; i < length; ++i) {
      const int64_t c = static_cast<signed char>(name[i]);
      sum += (c * 5 * static_cast<int64_t>(i + 1)) ^ static_cast<int64_t>(i << 13);
      bytes += static_cast<uint32_t>(c);
    }
    const auto wrapped = static_cast<int32_t>(static_cast<uint32_t>(sum));
    const int64_t magnitude = wrapped < 0 ? -static_cast<int64_t>(wrapped) : wrapped;
    ASSERT_EQ(HashSymbol(name.c_str()), magnitude % 257) << "length " << length;
    if (length > 50 || length == 0 || msgFindSymbol(name.c_str()) != nullptr) continue;
    InsertSymbol(name.c_str(), round + 1);
    expectedChecksum += bytes + static_cast<uint32_t>(round + 1);
  }
  EXPECT_EQ(ComputeChecksum(), static_cast<int32_t>(expectedChecksum));
  ExpectConsistent();
}

TEST(Checksum, SumsNameBytesAndNumbers) {
  CompilerStateTest t;
  EXPECT_EQ(qokit::msgcomp::ComputeChecksum(), 0);
  qokit::msgcomp::InsertSymbol("AB", 1);
  EXPECT_EQ(qokit::msgcomp::ComputeChecksum(), 132);
  InsertSymbol("\xff", 10);  // the byte counts as -1
  EXPECT_EQ(qokit::msgcomp::ComputeChecksum(), 132 - 1 + 10);
}

TEST(SymbolList, KeepsNumberOrderWithTiesInInsertionOrder) {
  CompilerStateTest t;
  qokit::msgcomp::InsertSymbol("FIVE_A", 5);
  InsertSymbol("THREE", 3);
  InsertSymbol("FIVE_B", 5);
  InsertSymbol("ONE", 1);
  EXPECT_EQ(ListNames(), (std::vector<std::string>{"ONE", "THREE", "FIVE_A", "FIVE_B"}));
  EXPECT_STREQ(qokit::msgcomp::msgFindNumber(5)->name, "FIVE_A");
  ExpectConsistent();
}

TEST(SymbolList, FindNumberMissesEmptyGapsAndEnds) {
  CompilerStateTest t;
  EXPECT_EQ(qokit::msgcomp::msgFindNumber(1), nullptr);
  qokit::msgcomp::InsertSymbol("TEN", 10);
  InsertSymbol("TWENTY", 20);
  for (int n : {0, 9, 15, 21, 49999}) EXPECT_EQ(qokit::msgcomp::msgFindNumber(n), nullptr) << n;
  EXPECT_STREQ(qokit::msgcomp::msgFindNumber(20)->name, "TWENTY");
}

TEST(SymbolList, OrdersNumbersAcrossIndexBoundaries) {
  // Word and summary boundaries of the dense index, and numbers beyond it
  // that only a hand-edited symbol file can hold.
  const std::vector<int> numbers = {4096, 70000, 63, 49999, 64, 0, 60000, 4095, 127, 2000000000, 128, 1, 50000};
  CompilerStateTest t;
  for (size_t i = 0; i < numbers.size(); ++i) qokit::msgcomp::InsertSymbol(std::string("S").append(std::to_string(i)).c_str(), numbers[i]);
  std::vector<int> sorted = numbers;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(ListNumbers(), sorted);
  ExpectConsistent();
  qokit::msgcomp::RemoveSymbol(qokit::msgcomp::msgFindNumber(4095));
  RemoveSymbol(msgFindNumber(64));
  RemoveSymbol(msgFindNumber(60000));
  qokit::msgcomp::InsertSymbol("LATE", 4100);
  InsertSymbol("LATER", 65);
  qokit::msgcomp::RenumberSymbol(msgFindNumber(2000000000), 3);
  EXPECT_EQ(ListNumbers(), (std::vector<int>{0, 1, 3, 63, 65, 127, 128, 4096, 4100, 49999, 50000, 70000}));
  ExpectConsistent();
}

// Random inserts, renumberings and removals against a plain model of the
// list: a new or renumbered record goes after every record numbered as low
// or lower. The numbers crowd a few bitmap words, cross the dense index's
// limit and go far beyond it, so every way of finding a predecessor is taken.
TEST(SymbolList, FollowsAModelThroughRandomChanges) {
  CompilerStateTest t;
  std::mt19937 random(26);
  const auto number = [&random] {
    switch (random() % 4) {
      case 0: return static_cast<int>(random() % 200);
      case 1: return static_cast<int>(random() % 50000);
      case 2: return 49990 + static_cast<int>(random() % 20);
      default: return 1000000 + static_cast<int>(random() % 5);
    }
  };
  std::vector<std::pair<std::string, int>> model;  // names and numbers in list order
  const auto place = [&model](const std::string& name, int n) {
    const auto after = std::find_if(model.begin(), model.end(), [n](const auto& e) { return e.second > n; });
    model.insert(after, {name, n});
  };
  for (int step = 0; step < 3000; ++step) {
    const unsigned action = random() % 4;
    if (model.empty() || action < 2) {
      std::string name(1, 'S');  // appended: GCC 12 misreads "S" + string as an overlapping copy
      name += std::to_string(step);
      const int n = number();
      InsertSymbol(name.c_str(), n);
      place(name, n);
      continue;
    }
    const std::size_t at = random() % model.size();
    const std::string name = model[at].first;
    model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
    if (action == 2) {
      RemoveSymbol(msgFindSymbol(name.c_str()));
    } else {
      const int n = number();
      RenumberSymbol(msgFindSymbol(name.c_str()), n);
      place(name, n);
    }
  }
  std::vector<std::string> names;
  for (const auto& e : model) names.push_back(e.first);
  EXPECT_EQ(ListNames(), names);
  ExpectConsistent();
}

TEST(SymbolList, RenumberAndRemoveKeepOrderAndLookups) {
  CompilerStateTest t;
  qokit::msgcomp::MsgSymbol* a = qokit::msgcomp::InsertSymbol("A", 1);
  InsertSymbol("B", 2);
  MsgSymbol* c = InsertSymbol("C", 3);
  InsertSymbol("D", 2);
  qokit::msgcomp::RenumberSymbol(a, 2);  // goes after every record numbered 2
  EXPECT_EQ(ListNames(), (std::vector<std::string>{"B", "D", "A", "C"}));
  EXPECT_EQ(qokit::msgcomp::msgFindNumber(1), nullptr);
  RenumberSymbol(c, 0);
  EXPECT_EQ(ListNumbers(), (std::vector<int>{0, 2, 2, 2}));
  ExpectConsistent();
  qokit::msgcomp::RemoveSymbol(qokit::msgcomp::msgFindSymbol("B"));
  RemoveSymbol(msgFindSymbol("C"));
  EXPECT_EQ(ListNames(), (std::vector<std::string>{"D", "A"}));
  EXPECT_EQ(msgFindSymbol("B"), nullptr);
  EXPECT_STREQ(qokit::msgcomp::msgFindNumber(2)->name, "D");
  ExpectConsistent();
}

TEST(SymbolList, LookupsSurviveManyRemovals) {
  CompilerStateTest t;
  constexpr int kCount = 5000;  // enough to grow the name index and collide in it
  for (int n = 1; n <= kCount; ++n) qokit::msgcomp::InsertSymbol(("NAME_" + std::to_string(n)).c_str(), n);
  for (int n = 1; n <= kCount; n += 3) qokit::msgcomp::RemoveSymbol(qokit::msgcomp::msgFindSymbol(("NAME_" + std::to_string(n)).c_str()));
  for (int n = 1; n <= kCount; ++n) {
    const MsgSymbol* sym = msgFindSymbol(("NAME_" + std::to_string(n)).c_str());
    if (n % 3 == 1) {
      EXPECT_EQ(sym, nullptr) << n;
    } else {
      ASSERT_NE(sym, nullptr) << n;
      EXPECT_EQ(sym->msgNum, n);
    }
  }
  ExpectConsistent();
}

TEST(SymbolList, DefinedNumbersFollowRemoval) {
  CompilerStateTest t;
  qokit::msgcomp::MsgSymbol* a = qokit::msgcomp::InsertSymbol("A", 4);
  MsgSymbol* b = InsertSymbol("B", 4);
  EXPECT_EQ(qokit::msgcomp::FindDefinedNumber(4), nullptr);
  qokit::msgcomp::MarkDefined(b);
  EXPECT_EQ(qokit::msgcomp::FindDefinedNumber(4), b);
  qokit::msgcomp::RemoveSymbol(b);
  EXPECT_EQ(qokit::msgcomp::FindDefinedNumber(4), nullptr);
  MarkDefined(a);
  EXPECT_EQ(qokit::msgcomp::FindDefinedNumber(4), a);
}

TEST(MetaSymbols, ShortValuesStayInTheRecord) {
  CompilerStateTest t;
  const std::string fifteen(15, 'x'), sixteen(16, 'y');
  qokit::msgcomp::MsgMetaSymbol* inRecord = qokit::msgcomp::InsertMetaSymbol("SHORT", fifteen.c_str());
  MsgMetaSymbol* separate = InsertMetaSymbol("LONG", sixteen.c_str());
  EXPECT_EQ(inRecord->value, inRecord->shortValue);
  EXPECT_NE(separate->value, separate->shortValue);
  EXPECT_EQ(std::string(qokit::msgcomp::FindMetaSymbol("SHORT")->value), fifteen);
  EXPECT_EQ(std::string(qokit::msgcomp::FindMetaSymbol("LONG")->value), sixteen);
}

TEST(MetaSymbols, ListedInNameOrderAndApartFromMessageSymbols) {
  CompilerStateTest t;
  for (const char* name : {"TIMEFORMAT", "DATEFORMAT", "NUMBERFORMAT"}) qokit::msgcomp::InsertMetaSymbol(name, "1");
  std::vector<std::string> names;
  for (const MsgMetaSymbol* m = msgState->metaList; m != nullptr; m = m->next) names.push_back(m->name);
  EXPECT_EQ(names, (std::vector<std::string>{"DATEFORMAT", "NUMBERFORMAT", "TIMEFORMAT"}));
  EXPECT_EQ(qokit::msgcomp::msgFindSymbol("DATEFORMAT"), nullptr);
  qokit::msgcomp::MsgSymbol* sym = qokit::msgcomp::InsertSymbol("DATEFORMAT", 7);
  EXPECT_EQ(qokit::msgcomp::msgFindSymbol("DATEFORMAT"), sym);
  EXPECT_STREQ(qokit::msgcomp::FindMetaSymbol("DATEFORMAT")->value, "1");
}

}  // namespace
