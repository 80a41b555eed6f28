#include "ui/runcommands.h"

#include "ui/commandguard.h"
#include "ui/commandstates.h"
#include "ui/hauptfenster.h"
#include "ui/runcontroller.h"
#include "ui/uitexts.h"

#include <QAction>
#include <QActionGroup>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>

namespace {

// Where each speed's caption has its mnemonic: "&1", "&2", "&4", "1&0", "&30".
int mnemonicAt(int speed)
{
    return speed == 10 ? 1 : 0;
}

} // namespace

TRunCommands::TRunCommands(TForm2& main, TRunController& controller, const QList<QDockWidget*>& docks)
    : m_main(main), m_controller(controller)
{
    main.Drucken1->addSeparator()->setObjectName(QStringLiteral("N9"));
    const char* const toggleNames[] = {"JavaAnsicht1", "Variablen1", "Konsole1"};
    const QString toggleCaptions[] = {uitexts::menuJavaView(), uitexts::menuVariables(),
                                      uitexts::menuConsole()};
    for (int i = 0; i < docks.size() && i < 3; ++i) {
        QAction* toggle = docks[i]->toggleViewAction();
        toggle->setObjectName(QLatin1String(toggleNames[i]));
        toggle->setText(toggleCaptions[i]);
        main.Drucken1->addAction(toggle);
    }

    m_menu = main.menuBar()->addMenu(uitexts::menuRun());
    m_menu->setObjectName(QStringLiteral("Ausfuehren1"));
    m_start = addItem("Starten1", uitexts::menuRunStart(), &TRunController::start, QKeySequence(Qt::Key_F5));
    addItem("Einzelschritt1", uitexts::menuRunStep(), &TRunController::singleStep, QKeySequence(Qt::Key_F10));
    m_pause = addItem("Anhalten1", uitexts::menuRunPause(), &TRunController::pause, {});
    m_stop = addItem("Beenden1", uitexts::menuRunStop(), &TRunController::stop,
                     QKeySequence(Qt::SHIFT | Qt::Key_F5));
    m_menu->addSeparator()->setObjectName(QStringLiteral("N10"));
    QAction* breakpoint = addItem("Haltepunkt1", uitexts::menuBreakpoint(), &TRunController::toggleBreakpoint,
                                  QKeySequence(Qt::Key_F9));
    setCommandNeed(*breakpoint, TCommandNeed::Element);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N12"));

    QMenu* speeds = m_menu->addMenu(uitexts::menuSpeed());
    speeds->setObjectName(QStringLiteral("Geschwindigkeit1"));
    auto* group = new QActionGroup(&main);
    for (const int speed : kSpeeds) {
        auto* item = new QAction(uitexts::menuSpeedItem(speed, mnemonicAt(speed)), &main);
        item->setObjectName(QStringLiteral("Geschwindigkeit%1").arg(speed));
        item->setCheckable(true);
        item->setChecked(speed == controller.speed());
        group->addAction(item);
        speeds->addAction(item);
        QObject::connect(item, &QAction::triggered, &main,
                         [this, speed] { runCommand(&m_main, [&] { m_controller.setSpeed(speed); }); });
    }
    update(runtime::SessionState::Idle);
}

QAction* TRunCommands::addItem(const char* name, const QString& caption, void (TRunController::*command)(),
                               const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, &m_main);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    m_menu->addAction(action);
    QObject::connect(action, &QAction::triggered, &m_main,
                     [this, command] { runCommand(&m_main, [&] { (m_controller.*command)(); }); });
    return action;
}

void TRunCommands::update(runtime::SessionState state)
{
    m_start->setEnabled(state != runtime::SessionState::Running);
    m_pause->setEnabled(state == runtime::SessionState::Running);
    m_stop->setEnabled(state == runtime::SessionState::Running || state == runtime::SessionState::Paused);
}
