#pragma once

#include <string>
#include <string_view>

namespace lumadesk {

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUTF8(std::string_view text);

// The text as it may go to a terminal: control characters (C0, DEL and C1) and bytes that are not
// UTF-8 are written as \xNN, so a name holding escape sequences cannot change the user's terminal.
// Everything else, other scripts included, is kept as it stands.
std::string printableText(std::string_view text);

// Each line of the text made printable; its line breaks stay, so multi-line messages keep their shape.
std::string printableLines(std::string_view text);

// What the user typed, as a message quotes it back: printable, and cut after 200 characters with "…",
// so that a huge argument does not flood a terminal or a bus reply.
std::string echoedText(std::string_view typed);

// Whether the text holds characters that must not be in a name: control characters (C0, DEL, C1) and
// the marks, embeddings, overrides and isolates that reorder text on screen.
bool hasControlCharacters(std::string_view text);

// The number of characters a terminal shows for printableText's result (code points, not bytes).
std::size_t printedWidth(std::string_view printable);

}  // namespace lumadesk
