// A C++ client whose own namespaces are called qomsg and msgtext, names the
// kit's libraries once used for their inner C++: it must link against the
// readers and the agent client, static or shared, and every call must reach
// its own definition.
#include <string>

#include "every_call.h"

namespace qomsg {
class Catalog {
 public:
  std::string Load() const { return "client catalogue"; }
};
int Find(long number) { return static_cast<int>(number) + 1; }
}  // namespace qomsg

namespace msgtext {
std::string Format(const qomsg::Catalog& catalog) { return catalog.Load() + " formatted"; }
}  // namespace msgtext

int main() {
  if (msgtext::Format(qomsg::Catalog()) != "client catalogue formatted" || qomsg::Find(1) != 2) return 1;
  return call_every_reader() + call_the_agent(STATAGENT_PATH);
}
