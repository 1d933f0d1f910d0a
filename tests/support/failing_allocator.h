// Every allocation through operator new counted, and one of them failed on
// request, for the tests that drive a library through running out of memory.
// Linking this module replaces the program's operator new and delete.
#pragma once

namespace failing_allocator {

// Allocations made and not yet freed.
long Live();
// Allocations made so far.
long Made();
// Lets `n` more allocations succeed and fails the one after (operator new
// throws std::bad_alloc, the nothrow forms return null); -1: none fails.
void FailAfter(long n);
// Whether an allocation was failed since the last FailAfter.
bool Failed();

}  // namespace failing_allocator
