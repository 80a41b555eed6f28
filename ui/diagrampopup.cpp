#include "ui/diagrampopup.h"

#include "ui/commandguard.h"
#include "ui/commandstates.h"
#include "ui/struktogrammfenster.h"

#include <QMenu>

QMenu* createDiagramPopup(TForm1& form)
{
    auto* popup = new QMenu(&form);
    popup->setObjectName(QStringLiteral("PopupMenu1"));
    QMenu* insert = popup->addMenu(QStringLiteral("&Einfügen"));
    insert->setObjectName(QStringLiteral("Einfgen1"));
    insert->menuAction()->setObjectName(QStringLiteral("Einfgen1"));
    setCommandNeed(*insert->menuAction(), TCommandNeed::Element);
    auto addInsert = [&form, insert](const char* name, const QString& caption, bool visible) {
        QAction* action = insert->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setVisible(visible);
        setCommandNeed(*action, TCommandNeed::Element);
        QObject::connect(action, &QAction::triggered, &form,
                         [&form, name] { runCommand(&form, [&] { form.Einfuegen(name); }); });
    };
    auto addSeparator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };
    auto addItem = [&form, popup](const char* name, const QString& caption, void (TForm1::*handler)()) {
        QAction* action = popup->addAction(caption);
        action->setObjectName(QLatin1String(name));
        QObject::connect(action, &QAction::triggered, &form,
                         [&form, handler] { runCommand(&form, [&] { (form.*handler)(); }); });
        return action;
    };
    addInsert("Anweisung", QStringLiteral("&Anweisung"), true);
    addSeparator(insert, "N1");
    addInsert("IfAnweisung", QStringLiteral("&Entscheidung"), true);
    addSeparator(insert, "N2");
    addInsert("WhileSchleife", QStringLiteral("Schleife (Test &vorher)"), true);
    addInsert("DoWhileSchleife", QStringLiteral("Schleife (Test &danach)"), true);
    addInsert("RepeatUntilSchleife", QStringLiteral("Schleife (Tes&t danach)"), false);
    // Every element the tool bar offers.
    addInsert("ForSchleife", QStringLiteral("&Zählschleife"), true);
    setCommandNeed(
        *addItem("Textbearbeiten1", QStringLiteral("&Text bearbeiten"), &TForm1::Textbearbeiten1Click),
        TCommandNeed::Element);
    // Without a statement it says what it refines, so it stays enabled.
    addItem("Genauerbestimmen1", QStringLiteral("&Genauer bestimmen"), &TForm1::Genauerbestimmen1Click);
    setCommandNeed(*addItem("Lschen1", QStringLiteral("&Löschen"), &TForm1::Loeschen), TCommandNeed::Element);
    setCommandNeed(*addItem("Ausschneiden2", QStringLiteral("Aus&schneiden"), &TForm1::cutElement),
                   TCommandNeed::Element);
    setCommandNeed(*addItem("Elementkopieren2", QStringLiteral("Element &kopieren"), &TForm1::copyElement),
                   TCommandNeed::Element);
    setCommandNeed(*addItem("Elementeinfgen2", QStringLiteral("Element einf&ügen"), &TForm1::pasteElements),
                   TCommandNeed::Element);
    addSeparator(popup, "N3");
    setCommandNeed(*addItem("Anzeigeverkleinernvergrern1", QStringLiteral("&Anzeige verkleinern/vergrößern"),
                            &TForm1::ChangeDisplay),
                   TCommandNeed::Block);
    setCommandNeed(*addItem("InneuemFensteranzeigen1", QStringLiteral("In neuem &Fenster anzeigen"),
                            &TForm1::InneuemFensteranzeigen),
                   TCommandNeed::Block);
    return popup;
}
