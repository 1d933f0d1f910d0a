#include "objfile.h"

#include <cstdio>

// The object file writer is not built yet; genobj must not pretend to succeed.
int GenerateObjectFile() {
  std::fputs("The genobj subcommand is not available in this version.\n", stderr);
  return 1;
}
