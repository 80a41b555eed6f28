// Preloaded into a program (LD_PRELOAD), this library makes the C library's allocation functions fail as
// memory running out makes them fail: with STRUKT_FAIL_FROM=k, every request of 4 KiB or more fails from
// the k-th such request on (a toolkit's own allocations included, which no operator new sees). With
// STRUKT_COUNT_REQUESTS set it prints the number of such requests on standard error at the end, so that a
// test can place k where a command ends. Child processes share the count: requests are numbered in the
// order they are made, whichever process makes them.

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* memory, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

constexpr std::size_t kLarge = 4096;
long g_failFrom = 0; // 0: nothing fails
long g_ownCount = 0;
long* g_requests = &g_ownCount; // in memory shared with child processes once set up

void reportCount()
{
    char text[64];
    const int length = std::snprintf(text, sizeof text, "large requests: %ld\n", *g_requests);
    if (length > 0)
        static_cast<void>(::write(2, text, static_cast<std::size_t>(length)));
}

__attribute__((constructor)) void readSettings()
{
    void* shared = ::mmap(nullptr, sizeof(long), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared != MAP_FAILED)
        g_requests = static_cast<long*>(shared);
    if (const char* from = std::getenv("STRUKT_FAIL_FROM"))
        g_failFrom = std::atol(from);
    if (std::getenv("STRUKT_COUNT_REQUESTS"))
        std::atexit(reportCount);
}

bool fails(std::size_t size)
{
    if (size < kLarge)
        return false;
    const long request = __atomic_add_fetch(g_requests, 1, __ATOMIC_RELAXED);
    if (g_failFrom <= 0 || request < g_failFrom)
        return false;
    errno = ENOMEM;
    return true;
}

} // namespace

extern "C" {

void* malloc(std::size_t size)
{
    return fails(size) ? nullptr : __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    std::size_t total = 0;
    if (__builtin_mul_overflow(count, size, &total) || fails(total))
        return nullptr;
    return __libc_calloc(count, size);
}

void* realloc(void* memory, std::size_t size)
{
    return size > 0 && fails(size) ? nullptr : __libc_realloc(memory, size);
}

void* memalign(std::size_t alignment, std::size_t size)
{
    return fails(size) ? nullptr : __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    return memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size)
{
    void* memory = memalign(alignment, size);
    if (!memory)
        return ENOMEM;
    *result = memory;
    return 0;
}

} // extern "C"
