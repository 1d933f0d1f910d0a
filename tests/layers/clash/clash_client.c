/* A C client that has names of its own which the kit's libraries once
 * defined or pulled in (the string layer's table and start-up, commutil's
 * integers), with other types: it must link against the readers and the agent
 * client, static or shared, and every call must reach its own definition. */
#include "every_call.h"

int nls = 42;
int nlsInit(void) { return 7; }
unsigned GetTwo(const unsigned char* at) { return (unsigned)at[0] * 1000 + at[1]; }
void SetFour(unsigned char* at, unsigned value) { at[0] = (unsigned char)(value % 10); }

int main(void) {
  unsigned char two[2] = {4, 2};
  SetFour(two, 19);
  if (nls != 42 || nlsInit() != 7 || GetTwo(two) != 9002) return 1;
  return call_every_reader() + call_the_agent(STATAGENT_PATH);
}
