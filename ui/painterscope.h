#pragma once

#include <QPainter>

#include <memory>

class QPaintDevice;

// TPainterScope: a painter on a picture, a PDF or a printer that is ended where its failure can be
// handled. Ending such a painter writes the document and allocates; the toolkit's painter would end itself
// in its destructor, and an exception from there while another one unwinds ends the program. So end()
// ends it and says whether the device finished, and a scope left by an exception ends it with whatever
// that end throws dropped. A painter whose end was cut short by an exception is never ended again: it is
// left as it is, its few bytes lost, rather than ended twice.
class TPainterScope
{
public:
    // Begins painting on `device`; begun() tells whether the device could be started.
    explicit TPainterScope(QPaintDevice& device);
    ~TPainterScope();
    TPainterScope(const TPainterScope&) = delete;
    TPainterScope& operator=(const TPainterScope&) = delete;

    bool begun() const { return m_begun; }
    QPainter& painter() { return *m_painter; }

    // Ends the painter: false when it was not begun or the device reports that it could not finish. An
    // exception from the end goes to the caller. A painter is ended once; later calls give false.
    bool end();

private:
    std::unique_ptr<QPainter> m_painter;
    bool m_begun = false;
    bool m_ending = false; // inside end(), or an end threw: the painter is never ended again
    bool m_ended = false;
};
