#include "ui/runcommands.h"

#include "ui/commandguard.h"
#include "ui/commandstates.h"
#include "ui/hauptfenster.h"
#include "ui/runcontroller.h"
#include "ui/uitexts.h"

#include <QAction>
#include <QActionGroup>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QToolBar>
#include <iterator>

namespace {

// Where each speed's caption has its mnemonic: "&1", "&2", "&4", "1&0", "&30".
int mnemonicAt(int speed)
{
    return speed == 10 ? 1 : 0;
}

// The tool tip names the key: "Einzelschritt (F10)".
void setKeyTip(QAction& action)
{
    action.setToolTip(QString(action.text()).remove(QLatin1Char('&')) + QStringLiteral(" (") +
                      action.shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));
}

} // namespace

TRunCommands::TRunCommands(TForm2& main, TRunController& controller, const QList<QDockWidget*>& docks)
    : m_main(main), m_controller(controller)
{
    main.Drucken1->addSeparator()->setObjectName(QStringLiteral("N9"));
    const char* const toggleNames[] = {"JavaAnsicht1", "Variablen1", "Konsole1", "Ablaufprotokoll1"};
    const QString toggleCaptions[] = {uitexts::menuJavaView(), uitexts::menuVariables(),
                                      uitexts::menuConsole(), uitexts::menuTrace()};
    for (int i = 0; i < docks.size() && i < 4; ++i) {
        QAction* toggle = docks[i]->toggleViewAction();
        toggle->setObjectName(QLatin1String(toggleNames[i]));
        toggle->setText(toggleCaptions[i]);
        main.Drucken1->addAction(toggle);
    }
    // How often each element ran, on the elements, after a run and while it goes on.
    auto* counts = new QAction(uitexts::menuCounts(), &main);
    counts->setObjectName(QStringLiteral("Ablaufzaehlung1"));
    counts->setCheckable(true);
    main.Drucken1->addAction(counts);
    QObject::connect(counts, &QAction::toggled, &main,
                     [this](bool on) { runCommand(&m_main, [&] { m_controller.showCounts(on); }); });

    m_menu = main.menuBar()->addMenu(uitexts::menuRun());
    m_menu->setObjectName(QStringLiteral("Ausfuehren1"));
    m_start = addItem("Starten1", uitexts::menuRunStart(), &TRunController::start, QKeySequence(Qt::Key_F5));
    m_step = addItem("Einzelschritt1", uitexts::menuRunStep(), &TRunController::singleStep,
                     QKeySequence(Qt::Key_F10));
    m_pause = addItem("Anhalten1", uitexts::menuRunPause(), &TRunController::pause, QKeySequence(Qt::Key_F6));
    m_pause->setShortcuts({QKeySequence(Qt::Key_F6), QKeySequence(Qt::Key_Pause)});
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
    // A speed chosen with the slider that the menu does not offer checks none of its items.
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const int speed : kSpeeds) {
        auto* item = new QAction(uitexts::menuSpeedItem(speed, mnemonicAt(speed)), &main);
        item->setObjectName(QStringLiteral("Geschwindigkeit%1").arg(speed));
        item->setCheckable(true);
        item->setChecked(speed == controller.speed());
        group->addAction(item);
        speeds->addAction(item);
        m_speedItems.push_back(item);
        QObject::connect(item, &QAction::triggered, &main,
                         [this, speed] { runCommand(&m_main, [&] { m_controller.setSpeed(speed); }); });
    }
    update(runtime::SessionState::Idle);
}

void TRunCommands::createToolBar()
{
    auto* bar = new QToolBar(uitexts::runToolBar(), &m_main);
    bar->setObjectName(QStringLiteral("LaufLeiste"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->toggleViewAction()->setVisible(false);
    m_main.addToolBar(Qt::TopToolBarArea, bar);
    for (QAction* action : {m_start, m_step, m_pause, m_stop}) {
        bar->addAction(action);
        setKeyTip(*action);
    }
    bar->addSeparator();
    auto* label = new QLabel(uitexts::speedSliderLabel(), bar);
    bar->addWidget(label);
    m_slider = new QSlider(Qt::Horizontal, bar);
    m_slider->setObjectName(QStringLiteral("Geschwindigkeitsregler"));
    m_slider->setRange(0, static_cast<int>(std::size(kSliderSpeeds)) - 1);
    m_slider->setPageStep(1);
    m_slider->setFixedWidth(120);
    m_slider->setAccessibleName(uitexts::speedSliderLabel());
    label->setBuddy(m_slider);
    bar->addWidget(m_slider);
    showSpeed(m_controller.speed());
    QObject::connect(m_slider, &QSlider::valueChanged, &m_main, [this](int position) {
        const int speed = kSliderSpeeds[static_cast<std::size_t>(position)];
        if (speed != m_controller.speed())
            runCommand(&m_main, [&] { m_controller.setSpeed(speed); });
    });
}

void TRunCommands::showSpeed(int stepsPerSecond)
{
    for (QAction* item : m_speedItems)
        item->setChecked(item->objectName() == QStringLiteral("Geschwindigkeit%1").arg(stepsPerSecond));
    if (!m_slider)
        return;
    // The slider's position for the speed, or the nearest slower one; full speed is the last.
    int position = static_cast<int>(std::size(kSliderSpeeds)) - 1;
    if (stepsPerSecond > 0) {
        position = 0;
        for (int i = 0; kSliderSpeeds[static_cast<std::size_t>(i)] != 0; ++i) {
            if (kSliderSpeeds[static_cast<std::size_t>(i)] <= stepsPerSecond)
                position = i;
        }
    }
    const QSignalBlocker quiet(m_slider);
    m_slider->setValue(position);
    m_slider->setToolTip(uitexts::speedSliderTip(stepsPerSecond));
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
    m_start->setText(state == runtime::SessionState::Paused ? uitexts::menuRunResume()
                                                            : uitexts::menuRunStart());
    setKeyTip(*m_start);
    m_pause->setEnabled(state == runtime::SessionState::Running);
    m_stop->setEnabled(state == runtime::SessionState::Running || state == runtime::SessionState::Paused);
}
