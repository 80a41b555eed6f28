#include "ui/commandguard.h"

#include "ui/dialogservice.h"
#include "ui/errortext.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Whether a failed paint has been reported since the last paint that succeeded.
bool g_paintFailureReported = false;

// Enough for a message box and a few lines of text; taken when the editor starts.
constexpr std::size_t kReserveBytes = std::size_t{8} << 20;
void* g_reserve = nullptr;

void showError(QWidget* parent, const DesignError& error) noexcept
{
    try {
        dialogService().errorMessage(parent, errorText(error));
    } catch (...) {
        // Not even the message box found memory.
        std::fputs(error.what(), stderr);
        std::fputc('\n', stderr);
    }
}

} // namespace

void useCompactingAllocator() noexcept
{
#if defined(__GLIBC__)
    // No fast bins: with them a million released elements stay apart in lists by size, are handed out
    // again in the order they were released, and are joined only when a large request comes.
    mallopt(M_MXFAST, 0);
#endif
}

void releaseMemoryReserve() noexcept
{
    std::free(g_reserve);
    g_reserve = nullptr;
}

void keepMemoryReserve() noexcept
{
    if (!g_reserve)
        g_reserve = std::malloc(kReserveBytes);
}

void reportOutOfMemory(QWidget* parent) noexcept
{
    releaseMemoryReserve();
    try {
        showError(parent, DesignError(ErrorReason::OutOfMemory));
    } catch (...) {
        std::fputs("Nicht genug Arbeitsspeicher f\xC3\xBCr diesen Befehl\n", stderr);
    }
    keepMemoryReserve();
}

void reportCommandError(QWidget* parent, const DesignError& error) noexcept
{
    showError(parent, error);
}

void reportOutOfMemoryLater(QWidget* parent) noexcept
{
    if (g_paintFailureReported)
        return;
    g_paintFailureReported = true;
    try {
        QTimer::singleShot(0, parent, [window = QPointer<QWidget>(parent)] { reportOutOfMemory(window); });
    } catch (...) {
        reportOutOfMemory(nullptr);
    }
}

void paintSucceeded() noexcept
{
    g_paintFailureReported = false;
}
