// The I/O floor of a compiler run: reads every input file once, a byte at a
// time through stdio as a streaming parser does, and writes as many bytes as
// the run's output, in blocks as a buffered writer does. A compiler cannot do
// less than touch every byte it reads and write what it writes, so its cost
// over this floor is what its own work costs.
// Usage: io_floor <output> <output-bytes> <input>...
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <output> <output-bytes> <input>...\n", argv[0]);
    return 2;
  }
  unsigned sum = 0;  // every byte is used, as a compiler uses it
  for (int i = 3; i < argc; ++i) {
    std::FILE* in = std::fopen(argv[i], "r");
    if (in == nullptr) return 1;
    for (int c; (c = getc_unlocked(in)) != EOF;) sum += static_cast<unsigned>(c);
    std::fclose(in);
  }
  const long size = std::atol(argv[2]);
  if (size == 0) return 0;
  // A static block and no C++ library: the floor's own start costs what a C program's does.
  static char block[65536];
  for (char& c : block) c = static_cast<char>(sum);
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return 1;
  for (long left = size; left > 0; left -= static_cast<long>(sizeof block)) {
    const std::size_t n = left < static_cast<long>(sizeof block) ? static_cast<std::size_t>(left) : sizeof block;
    if (std::fwrite(block, 1, n, out) != n) return 1;
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
