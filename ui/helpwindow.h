#pragma once

// The manual inside the program: German HTML shipped with it (a Qt resource, so it works offline and from
// the package), shown in a window of its own, with the Java reference made from the run's own library
// table. F1 opens it; in a dialog, at that dialog's section. And the "Über" box.

#include <QString>

class QWidget;

// The manual's HTML with the Java reference filled in.
QString manualHtml();

// Shows the manual at the section `anchor` (its start when empty): in a window beside the editor, or, while
// a dialog waits for an answer, as a dialog of that dialog.
void showManual(QWidget* parent, const QString& anchor = {});

// The section of the manual for the dialog `dialog` (by its class or object name); empty for none.
QString manualSectionFor(const QWidget* dialog);

// Makes F1 open the manual everywhere in the application, in a dialog at that dialog's section.
void installHelpKey();

// "Über Struktogramm-Editor": version, licence, Qt version.
void showAbout(QWidget* parent);
