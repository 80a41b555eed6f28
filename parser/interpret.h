#pragma once

// The source text parser (module Interpret): Java-like statement text, above all what the Java export
// writes, to an element tree. It never reports an error: whatever it does not recognise becomes
// statements, and no character of code is lost or changed in meaning. The only refusal is nesting deeper
// than kMaxNesting block levels.

#include "model/designerror.h"
#include "model/struktteile.h"

#include <memory>
#include <string>
#include <string_view>

// Builds a design from Java-like source text: a new block with the empty name (Standalone, Framed and
// Braced 1; paste sets Standalone and Braced of this root to 0) whose children are the parsed
// statements. The whole text is read. Never fails on odd text; throws DesignError with the nesting
// message when the result would nest deeper than kMaxNesting block levels (the root is level 1), or
// when for-loop headers hold for loops in their headers more than 200 deep.
std::unique_ptr<TBlock> ParseText(std::string_view text);

// ParseText, and how many comments it left out of the design. Comments never take code with them; the
// pair of comments that the export writes around a named block becomes that named block again.
struct TParsedSource
{
    std::unique_ptr<TBlock> root;
    int commentsLeftOut = 0;
};
TParsedSource parseSource(std::string_view text);

// What the paste command and --import-java make of Java text: bytes that are UTF-8 with characters beyond
// ASCII are read as UTF-8 (a character that code page 1252 lacks becomes "?"), all other bytes as code
// page 1252; then parseSource.
struct TImportedText
{
    std::unique_ptr<TBlock> root;
    int commentsLeftOut = 0;
    int charactersReplaced = 0;
};
TImportedText importJava(std::string_view bytes);

// The four passes over the text, each outside quoted strings: CR LF to one blank, tab to one blank, two
// blanks to one (a run of blanks collapses), blank + ";" to ";". A quote without a partner ends every
// pass there, so the rest of the text stays as it is.
std::string NormaliseText(std::string_view text);

// `s` without the tabs, line feeds, carriage returns and blanks at its end and at its start.
std::string TrimSpace(std::string_view s);
