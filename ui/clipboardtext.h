#pragma once

class QString;

// Puts `text` on the clipboard as UTF-8 bytes made here, once, inside the command that copies. Another
// program that asks for the text later is served from these bytes as they are: left as a QString, the
// text would be converted anew at each request, inside the toolkit's handling of the display's events,
// where memory running out cannot be caught and ends the editor.
void putTextOnClipboard(const QString& text);
