#include "tests/support/recording_canvas.h"

TRect TRecord::rect() const
{
    if (points.size() < 2)
        return {};
    return TRect{points[0].x, points[0].y, points[1].x, points[1].y};
}

TRecordingCanvas::TRecordingCanvas(int charWidth, int textHeight)
    : m_charWidth(charWidth), m_textHeight(textHeight)
{
}

TSize TRecordingCanvas::textExtent(const std::string& s)
{
    ++m_extentCalls;
    return TSize{static_cast<int>(s.size()) * m_charWidth, m_textHeight};
}

TRecord TRecordingCanvas::record(TPrimitive kind) const
{
    TRecord r;
    r.kind = kind;
    r.pen = penColor();
    r.penWidth = penWidth();
    r.penStyle = penStyle();
    r.brush = brushColor();
    r.brushStyle = brushStyle();
    r.font = fontColor();
    return r;
}

void TRecordingCanvas::rectangle(int left, int top, int right, int bottom)
{
    TRecord r = record(TPrimitive::Rectangle);
    r.points = {TPoint{left, top}, TPoint{right, bottom}};
    m_records.push_back(std::move(r));
}

void TRecordingCanvas::line(int x1, int y1, int x2, int y2)
{
    TRecord r = record(TPrimitive::Line);
    r.points = {TPoint{x1, y1}, TPoint{x2, y2}};
    m_records.push_back(std::move(r));
}

void TRecordingCanvas::polyline(const std::vector<TPoint>& points)
{
    TRecord r = record(TPrimitive::Polyline);
    r.points = points;
    m_records.push_back(std::move(r));
}

void TRecordingCanvas::polygon(const std::vector<TPoint>& points)
{
    TRecord r = record(TPrimitive::Polygon);
    r.points = points;
    m_records.push_back(std::move(r));
}

void TRecordingCanvas::ellipse(int left, int top, int right, int bottom)
{
    TRecord r = record(TPrimitive::Ellipse);
    r.points = {TPoint{left, top}, TPoint{right, bottom}};
    m_records.push_back(std::move(r));
}

void TRecordingCanvas::textOut(int x, int y, const std::string& s)
{
    TRecord r = record(TPrimitive::TextOut);
    r.points = {TPoint{x, y}};
    r.text = s;
    m_records.push_back(std::move(r));
}

std::vector<TRecord> TRecordingCanvas::ofKind(TPrimitive kind) const
{
    std::vector<TRecord> result;
    for (const TRecord& r : m_records) {
        if (r.kind == kind)
            result.push_back(r);
    }
    return result;
}

std::vector<TRecord> TRecordingCanvas::texts(const std::string& text) const
{
    std::vector<TRecord> result;
    for (const TRecord& r : m_records) {
        if (r.kind == TPrimitive::TextOut && r.text == text)
            result.push_back(r);
    }
    return result;
}
