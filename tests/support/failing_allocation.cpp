#include "tests/support/failing_allocation.h"

#include <cstdlib>
#include <new>

namespace {

// Allocations left until the one that fails; negative: none fails.
long g_countdown = -1;
bool g_failed = false;
std::size_t g_largest = 0;

void* allocate(std::size_t size)
{
    if ((g_countdown >= 0 && g_countdown-- == 0) || (g_largest > 0 && size >= g_largest)) {
        g_failed = true;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void* allocateOrNull(std::size_t size) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

void failAllocationAfter(long n)
{
    g_countdown = n;
    g_failed = false;
}

bool allocationFailed()
{
    g_countdown = -1;
    return g_failed;
}

void failAllocationsFrom(std::size_t bytes)
{
    g_largest = bytes;
}

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocateOrNull(size);
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}
