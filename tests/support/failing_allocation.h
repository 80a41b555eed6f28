#pragma once

#include <cstddef>

// A test binary that links failing_allocation.cpp replaces the global operator new and delete with ones
// that can be told to fail: failAllocationAfter(n) makes the allocation n from now (0: the next one)
// throw std::bad_alloc, once. Together they check that an operation leaves everything as it was when
// memory runs out at any of its allocations.
void failAllocationAfter(long n);
// Turns a pending failure off; true when it had already happened.
bool allocationFailed();
// Makes every allocation of at least `bytes` throw std::bad_alloc, until called with 0: a machine whose
// memory has room for everything but the one large block that a command needs.
void failAllocationsFrom(std::size_t bytes);
