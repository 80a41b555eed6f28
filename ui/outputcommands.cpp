#include "ui/outputcommands.h"

#include "model/dateiformat.h"
#include "ui/commandguard.h"
#include "ui/diagramarea.h"
#include "ui/dialogservice.h"
#include "ui/errortext.h"
#include "ui/hauptfenster.h"
#include "ui/picture.h"
#include "ui/printpreview.h"
#include "ui/struktogrammfenster.h"
#include "ui/uitexts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMimeData>

namespace {

// The scales of the first three picture filters: PNG at 100, 200 and 400 %.
constexpr double kPngScales[] = {1, 2, 4};

} // namespace

TOutputCommands::TOutputCommands(TForm2& main) : m_main(main)
{
    // Beside "Drucken", before the separator that keeps "Programm beenden" the last item.
    QAction* quitSeparator = nullptr;
    for (QAction* item : main.Datei1->actions()) {
        if (item->objectName() == QLatin1String("N1"))
            quitSeparator = item;
    }
    addItem(main.Datei1, "Druckvorschau1", uitexts::menuPrintPreview(), &TOutputCommands::printPreview,
            quitSeparator);
    addItem(main.Datei1, "AlsBildspeichern1", uitexts::menuSavePicture(), &TOutputCommands::savePicture,
            quitSeparator);
    addItem(main.Datei1, "AlsBildkopieren1", uitexts::menuCopyPicture(), &TOutputCommands::copyPicture,
            quitSeparator);
    main.Drucken1->addSeparator()->setObjectName(QStringLiteral("N8"));
    addItem(main.Drucken1, "Vergroessern1", uitexts::menuZoomIn(), &TOutputCommands::zoomIn)
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    addItem(main.Drucken1, "Verkleinern1", uitexts::menuZoomOut(), &TOutputCommands::zoomOut)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    addItem(main.Drucken1, "Originalgroesse1", uitexts::menuZoomReset(), &TOutputCommands::zoomReset)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
}

QAction* TOutputCommands::addItem(QMenu* menu, const char* name, const QString& caption,
                                  void (TOutputCommands::*handler)(), QAction* before)
{
    auto* action = new QAction(caption, &m_main);
    action->setObjectName(QLatin1String(name));
    menu->insertAction(before, action);
    QObject::connect(action, &QAction::triggered, action,
                     [this, handler] { runCommand(&m_main, [&] { (this->*handler)(); }); });
    return action;
}

void TOutputCommands::printPreview()
{
    TForm1* window = m_main.ActiveWindow();
    if (!window)
        return;
    TPrintPreview preview(*window, &m_main);
    dialogService().printPreviewDialog(preview);
}

void TOutputCommands::savePicture()
{
    TForm1* window = m_main.ActiveWindow();
    if (!window)
        return;
    const TSaveFileChoice choice =
        dialogService().saveFileChoice(&m_main, uitexts::filterPictures(), QStringLiteral("png"));
    if (choice.fileName.isEmpty())
        return;
    const std::string name = QFile::encodeName(choice.fileName).toStdString();
    try {
        const TPictureFormat format = pictureFormatOf(name);
        // A PNG chosen by its extension under another filter is drawn at 100 %.
        const double scale = choice.filter >= 0 && choice.filter < 3 ? kPngScales[choice.filter] : 1;
        TPictureSource picture(*window->ShownBlock, *window->Options, m_main.flowchartMode());
        const QByteArray bytes = pictureBytes(picture, format, scale, name);
        writeFileSafely(name, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const DesignError& error) {
        dialogService().errorMessage(&m_main, errorText(error));
    }
}

void TOutputCommands::copyPicture()
{
    TForm1* window = m_main.ActiveWindow();
    if (!window)
        return;
    TPictureSource picture(*window->ShownBlock, *window->Options, m_main.flowchartMode());
    try {
        // As file bytes made here, once: an image left to the toolkit would be encoded anew for every
        // program that asks, inside its handling of the display's events, where memory running out
        // cannot be caught.
        auto data = std::make_unique<QMimeData>();
        data->setData(QStringLiteral("image/png"),
                      pictureBytes(picture, TPictureFormat::Png, 1,
                                   QFile::encodeName(uitexts::clipboardPicture()).toStdString()));
        data->setData(QStringLiteral("image/svg+xml"), pictureSvg(picture));
        QApplication::clipboard()->setMimeData(data.release());
    } catch (const DesignError& error) {
        dialogService().errorMessage(&m_main, errorText(error));
    }
}

void TOutputCommands::zoomIn()
{
    if (TForm1* window = m_main.ActiveWindow())
        window->diagramArea()->zoomIn();
}

void TOutputCommands::zoomOut()
{
    if (TForm1* window = m_main.ActiveWindow())
        window->diagramArea()->zoomOut();
}

void TOutputCommands::zoomReset()
{
    if (TForm1* window = m_main.ActiveWindow())
        window->diagramArea()->resetZoom();
}
