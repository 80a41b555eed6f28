// The editor's settings, read defensively.
#include "ui/settings.h"

#include "model/zoom.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>

namespace appsettings {

namespace {

bool g_enabled = false;

QSettings& store()
{
    static QSettings settings(QStringLiteral("struktogramm"), QStringLiteral("struktogramm"));
    return settings;
}

QByteArray bytesOf(const QString& key)
{
    if (!g_enabled)
        return {};
    const QVariant value = store().value(key);
    return value.canConvert<QByteArray>() ? value.toByteArray() : QByteArray();
}

QString textOf(const QString& key)
{
    if (!g_enabled)
        return {};
    const QVariant value = store().value(key);
    return value.canConvert<QString>() ? value.toString() : QString();
}

void put(const QString& key, const QVariant& value)
{
    if (g_enabled)
        store().setValue(key, value);
}

QString zoomKey(bool flowchart)
{
    return flowchart ? QStringLiteral("ansicht/zoomFlussdiagramm")
                     : QStringLiteral("ansicht/zoomStruktogramm");
}

} // namespace

void enable(bool on)
{
    g_enabled = on;
}

void reset()
{
    store().clear();
}

bool enabled()
{
    return g_enabled;
}

QByteArray windowGeometry()
{
    return bytesOf(QStringLiteral("fenster/geometrie"));
}

QByteArray windowState()
{
    return bytesOf(QStringLiteral("fenster/zustand"));
}

void setWindow(const QByteArray& geometry, const QByteArray& state)
{
    put(QStringLiteral("fenster/geometrie"), geometry);
    put(QStringLiteral("fenster/zustand"), state);
}

int zoom(bool flowchart)
{
    bool number = false;
    const int percent = textOf(zoomKey(flowchart)).toInt(&number);
    return number && percent >= TZoom::kMinPercent && percent <= TZoom::kMaxPercent ? percent : 100;
}

void setZoom(bool flowchart, int percent)
{
    put(zoomKey(flowchart), percent);
}

int runSpeed(int fallback)
{
    bool number = false;
    const int speed = textOf(QStringLiteral("ausfuehren/geschwindigkeit")).toInt(&number);
    return number && speed >= 0 && speed <= 1000 ? speed : fallback;
}

void setRunSpeed(int stepsPerSecond)
{
    put(QStringLiteral("ausfuehren/geschwindigkeit"), stepsPerSecond);
}

QString lastFolder(const QString& kind)
{
    const QString folder = textOf(QStringLiteral("ordner/") + kind);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void setLastFolder(const QString& kind, const QString& folder)
{
    if (!kind.isEmpty() && !folder.isEmpty())
        put(QStringLiteral("ordner/") + kind, folder);
}

QStringList recentFiles()
{
    if (!g_enabled)
        return {};
    const QVariant value = store().value(QStringLiteral("zuletzt/dateien"));
    QStringList files = value.canConvert<QStringList>() ? value.toStringList() : QStringList();
    files.removeAll(QString());
    files.removeDuplicates();
    while (files.size() > kRecentFiles)
        files.removeLast();
    return files;
}

void addRecentFile(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = recentFiles();
    files.removeAll(absolute);
    files.prepend(absolute);
    while (files.size() > kRecentFiles)
        files.removeLast();
    put(QStringLiteral("zuletzt/dateien"), files);
}

void removeRecentFile(const QString& path)
{
    QStringList files = recentFiles();
    files.removeAll(path);
    put(QStringLiteral("zuletzt/dateien"), files);
}

} // namespace appsettings
