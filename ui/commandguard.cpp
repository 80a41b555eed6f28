#include "ui/commandguard.h"

#include "ui/dialogservice.h"
#include "ui/errortext.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

// Whether a failed paint has been reported since the last paint that succeeded.
bool g_paintFailureReported = false;

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

void reportOutOfMemory(QWidget* parent) noexcept
{
    try {
        showError(parent, DesignError(ErrorReason::OutOfMemory));
    } catch (...) {
        std::fputs("Nicht genug Arbeitsspeicher f\xC3\xBCr diesen Befehl\n", stderr);
    }
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
