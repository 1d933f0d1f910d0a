#include "plural_table.h"

#include <array>

namespace qokit::format {

namespace {

constexpr std::array kRows = {
    PluralTableRow{"ja zh ko vi th id ms lo km my jv su bo dz ii kea ses sg to wo yo ig sah", "other",
                   "nplurals=1; plural=0;"},
    PluralTableRow{"en de nl sv da nb nn no fo fy es it pt_PT ca gl eu et fi el hu tr bg eo af sq az ka kk ky mn ne "
                   "ur sw ta te ml mr uz ast lb rm ia kl ps so tk ug ku",
                   "one other", "nplurals=2; plural=(n != 1);"},
    PluralTableRow{"fr pt hi bn gu kn fa am zu as pa si ln ff hy", "one other", "nplurals=2; plural=(n > 1);"},
    PluralTableRow{"is mk", "one other", "nplurals=2; plural=(n%10==1 && n%100!=11 ? 0 : 1);"},
    PluralTableRow{"ru uk be", "one few many",
                   "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<12 || n%100>14) ? 1 "
                   ": 2);"},
    PluralTableRow{"hr sr bs", "one few other",
                   "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<12 || n%100>14) ? 1 "
                   ": 2);"},
    PluralTableRow{"pl", "one few many",
                   "nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<12 || n%100>14) ? 1 : 2);"},
    PluralTableRow{"cs sk", "one few other", "nplurals=3; plural=(n==1 ? 0 : n>=2 && n<=4 ? 1 : 2);"},
    PluralTableRow{"lt", "one few other",
                   "nplurals=3; plural=(n%10==1 && (n%100<11 || n%100>19) ? 0 : n%10>=2 && (n%100<11 || n%100>19) ? "
                   "1 : 2);"},
    PluralTableRow{"lv", "zero one other",
                   "nplurals=3; plural=(n%10==0 || (n%100>=11 && n%100<=19) ? 0 : n%10==1 && n%100!=11 ? 1 : 2);"},
    PluralTableRow{"ro", "one few other",
                   "nplurals=3; plural=(n==1 ? 0 : n==0 || (n%100>=1 && n%100<=19) ? 1 : 2);"},
    PluralTableRow{"he", "one two other", "nplurals=3; plural=(n==1 ? 0 : n==2 ? 1 : 2);"},
    PluralTableRow{"sl", "one two few other",
                   "nplurals=4; plural=(n%100==1 ? 0 : n%100==2 ? 1 : n%100==3 || n%100==4 ? 2 : 3);"},
    PluralTableRow{"gd", "one two few other",
                   "nplurals=4; plural=(n==1 || n==11 ? 0 : n==2 || n==12 ? 1 : (n>=3 && n<=10) || (n>=13 && n<=19) "
                   "? 2 : 3);"},
    PluralTableRow{"ga", "one two few many other",
                   "nplurals=5; plural=(n==1 ? 0 : n==2 ? 1 : n>=3 && n<=6 ? 2 : n>=7 && n<=10 ? 3 : 4);"},
    PluralTableRow{"ar", "zero one two few many other",
                   "nplurals=6; plural=(n==0 ? 0 : n==1 ? 1 : n==2 ? 2 : n%100>=3 && n%100<=10 ? 3 : n%100>=11 ? 4 : "
                   "5);"},
    PluralTableRow{"cy", "zero one two few many other",
                   "nplurals=6; plural=(n==0 ? 0 : n==1 ? 1 : n==2 ? 2 : n==3 ? 3 : n==6 ? 4 : 5);"},
};

bool Lists(std::string_view languages, std::string_view code) {
  while (!languages.empty()) {
    const std::size_t blank = languages.find(' ');
    if (languages.substr(0, blank) == code) return true;
    if (blank == std::string_view::npos) break;
    languages.remove_prefix(blank + 1);
  }
  return false;
}

const PluralTableRow* Find(std::string_view code) {
  for (const PluralTableRow& row : kRows) {
    if (Lists(row.languages, code)) return &row;
  }
  return nullptr;
}

}  // namespace

const PluralTableRow* FindPluralRule(std::string_view language) {
  // "de_DE.UTF-8@euro": the codeset and the modifier do not change the rule.
  const std::string_view tag = language.substr(0, language.find_first_of(".@"));
  if (const PluralTableRow* row = Find(tag); row != nullptr) return row;
  return tag.find('_') == std::string_view::npos ? nullptr : Find(tag.substr(0, tag.find('_')));
}

std::span<const PluralTableRow> PluralTable() { return kRows; }

}  // namespace qokit::format
