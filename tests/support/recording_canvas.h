#pragma once

// A canvas for tests: fixed text metrics (every character the same width, every text the same height)
// and a record of every primitive drawn, with the pen, brush and font state it was drawn with.

#include "model/canvas.h"

#include <string>
#include <vector>

enum class TPrimitive { Rectangle, Line, Polyline, Polygon, Ellipse, TextOut };

// One primitive as drawn: its points (Rectangle and Ellipse: left-top, right-bottom), its text, and the
// canvas state at the time.
struct TRecord
{
    TPrimitive kind = TPrimitive::Line;
    std::vector<TPoint> points;
    std::string text;
    TColor pen = clBlack;
    int penWidth = 1;
    TPenStyle penStyle = TPenStyle::Solid;
    TColor brush = clWhite;
    TBrushStyle brushStyle = TBrushStyle::Solid;
    TColor font = clBlack;

    TRect rect() const;
};

// TRecordingCanvas: the fake canvas of the tests.
class TRecordingCanvas : public TCanvas
{
public:
    explicit TRecordingCanvas(int charWidth = 7, int textHeight = 13);

    TSize textExtent(const std::string& s) override;

    void rectangle(int left, int top, int right, int bottom) override;
    void line(int x1, int y1, int x2, int y2) override;
    void polyline(const std::vector<TPoint>& points) override;
    void polygon(const std::vector<TPoint>& points) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void textOut(int x, int y, const std::string& s) override;

    TColor windowColor() const override { return m_window; }
    TRect paintArea() const override { return m_area; }

    // Keyed, the canvas lets sizes be kept between calls (its metrics never change); by default it
    // promises nothing, so every call measures afresh.
    std::uintptr_t metricsKey() const override
    {
        return m_keyed ? 0x1000u + static_cast<std::uintptr_t>(m_charWidth) * 64u +
                             static_cast<std::uintptr_t>(m_textHeight)
                       : 0;
    }
    void setKeyed(bool keyed) { m_keyed = keyed; }

    void setWindowColor(TColor c) { m_window = c; }
    void setPaintArea(TRect area) { m_area = area; }

    const std::vector<TRecord>& records() const { return m_records; }
    void clear() { m_records.clear(); }
    // How often textExtent was asked.
    int extentCalls() const { return m_extentCalls; }

    // The records of one kind, in drawing order.
    std::vector<TRecord> ofKind(TPrimitive kind) const;
    // The textOut records whose text is `text`.
    std::vector<TRecord> texts(const std::string& text) const;

private:
    TRecord record(TPrimitive kind) const;

    int m_charWidth;
    int m_textHeight;
    TColor m_window = 0xFFFFFF;
    TRect m_area = TCanvas::paintArea();
    std::vector<TRecord> m_records;
    int m_extentCalls = 0;
    bool m_keyed = false;
};
