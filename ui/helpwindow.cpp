// The manual window, F1, and the "Über" box.
#include "ui/helpwindow.h"

#include "runtime/reference.h"
#include "ui/dialogservice.h"
#include "ui/uitexts.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

constexpr char kReferenceMarker[] = "<!-- JAVA-REFERENZ -->";

QString html(const std::string& utf8)
{
    return QString::fromStdString(utf8).toHtmlEscaped();
}

// The run's library as tables, one per class.
QString referenceHtml()
{
    QString out;
    QString owner;
    for (const runtime::LibraryEntry& entry : runtime::libraryReference()) {
        const QString entryOwner = QString::fromStdString(entry.owner);
        if (entryOwner != owner) {
            if (!owner.isEmpty())
                out += QStringLiteral("</table>\n");
            owner = entryOwner;
            out += QStringLiteral("<h3>") + owner.toHtmlEscaped() +
                   QStringLiteral("</h3>\n<table border=\"1\" cellpadding=\"3\">\n");
        }
        const QString call = entry.instance
                                 ? QStringLiteral("<i>wert</i>.") + html(entry.signature)
                                 : (entry.signature.rfind("new ", 0) == 0
                                        ? html(entry.signature)
                                        : owner.toHtmlEscaped() + QLatin1Char('.') + html(entry.signature));
        out += QStringLiteral("<tr><td><code>") + call + QStringLiteral("</code></td><td>") +
               html(entry.result) + QStringLiteral("</td></tr>\n");
    }
    if (!owner.isEmpty())
        out += QStringLiteral("</table>\n");
    return out;
}

class THelpWindow final : public QDialog
{
public:
    explicit THelpWindow(QWidget* parent) : QDialog(parent)
    {
        setObjectName(QStringLiteral("Handbuch"));
        setWindowTitle(uitexts::manualTitle());
        resize(760, 620);
        auto* layout = new QVBoxLayout(this);
        m_browser = new QTextBrowser(this);
        m_browser->setObjectName(QStringLiteral("HandbuchText"));
        m_browser->setOpenExternalLinks(false);
        m_browser->setHtml(manualHtml());
        layout->addWidget(m_browser);
    }
    void showSection(const QString& anchor)
    {
        if (anchor.isEmpty())
            m_browser->scrollToAnchor(QStringLiteral("erste-schritte"));
        else
            m_browser->scrollToAnchor(anchor);
    }

private:
    QTextBrowser* m_browser = nullptr;
};

QPointer<THelpWindow>& manualWindow()
{
    static QPointer<THelpWindow> window;
    return window;
}

// F1 anywhere: the manual, in a dialog at the dialog's section.
class THelpKey final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return QObject::eventFilter(watched, event);
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == QStringLiteral("Handbuch"))
            return QObject::eventFilter(watched, event);
        QWidget* active = modal ? modal : QApplication::activeWindow();
        showManual(active, modal ? manualSectionFor(modal) : QString());
        return true;
    }
};

} // namespace

QString manualHtml()
{
    QFile file(QStringLiteral(":/help/handbuch.html"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<p>Das Handbuch fehlt in diesem Programm.</p>");
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QLatin1String(kReferenceMarker), referenceHtml());
    return text;
}

void showManual(QWidget* parent, const QString& anchor)
{
    // While a dialog waits for its answer, only a dialog of that dialog can take the keyboard.
    if (QWidget* modal = QApplication::activeModalWidget();
        modal && modal->objectName() != QStringLiteral("Handbuch")) {
        THelpWindow window(modal);
        window.showSection(anchor);
        window.exec();
        return;
    }
    QPointer<THelpWindow>& window = manualWindow();
    if (!window) {
        window = new THelpWindow(parent ? parent->window() : nullptr);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->showSection(anchor);
    window->show();
    window->raise();
    window->activateWindow();
}

QString manualSectionFor(const QWidget* dialog)
{
    if (!dialog)
        return {};
    const QString name = dialog->objectName();
    if (name == QStringLiteral("Form3"))
        return QStringLiteral("dialog-zaehlschleife");
    if (name == QStringLiteral("Druckvorschau"))
        return QStringLiteral("dialog-druckvorschau");
    if (qobject_cast<const QFileDialog*>(dialog))
        return QStringLiteral("dialog-datei");
    if (qobject_cast<const QInputDialog*>(dialog))
        return QStringLiteral("dialog-text");
    if (qobject_cast<const QMessageBox*>(dialog))
        return QStringLiteral("dialog-speichern");
    return {};
}

void installHelpKey()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    qApp->installEventFilter(new THelpKey(qApp));
}

void showAbout(QWidget* parent)
{
    // Through the dialog service, as every modal box of the editor.
    dialogService().informationMessage(
        parent, uitexts::aboutText(QStringLiteral(STRUKT_VERSION), QString::fromLatin1(qVersion())));
}
