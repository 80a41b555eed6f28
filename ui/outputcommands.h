#pragma once

class QAction;
class QMenu;
class QString;
class TForm2;

// TOutputCommands: the main window's commands that take the active diagram window's block beyond the
// editor or enlarge it in it: the print preview and the two picture commands beside "Drucken" in the
// "Datei" menu ("Programm beenden" stays last), the zoom at the end of the "Ansicht" menu. Their actions
// belong to the main window like its own; the design's items keep their order.
class TOutputCommands
{
public:
    explicit TOutputCommands(TForm2& main);

    // "Druckvorschau": the pages printing gives, with the choice to shrink or spread a large block.
    void printPreview();
    // "Als Bild speichern …": the block as on screen without marks, as PNG at 100, 200 or 400 %, SVG or PDF.
    void savePicture();
    // "Als Bild kopieren": the same picture on the clipboard, as PNG and as SVG.
    void copyPicture();
    void zoomIn();
    void zoomOut();
    void zoomReset();

private:
    // Puts the item before `before` in `menu`, or at its end when that is null.
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     void (TOutputCommands::*handler)(), QAction* before = nullptr);

    TForm2& m_main;
};
