#pragma once

#include "model/printlayout.h"

#include <QDialog>
#include <QPrinter>

#include <optional>

class QLabel;
class QPrintPreviewWidget;
class QPushButton;
class QRadioButton;
class TForm1;

// TPrintPreview: the pages that printing a diagram window's block gives, before they are printed. A block
// too large for one page is shrunk to fit it (the default) or spread over several pages, as the user
// chooses; a note says which happens. "Drucken …" asks for the printer and prints what the preview shows.
class TPrintPreview : public QDialog
{
public:
    TPrintPreview(TForm1& window, QWidget* parent);

    TPageMode pageMode() const;
    bool landscape() const;
    // The note about the layout of the pages shown.
    QString note() const;
    int pageCount() const;

    QRadioButton* ShrinkButton = nullptr;
    QRadioButton* SpreadButton = nullptr;
    QRadioButton* PortraitButton = nullptr;
    QRadioButton* LandscapeButton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* CloseButton = nullptr;

private:
    void paintPages(QPrinter* printer);
    void choiceChanged();
    // "Drucken …": the print dialog on the preview's printer, then the pages; the dialog ends when printed.
    void printPages();

    TForm1& m_window;
    QPrinter m_printer;
    QPrintPreviewWidget* m_pages = nullptr;
    QLabel* m_note = nullptr;
    std::optional<TPageLayout> m_layout;
};
