// The I/O floor of a compiler run: reads every input file once and writes as
// many bytes as the run's output, both a byte at a time through stdio, as a
// program that streams its input to its output does. A compiler cannot do
// less than touch every byte it reads and writes, so its cost over this floor
// is what its own work costs. Usage: io_floor <output> <output-bytes> <input>...
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
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return 1;
  const int byte = static_cast<int>(sum & 0xff);
  for (long n = 0; n < size; ++n) putc_unlocked(byte, out);
  return std::fclose(out) == 0 ? 0 : 1;
}
