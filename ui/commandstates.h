#pragma once

// Commands that need a current element are greyed out while there is none: each such action carries
// what it needs, and one call sets the enabled state of a set of actions for the current element.

#include "model/editing.h"

#include <QList>

class QAction;

// `action` acts only on a current element (or a current block) from now on.
void setCommandNeed(QAction& action, TCommandNeed need);
// Enables or greys out every action of `actions` that has a need, as `current` (null: nothing current)
// meets it. Actions without a need stay as they are.
void enableCommandsFor(const QList<QAction*>& actions, const TElement* current);
