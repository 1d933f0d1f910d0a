// The message compiler's diagnostics: every fixed text goes to standard
// error through this one format-checked helper.
#pragma once

[[gnu::format(printf, 1, 2)]] void Report(const char* format, ...);
