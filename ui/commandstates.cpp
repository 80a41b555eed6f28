#include "ui/commandstates.h"

#include <QAction>
#include <QVariant>

namespace {

constexpr char kNeedProperty[] = "commandNeed";

} // namespace

void setCommandNeed(QAction& action, TCommandNeed need)
{
    action.setProperty(kNeedProperty, static_cast<int>(need));
}

void enableCommandsFor(const QList<QAction*>& actions, const TElement* current)
{
    for (QAction* action : actions) {
        const QVariant need = action->property(kNeedProperty);
        if (need.isValid())
            action->setEnabled(commandAvailable(static_cast<TCommandNeed>(need.toInt()), current));
    }
}
