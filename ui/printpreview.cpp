#include "ui/printpreview.h"

#include "ui/commandguard.h"
#include "ui/dialogservice.h"
#include "ui/errortext.h"
#include "ui/printing.h"
#include "ui/qtcanvas.h"
#include "ui/struktogrammfenster.h"
#include "ui/uitexts.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TPrintPreview::TPrintPreview(TForm1& window, QWidget* parent)
    : QDialog(parent), m_window(window), m_printer(QPrinter::HighResolution)
{
    setObjectName(QStringLiteral("Druckvorschau"));
    setWindowTitle(uitexts::printPreviewCaption());
    m_printer.setDocName(window.windowTitle());
    m_printer.setResolution(kPrintResolution);

    auto makeRadio = [this](const char* name, const QString& caption, QButtonGroup* group) {
        auto* button = new QRadioButton(caption, this);
        button->setObjectName(QLatin1String(name));
        group->addButton(button);
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                runCommand(this, [this] { choiceChanged(); });
        });
        return button;
    };
    auto* fit = new QButtonGroup(this);
    auto* orientation = new QButtonGroup(this);
    ShrinkButton = makeRadio("EineSeite", uitexts::shrinkToOnePage(), fit);
    SpreadButton = makeRadio("MehrereSeiten", uitexts::spreadOverPages(), fit);
    PortraitButton = makeRadio("Hochformat", uitexts::portrait(), orientation);
    LandscapeButton = makeRadio("Querformat", uitexts::landscape(), orientation);
    ShrinkButton->setChecked(true);
    PortraitButton->setChecked(m_printer.pageLayout().orientation() == QPageLayout::Portrait);
    LandscapeButton->setChecked(!PortraitButton->isChecked());

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("Hinweis"));
    m_pages = new QPrintPreviewWidget(&m_printer, this);
    m_pages->setViewMode(QPrintPreviewWidget::AllPagesView);
    m_pages->setZoomMode(QPrintPreviewWidget::FitInView);
    connect(m_pages, &QPrintPreviewWidget::paintRequested, this, &TPrintPreview::paintPages);
    PrintButton = new QPushButton(uitexts::printButton(), this);
    CloseButton = new QPushButton(uitexts::closeButton(), this);
    connect(PrintButton, &QPushButton::clicked, this, [this] { runCommand(this, [this] { printPages(); }); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* choices = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(ShrinkButton), static_cast<QWidget*>(SpreadButton)})
        choices->addWidget(w);
    choices->addSpacing(24);
    choices->addWidget(PortraitButton);
    choices->addWidget(LandscapeButton);
    choices->addStretch();
    choices->addWidget(PrintButton);
    choices->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(m_note);
    layout->addWidget(m_pages, 1);
    resize(900, 700);
    m_pages->updatePreview();
}

TPageMode TPrintPreview::pageMode() const
{
    return SpreadButton->isChecked() ? TPageMode::SplitPages : TPageMode::ShrinkToFit;
}

bool TPrintPreview::landscape() const
{
    return LandscapeButton->isChecked();
}

QString TPrintPreview::note() const
{
    return m_note->text();
}

int TPrintPreview::pageCount() const
{
    return m_pages->pageCount();
}

void TPrintPreview::choiceChanged()
{
    // The buttons are made one after the other; the preview follows once it exists.
    if (!m_pages)
        return;
    m_printer.setPageOrientation(landscape() ? QPageLayout::Landscape : QPageLayout::Portrait);
    m_pages->updatePreview();
}

void TPrintPreview::paintPages(QPrinter* printer)
{
    // The preview widget asks for the pages whenever it lays them out anew, also from its own events: a
    // paint, with the memory message after the current event.
    m_layout.reset();
    runPainting(parentWidget() ? parentWidget() : this, [this, printer] {
        try {
            m_layout = m_window.PrintStruktogramm(*printer, pageMode());
            m_note->setText(m_layout ? pageLayoutNote(*m_layout) : uitexts::cannotPrint());
        } catch (const DesignError& error) {
            m_note->setText(errorText(error));
        }
    });
}

void TPrintPreview::printPages()
{
    if (!dialogService().printDialog(this, m_printer))
        return;
    m_printer.setDocName(m_window.windowTitle());
    if (!m_window.PrintStruktogramm(m_printer, pageMode())) {
        dialogService().errorMessage(this, uitexts::cannotPrint());
        return;
    }
    accept();
}
