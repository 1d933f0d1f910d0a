#define A -4
