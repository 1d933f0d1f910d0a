#include "agent.h"

int main(int argc, char* argv[]) { return qokit::agent::RunAgent(argc, argv); }
