// Finding the catalogue for the user's language in an installed tree:
//
//   <dir>/<name>.obj          the base catalogue
//   <dir>/<lang>/<name>.obj   one translation per language tag (de, pt_BR)
//
// Tags come from LANGUAGE (a colon-separated list), then from the first set
// of LC_ALL, LC_MESSAGES and LANG. Each value ll_CC.codeset@mod yields, in
// this order, ll_CC@mod, ll_CC, ll@mod, ll: the codeset is never part of a
// tag, since a catalogue is installed once per language. A set empty
// variable counts as unset. When the locale is "C" or "POSIX" only the base
// is wanted (LANGUAGE too is ignored, as messages must then be untranslated);
// with no locale set at all LANGUAGE still applies. A "C" or "POSIX" entry of
// LANGUAGE ends the list there. A tag holding "/" is skipped, so the
// environment cannot lead outside the tree.
//
// The search reads the environment through a callback, so tests can drive
// it without changing the process environment; it keeps no state and may
// run in several threads as long as no thread changes the environment.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "qokit/qomsg.h"

namespace qokit::reader {

// The value of an environment variable, or null when it is not set.
using Environment = std::function<const char*(const char* variable)>;

// The tags to try, most wanted first, each once; the base is not among them.
std::vector<std::string> LanguageTags(const Environment& environment);

// The catalogue a client wants, and what it must fit.
struct LocaleRequest {
  const char* dir = nullptr;
  const char* name = nullptr;
  long checksum = 0;
  const qomsg_signature* table = nullptr;
  std::size_t count = 0;
};

// qomsg_open_locale with the environment read through `environment`.
int OpenForLocale(const LocaleRequest& request, const Environment& environment, qomsg_catalog** out,
                  char* opened_path, std::size_t opened_size, char* detail, std::size_t detail_size);

}  // namespace qokit::reader
