#pragma once

// What the editor keeps between starts, with QSettings under the program's name: the main window's
// geometry and state, each drawing mode's last zoom, the last folder of each kind of file dialog, the
// recently opened designs. Every value is read defensively: a damaged or foreign settings file gives the
// defaults and never stops the start. Off until the editor turns it on, so that tests and batch commands
// neither read nor write the user's settings.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace appsettings {

// Turns the settings on (the editor at start-up) or off again.
void enable(bool on = true);
bool enabled();
// Forgets every setting: the next start is a first start.
void reset();

// The main window's saved geometry and state; empty when there are none.
QByteArray windowGeometry();
QByteArray windowState();
void setWindow(const QByteArray& geometry, const QByteArray& state);

// The last zoom of a drawing mode, in percent; nothing saved gives 100.
int zoom(bool flowchart);
void setZoom(bool flowchart, int percent);

// The run's speed in steps a second (0: full speed); nothing saved gives `fallback`.
int runSpeed(int fallback);
void setRunSpeed(int stepsPerSecond);

// The folder a file dialog for files of `kind` ("str", "java", a picture's "png") last went to; empty
// for none.
QString lastFolder(const QString& kind);
void setLastFolder(const QString& kind, const QString& folder);

// The recently opened designs, the newest first, at most kRecentFiles.
inline constexpr int kRecentFiles = 8;
QStringList recentFiles();
void addRecentFile(const QString& path);
void removeRecentFile(const QString& path);

} // namespace appsettings
