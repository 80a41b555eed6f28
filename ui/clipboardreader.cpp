#include "ui/clipboardreader.h"

#include <QApplication>
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QString>

#include <new>

#ifdef STRUKT_HAVE_XCB
#include <xcb/xcb.h>

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#endif

namespace {

std::string toolkitText()
{
    const QByteArray text = QApplication::clipboard()->text().toUtf8();
    return std::string(text.constData(), static_cast<std::size_t>(text.size()));
}

#ifdef STRUKT_HAVE_XCB

// How long the owner may take for one answer, as the toolkit waits for one.
constexpr auto kAnswerTimeout = std::chrono::seconds(5);
// The most a property is read in one request, in 32-bit units (1 MiB).
constexpr std::uint32_t kSliceUnits = std::uint32_t{1} << 18;

struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};
template <class T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

class TSelectionReader
{
public:
    TSelectionReader() : m_connection(xcb_connect(nullptr, nullptr)) {}
    ~TSelectionReader() { xcb_disconnect(m_connection); }
    TSelectionReader(const TSelectionReader&) = delete;
    TSelectionReader& operator=(const TSelectionReader&) = delete;

    bool connected() const { return xcb_connection_has_error(m_connection) == 0; }

    enum class TAnswer { Text, Refused, None };

    // Asks the owner of CLIPBOARD for UTF8_STRING.
    TAnswer request()
    {
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
        if (!screen)
            return TAnswer::Refused;
        m_window = xcb_generate_id(m_connection);
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        const xcb_atom_t clipboard = atom("CLIPBOARD");
        m_utf8 = atom("UTF8_STRING");
        m_incr = atom("INCR");
        m_property = atom("STRUKTOGRAMM_EINFUEGEN");
        if (clipboard == XCB_NONE || m_utf8 == XCB_NONE || m_incr == XCB_NONE || m_property == XCB_NONE)
            return TAnswer::Refused;
        xcb_convert_selection(m_connection, m_window, clipboard, m_utf8, m_property, XCB_CURRENT_TIME);
        XcbReply<xcb_generic_event_t> answer = waitFor(XCB_SELECTION_NOTIFY);
        if (!answer)
            return TAnswer::None;
        const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(answer.get());
        return notify->property != XCB_NONE ? TAnswer::Text : TAnswer::Refused;
    }

    // The text the owner put on the window, piece by piece for an incremental transfer. Where a piece
    // finds no memory the rest is taken and dropped, so that the owner ends the transfer, and then
    // std::bad_alloc is thrown.
    std::string take()
    {
        std::string text;
        bool outOfMemory = false;
        const auto keep = [&](const char* data, std::size_t size) {
            if (outOfMemory)
                return;
            try {
                text.append(data, size);
            } catch (const std::bad_alloc&) {
                outOfMemory = true;
                std::string().swap(text);
            }
        };
        xcb_atom_t type = XCB_NONE;
        if (!readProperty(type, keep))
            throw std::bad_alloc();
        if (type == m_incr) {
            text.clear(); // the value was the size the owner expects
            // Deleting the INCR property (done by the read) asks for the first piece; each piece is a new
            // value of the property, and an empty one ends the transfer.
            for (;;) {
                // An owner that stops answering half-way leaves no text rather than a part of one.
                if (!waitForNewValue())
                    return {};
                bool empty = true;
                const auto piece = [&](const char* data, std::size_t size) {
                    empty = empty && size == 0;
                    keep(data, size);
                };
                if (!readProperty(type, piece))
                    throw std::bad_alloc();
                if (empty)
                    break;
            }
        }
        if (outOfMemory)
            throw std::bad_alloc();
        return text;
    }

private:
    xcb_atom_t atom(const char* name)
    {
        const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : XCB_NONE;
    }

    // The next event of `type` within the owner's time; null after the time or a broken connection.
    XcbReply<xcb_generic_event_t> waitFor(std::uint8_t type)
    {
        xcb_flush(m_connection);
        const auto deadline = std::chrono::steady_clock::now() + kAnswerTimeout;
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                XcbReply<xcb_generic_event_t> owned(event);
                if ((event->response_type & 0x7F) == type)
                    return owned;
            }
            if (!connected())
                return nullptr;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return nullptr;
            pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&descriptor, 1, static_cast<int>(left.count()));
        }
    }

    bool waitForNewValue()
    {
        for (;;) {
            XcbReply<xcb_generic_event_t> event = waitFor(XCB_PROPERTY_NOTIFY);
            if (!event)
                return false;
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
            if (notify->atom == m_property && notify->state == XCB_PROPERTY_NEW_VALUE)
                return true;
        }
    }

    // Reads the property in slices and deletes it; `deliver` gets each slice's bytes (an empty property
    // one empty slice). False when the connection broke (its replies found no memory).
    template <class Deliver> bool readProperty(xcb_atom_t& type, Deliver&& deliver)
    {
        std::uint32_t offset = 0;
        for (;;) {
            const XcbReply<xcb_get_property_reply_t> reply(
                xcb_get_property_reply(m_connection,
                                       xcb_get_property(m_connection, 1, m_window, m_property,
                                                        XCB_GET_PROPERTY_TYPE_ANY, offset, kSliceUnits),
                                       nullptr));
            if (!reply)
                return false;
            type = reply->type;
            const int length = xcb_get_property_value_length(reply.get());
            deliver(static_cast<const char*>(xcb_get_property_value(reply.get())),
                    static_cast<std::size_t>(length > 0 ? length : 0));
            if (reply->bytes_after == 0 || length <= 0)
                return true;
            offset += static_cast<std::uint32_t>(length) / 4;
        }
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_utf8 = XCB_NONE;
    xcb_atom_t m_incr = XCB_NONE;
    xcb_atom_t m_property = XCB_NONE;
};

#endif

} // namespace

std::string clipboardTextUtf8()
{
#ifdef STRUKT_HAVE_XCB
    if (QGuiApplication::platformName() == QLatin1String("xcb") &&
        !QApplication::clipboard()->ownsClipboard()) {
        TSelectionReader reader;
        if (reader.connected()) {
            switch (reader.request()) {
            case TSelectionReader::TAnswer::Text:
                return reader.take();
            case TSelectionReader::TAnswer::None:
                return {}; // an owner that does not answer would not answer the toolkit either
            case TSelectionReader::TAnswer::Refused:
                break; // no UTF-8 text: the toolkit converts what the owner has
            }
        }
    }
#endif
    return toolkitText();
}
