#pragma once

// Code page 1252, the encoding of every text in the model, and UTF-16. The five bytes that code page 1252
// leaves undefined map to the C1 controls of the same value, so that every byte survives a round trip;
// characters outside code page 1252 become '?' (one for a character outside the basic plane). The
// toolkit's conversion (ui/cp1252.h) and the runtime's both use these.

#include <string>
#include <string_view>

// The character of one code page 1252 byte.
char16_t cp1252ToUnicode(unsigned char byte);

std::u16string cp1252ToUtf16(std::string_view bytes);
std::string utf16ToCp1252(std::u16string_view text);
