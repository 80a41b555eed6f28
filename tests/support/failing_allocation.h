#pragma once

#include <cstddef>

// Linked into a test binary, failing_allocation.cpp replaces the global operator new and delete. After
// failAllocationAfter(n) the allocation n from now (0: the next one) throws std::bad_alloc, once;
// allocationFailed() turns that off and tells whether it happened. After failAllocationsFrom(bytes)
// every allocation of at least that size fails, until it is called with 0.
void failAllocationAfter(long n);
bool allocationFailed();
void failAllocationsFrom(std::size_t bytes);
