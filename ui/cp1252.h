#pragma once

#include <QString>

#include <string>
#include <string_view>

// The one encoding boundary: the model keeps code page 1252 bytes, Qt works in Unicode.
QString fromCp1252(std::string_view bytes);
// Characters outside code page 1252 become '?'.
std::string toCp1252(const QString& text);
