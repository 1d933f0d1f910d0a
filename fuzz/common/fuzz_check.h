// The property check of the fuzz targets: a failed property ends the run
// and names itself, so a finding explains itself without a debugger.
#pragma once

#include <cstdio>
#include <cstdlib>

#define CHECK(condition)                                                                          \
  ((condition) ? (void)0                                                                          \
               : (std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__), \
                  std::abort()))
