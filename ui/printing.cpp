#include "ui/printing.h"

#include "model/designerror.h"
#include "model/diagramview.h"
#include "model/treewalk.h"
#include "ui/cp1252.h"
#include "ui/longtext.h"
#include "ui/painterscope.h"
#include "ui/qtcanvas.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <cmath>

namespace {

// The caption at (10, 10) and, on a spread printout, the page's number at the top right.
void printHeading(QPainter& painter, const TPrintJob& job, const TPageLayout& layout, std::size_t page)
{
    TQtCanvas canvas(painter, printerFont());
    canvas.textOut(10, 10, job.caption);
    if (!layout.spread())
        return;
    const std::string number =
        toCp1252(pageNumberText(static_cast<int>(page) + 1, static_cast<int>(layout.pages.size())));
    canvas.textOut(canvas.paintArea().Right - 10 - canvas.textExtent(number).cx, 10, number);
}

// A text as wide as the canvas can measure (about 5.7 million characters of the printer font) would be
// printed cut: such a printout is refused, as such a picture is, before the printer's job begins.
void refuseCutTexts(const QPaintDevice& printer, const TPrintJob& job)
{
    const QFont font = printerFont();
    const bool cut = visitTree(&job.shown, false, [&](const TElement* e) {
        return textExtentOn(printer, font, e->Text).cx >= kMaxTextWidth;
    });
    if (cut)
        throw DesignError(ErrorReason::ImageTooLarge,
                          QFile::encodeName(fromCp1252(job.caption)).toStdString());
}

// Prints on a printer or a PDF writer set to the print resolution. The painter is ended here, so that a
// device that cannot finish the document (or memory running out while it does) is noticed.
std::optional<TPageLayout> printPages(QPagedPaintDevice& printer, const TPrintJob& job, TPageMode mode)
{
    refuseCutTexts(printer, job);
    TPainterScope scope(printer);
    if (!scope.begun())
        return std::nullopt;
    QPainter& painter = scope.painter();
    const QRect sheet(0, 0, printer.width(), printer.height());
    TPageLayout layout;
    {
        TQtCanvas measure(painter, printerFont());
        const TPrintSettings settings(measure, job.options);
        const TPrintedDiagram printed = printedDiagram(measure, job.shown, job.options, job.flowchart);
        layout = layOutPages(TSize{sheet.width(), sheet.height()}, printed.extent, mode, printed.breaks);
    }
    for (std::size_t i = 0; i < layout.pages.size(); ++i) {
        const TPrintPage& page = layout.pages[i];
        if (i > 0 && !printer.newPage())
            return std::nullopt;
        painter.save();
        printHeading(painter, job, layout, i);
        // Only the page's piece of the diagram, at its place: what lies beyond is cut off by the clip, so no
        // figure gets an edge where it goes on on the next page.
        QRect piece = sheet;
        if (layout.spread())
            piece = QRect(page.at.x, page.at.y, page.part.Right - page.part.Left,
                          page.part.Bottom - page.part.Top);
        painter.setClipRect(piece & sheet);
        painter.translate(page.at.x, page.at.y);
        painter.scale(page.scale, page.scale);
        painter.translate(-page.part.Left, -page.part.Top);
        {
            TQtCanvas canvas(painter, printerFont());
            const TPrintSettings settings(canvas, job.options);
            drawPrintedDiagram(canvas, job.shown, job.options, job.flowchart);
        }
        painter.restore();
    }
    if (!scope.end())
        return std::nullopt;
    return layout;
}

} // namespace

std::optional<TPageLayout> printBlock(QPrinter& printer, const TPrintJob& job, TPageMode mode)
{
    printer.setResolution(kPrintResolution);
    return printPages(printer, job, mode);
}

std::optional<TPageLayout> printBlock(QPdfWriter& pdf, const TPrintJob& job, TPageMode mode)
{
    pdf.setResolution(kPrintResolution);
    return printPages(pdf, job, mode);
}

QString pageNumberText(int page, int pages)
{
    return QStringLiteral("Seite %1 von %2").arg(page).arg(pages);
}

QString pageLayoutNote(const TPageLayout& layout)
{
    if (layout.shrunk()) {
        const int percent = std::max(1, static_cast<int>(std::floor(layout.scale * 100)));
        QString note = QStringLiteral("Der Block ist zu groß für eine Seite: er wird auf %1 % verkleinert.")
                           .arg(percent);
        // Below half size the printer font is smaller than 6 point.
        if (layout.scale < 0.5)
            note += QStringLiteral(
                " Die Schrift wird sehr klein; auf mehrere Seiten verteilt bleibt sie lesbar.");
        return note;
    }
    if (!layout.spread())
        return QStringLiteral("Der Block passt auf eine Seite.");
    const int pages = static_cast<int>(layout.pages.size());
    if (layout.columns == 1)
        return QStringLiteral(
                   "Der Block ist zu groß für eine Seite: er wird auf %1 Seiten untereinander verteilt.")
            .arg(pages);
    if (layout.rows == 1)
        return QStringLiteral(
                   "Der Block ist zu groß für eine Seite: er wird auf %1 Seiten nebeneinander verteilt.")
            .arg(pages);
    return QStringLiteral(
               "Der Block ist zu groß für eine Seite: er wird auf %1 Seiten verteilt, %2 nebeneinander "
               "und %3 untereinander.")
        .arg(pages)
        .arg(layout.columns)
        .arg(layout.rows);
}
