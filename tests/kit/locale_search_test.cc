// Finding the user's language: which tags an environment asks for, and which
// file of an installed tree is opened, passing over missing and refused
// translations down to the base catalogue.
#include "locale_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalog_bytes.h"
#include "qokit/qomsg.h"
#include "temp_dir.h"
#include "translations.h"

namespace {

using Env = std::map<std::string, std::string>;

qokit::reader::Environment From(const Env& env) {
  return [&env](const char* variable) -> const char* {
    const auto it = env.find(variable);
    return it == env.end() ? nullptr : it->second.c_str();
  };
}

TEST(LocaleSearch, TagsInTheOrderTheEnvironmentAsksForThem) {
  struct Row {
    Env env;
    std::vector<std::string> tags;
  };
  const Row rows[] = {
      {{}, {}},
      {{{"LANG", "de_DE.UTF-8"}}, {"de_DE", "de"}},
      {{{"LANG", "sr_RS.UTF-8@latin"}}, {"sr_RS@latin", "sr_RS", "sr@latin", "sr"}},
      {{{"LANG", "ca@valencia"}}, {"ca@valencia", "ca"}},
      {{{"LANGUAGE", "pt_BR:de"}, {"LANG", "fr_FR.ISO-8859-1"}}, {"pt_BR", "pt", "de", "fr_FR", "fr"}},
      {{{"LC_ALL", "fr"}, {"LC_MESSAGES", "de"}, {"LANG", "it"}}, {"fr"}},
      {{{"LC_ALL", ""}, {"LC_MESSAGES", "de_AT"}, {"LANG", "it"}}, {"de_AT", "de"}},
      // The C locale wants untranslated messages, whatever LANGUAGE says.
      {{{"LANGUAGE", "de"}, {"LC_ALL", "C"}}, {}},
      {{{"LANGUAGE", "de"}, {"LC_ALL", ""}, {"LANG", "POSIX"}}, {}},
      {{{"LANGUAGE", "de"}, {"LANG", "C.UTF-8"}}, {"de"}},
      {{{"LANGUAGE", "de"}}, {"de"}},
      // A C entry ends the list: what follows it, the locale too, is not wanted.
      {{{"LANGUAGE", "de:C:fr"}, {"LANG", "it"}}, {"de"}},
      {{{"LANGUAGE", "de_DE:de::"}, {"LANG", "de_DE.UTF-8"}}, {"de_DE", "de"}},
      {{{"LANGUAGE", "../../etc:de@x/y:_DE"}, {"LANG", "it_IT/x"}}, {"de", "it"}},
  };
  for (const Row& row : rows) {
    std::string trace;
    for (const auto& [name, value] : row.env) trace.append(name).append("=").append(value).append(" ");
    SCOPED_TRACE(trace);
    EXPECT_EQ(qokit::reader::LanguageTags(From(row.env)), row.tags);
  }
}

TEST(LocaleSearch, OpensTheFirstInstalledCatalogueThatFits) {
  const kittest::Translations t;
  const std::filesystem::path good =
      t.Translate("good", "1 I FILES \"@2%s: @1%d\"\n2 W PADDED \"@1%*d\"\n3 I READY \"Bereit.\"\n");
  const std::filesystem::path changed =
      t.Translate("changed", "1 I FILES \"@2%s: @1%ld\"\n2 W PADDED \"@1%*d\"\n3 I READY \"x\"\n");
  const std::vector<qomsg_signature> table = {{1, "%d%s"}, {2, "%*d"}, {3, ""}};
  enum Kind { kGood, kChanged, kNotACatalogue, kBadPlurals };
  kittest::PluralParts unknown_layout;
  unknown_layout.layout = 2;

  struct Row {
    const char* name;
    std::map<std::string, Kind> tree;  // tag -> catalogue installed; "" is the base
    Env env;
    int rc;
    std::string opened;   // relative to the tree
    std::string refusal;  // the start of the detail after the tree's path
  };
  const Row rows[] = {
      {"translation", {{"", kGood}, {"de", kGood}}, {{"LANGUAGE", "de"}}, QOMSG_OK, "de/demo.obj", ""},
      {"refused, to the base", {{"", kGood}, {"de", kChanged}}, {{"LANG", "de_DE.UTF-8"}}, QOMSG_OK, "demo.obj",
       "de/demo.obj: message 1: argument 1 type differs"},
      {"refused, to the next", {{"", kGood}, {"de", kChanged}, {"fr", kGood}}, {{"LANGUAGE", "de:fr"}}, QOMSG_OK,
       "fr/demo.obj", "de/demo.obj: message 1"},
      {"not a catalogue, to the locale", {{"", kGood}, {"de", kNotACatalogue}, {"fr", kGood}},
       {{"LANGUAGE", "de"}, {"LANG", "fr_CA"}}, QOMSG_OK, "fr/demo.obj", "de/demo.obj: control block"},
      {"bad plural table, to the base", {{"", kGood}, {"de", kBadPlurals}}, {{"LANGUAGE", "de"}}, QOMSG_OK, "demo.obj",
       "de/demo.obj: plural layout 2"},
      {"territory not installed", {{"", kGood}, {"de", kGood}}, {{"LC_MESSAGES", "de_AT.UTF-8"}}, QOMSG_OK,
       "de/demo.obj", ""},
      {"territory first", {{"", kGood}, {"pt", kGood}, {"pt_BR", kGood}}, {{"LANG", "pt_BR.UTF-8"}}, QOMSG_OK,
       "pt_BR/demo.obj", ""},
      {"C locale", {{"", kGood}, {"de", kGood}}, {{"LANGUAGE", "de"}, {"LC_ALL", "C"}}, QOMSG_OK, "demo.obj", ""},
      {"nothing set", {{"", kGood}, {"de", kGood}}, {}, QOMSG_OK, "demo.obj", ""},
      {"no base", {{"de", kChanged}}, {{"LANGUAGE", "de"}}, QOMSG_ERR_IO, "", "demo.obj: cannot read"},
      {"base refused", {{"", kChanged}}, {}, QOMSG_ERR_SIGNATURE, "", "demo.obj: message 1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir tree;
    for (const auto& [tag, kind] : row.tree) {
      const std::string bytes = kind == kGood      ? ReadFileBytes(good)
                                : kind == kChanged ? ReadFileBytes(changed)
                                : kind == kBadPlurals ? kittest::PluralFile(unknown_layout)
                                                      : std::string(128, '\0');
      if (!tag.empty()) std::filesystem::create_directory(tree / tag);
      tree.Write(tag.empty() ? "demo.obj" : tag + "/demo.obj", bytes);
    }
    const std::string root = tree.path().string() + "/";
    qomsg_catalog* cat = nullptr;
    char opened[512] = "stale";
    char detail[512] = "stale";
    const int rc = qokit::reader::OpenForLocale({root.c_str(), "demo", t.checksum(), table.data(), table.size()},
                                        From(row.env), &cat, opened, sizeof opened, detail, sizeof detail);
    EXPECT_EQ(rc, row.rc) << detail;
    EXPECT_EQ(cat != nullptr, rc == QOMSG_OK);
    EXPECT_EQ(opened, row.opened.empty() ? "" : root + row.opened);
    if (row.refusal.empty()) {
      EXPECT_STREQ(detail, "");
    } else {
      const std::string refusal = root + row.refusal;
      EXPECT_EQ(std::string(detail).substr(0, refusal.size()), refusal);
    }
    qomsg_close(cat);
  }
}

}  // namespace
