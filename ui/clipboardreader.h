#pragma once

#include <string>

// The clipboard's text as UTF-8 bytes, read inside the command that pastes.
//
// Another program's long text comes in pieces (an incremental transfer): the owner sends the next piece
// only once the reader has taken the last one, and waits for that. When memory runs out half-way, the
// toolkit's own reader leaves the transfer there with an exception, and the owner waits for ever (no
// other program gets the clipboard from it any more). This reader, on X11, takes the text over a
// connection of its own and, where the text finds no memory, takes the rest of the pieces without
// keeping them before it throws std::bad_alloc: the owner always sees the transfer end. Where this
// program owns the clipboard, or on another platform, the toolkit's text is taken as it is.
std::string clipboardTextUtf8();
