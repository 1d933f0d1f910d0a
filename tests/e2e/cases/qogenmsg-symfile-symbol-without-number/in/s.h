#define A
