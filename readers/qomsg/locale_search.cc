#include "locale_search.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "detail.h"

namespace qokit::reader {

namespace {

bool IsCLocale(std::string_view value) { return value == "C" || value == "POSIX"; }

// The first of the variables that is set and not empty, or an empty view.
std::string_view FirstSet(const Environment& environment, std::initializer_list<const char*> variables) {
  for (const char* variable : variables) {
    const char* value = environment(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

void AddTag(std::vector<std::string>& tags, std::string tag) {
  if (tag.find('/') != std::string::npos) return;
  if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(std::move(tag));
}

// ll_CC.codeset@mod -> ll_CC@mod, ll_CC, ll@mod, ll (the parts present).
void AddTagsOf(std::vector<std::string>& tags, std::string_view value) {
  const std::size_t at = value.find('@');
  const std::string_view modifier = at == std::string_view::npos ? std::string_view{} : value.substr(at);
  const std::string_view locale = value.substr(0, at);
  const std::string_view territory_and_language = locale.substr(0, locale.find('.'));
  const std::string_view language = territory_and_language.substr(0, territory_and_language.find('_'));
  if (language.empty() || IsCLocale(language)) return;
  const bool territory = territory_and_language.size() > language.size() + 1;
  std::string with_territory(territory_and_language);
  std::string plain(language);
  if (territory && !modifier.empty()) AddTag(tags, std::string(with_territory).append(modifier));
  if (territory) AddTag(tags, with_territory);
  if (!modifier.empty()) AddTag(tags, std::string(plain).append(modifier));
  AddTag(tags, plain);
}

std::string Joined(std::string_view dir, std::string_view leaf) {
  std::string path(dir);
  if (!path.empty() && path.back() != '/') path.push_back('/');
  return path.append(leaf);
}

std::string CatalogPath(std::string_view dir, std::string_view tag, std::string_view name) {
  std::string leaf(name);
  leaf.append(".obj");
  return tag.empty() ? Joined(dir, leaf) : Joined(Joined(dir, tag), leaf);
}

// A language that is not installed is no fault, merely the next one's turn.
bool Installed(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

std::vector<std::string> LanguageTags(const Environment& environment) {
  std::vector<std::string> tags;
  const std::string_view locale = FirstSet(environment, {"LC_ALL", "LC_MESSAGES", "LANG"});
  if (IsCLocale(locale)) return tags;
  std::string_view list = FirstSet(environment, {"LANGUAGE"});
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    const std::string_view entry = list.substr(0, colon);
    if (IsCLocale(entry)) return tags;
    AddTagsOf(tags, entry);
    list = colon == std::string_view::npos ? std::string_view{} : list.substr(colon + 1);
  }
  AddTagsOf(tags, locale);
  return tags;
}

int OpenForLocale(const LocaleRequest& request, const Environment& environment, qomsg_catalog** out,
                  char* opened_path, std::size_t opened_size, char* detail, std::size_t detail_size) {
  qokit::reader::SetDetail(opened_path, opened_size, "");
  qokit::reader::SetDetail(detail, detail_size, "");
  if (out == nullptr) return QOMSG_ERR_ARGUMENT;
  *out = nullptr;
  if (request.dir == nullptr || request.name == nullptr || *request.name == '\0') return QOMSG_ERR_ARGUMENT;
  std::vector<std::string> candidates;
  for (const std::string& tag : LanguageTags(environment)) {
    candidates.push_back(CatalogPath(request.dir, tag, request.name));
  }
  const std::string base = CatalogPath(request.dir, {}, request.name);
  std::string first_refusal;
  std::array<char, 512> why{};
  for (const std::string& path : candidates) {
    if (!Installed(path)) continue;
    const int rc = qomsg_open_checked(path.c_str(), request.checksum, request.table, request.count, out,
                                      why.data(), why.size());
    if (rc == QOMSG_OK) {
      qokit::reader::SetDetail(opened_path, opened_size, path);
      qokit::reader::SetDetail(detail, detail_size, first_refusal);
      return QOMSG_OK;
    }
    // Running out of memory is no fault of the translation: passing over it
    // would show another language for a while.
    if (rc == QOMSG_ERR_NOMEM) {
      qokit::reader::SetDetail(detail, detail_size, why.data());
      return rc;
    }
    if (first_refusal.empty()) first_refusal.assign(path).append(": ").append(why.data());
  }
  const int rc = qomsg_open_checked(base.c_str(), request.checksum, request.table, request.count, out,
                                    why.data(), why.size());
  if (rc != QOMSG_OK) {
    qokit::reader::SetDetail(detail, detail_size, std::string(base).append(": ").append(why.data()));
    return rc;
  }
  qokit::reader::SetDetail(opened_path, opened_size, base);
  qokit::reader::SetDetail(detail, detail_size, first_refusal);
  return QOMSG_OK;
}

}  // namespace qokit::reader
