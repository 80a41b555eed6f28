// Copying, cutting and pasting elements through the system clipboard.
#include "ui/struktogrammfenster.h"

#include "model/document.h"
#include "model/elementclipboard.h"
#include "parser/interpret.h"
#include "ui/clipboardreader.h"
#include "ui/cp1252.h"
#include "ui/dialogservice.h"
#include "ui/errortext.h"
#include "ui/hauptfenster.h"
#include "ui/uitexts.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QStatusBar>

namespace {

// The clipboard's contents for `e`: made in full before the clipboard changes hands, so that running out of
// memory leaves the clipboard as it was.
std::unique_ptr<QMimeData> elementMime(const TElement& e)
{
    const std::string bytes = elementBytes(e);
    const QString java = fromCp1252(elementJavaText(e));
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QLatin1String(kElementsMimeType),
                  QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    mime->setText(java);
    return mime;
}

} // namespace

void TForm1::copyElement()
{
    if (TElement* target = currentElement())
        QApplication::clipboard()->setMimeData(elementMime(*target).release());
}

void TForm1::cutElement()
{
    TElement* target = currentElement();
    if (!target)
        return;
    std::unique_ptr<QMimeData> mime = elementMime(*target);
    // One undo step. Memory running out in it ends the command here, with the clipboard as it was.
    Loeschen();
    QApplication::clipboard()->setMimeData(mime.release());
}

void TForm1::pasteElements()
{
    TElement* target = currentElement();
    if (!target)
        return;
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!mime)
        return;
    std::unique_ptr<TElement> chain;
    QString notice;
    try {
        if (mime->hasFormat(QLatin1String(kElementsMimeType))) {
            const QByteArray bytes = mime->data(QLatin1String(kElementsMimeType));
            chain = elementsFromBytes(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        } else if (mime->hasText()) {
            // Java from an IDE: read as the import reads it, and put in here instead of replacing the design.
            TImportedText imported = importJava(clipboardTextUtf8());
            chain = imported.root->takeChildren();
            notice = uitexts::importNotice(imported.commentsLeftOut, imported.charactersReplaced);
        }
    } catch (const DesignError& error) {
        dialogService().errorMessage(this, errorText(error));
        return;
    }
    if (!chain)
        return;
    TDesignDocument& document = m_main->document();
    document.takeSnapshot();
    TElement* pasted = nullptr;
    try {
        pasted = ::pasteElements(*target, std::move(chain));
    } catch (const DesignError& error) {
        document.dropNewestSnapshot(); // nothing changed
        dialogService().errorMessage(this, errorText(error));
        return;
    }
    TBlock* block = asBlock(target);
    if (block && Options->IsCollapsed(block))
        m_main->ToggleCollapsedEverywhere(block);
    setCurrent(pasted);
    m_main->RefreshAllWindows();
    if (!notice.isEmpty())
        m_main->statusBar()->showMessage(notice, 20000);
}
