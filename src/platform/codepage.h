#pragma once
// The Japanese Windows code page (CP932, Windows-31J): the system's own conversion on Windows
// (code page 932, whatever the user's locale), ICU's "Windows-31J" through Qt elsewhere with
// the few single bytes where ICU differs converted as Windows does, so both systems read and
// write the same bytes for every code of the table.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace platform {

// The text of CP932 bytes; nullopt when a byte sequence is not CP932.
std::optional<QString> fromCp932(QByteArrayView bytes);
// The CP932 bytes of a text; nullopt when a character has no CP932 code (never a stand-in).
std::optional<QByteArray> toCp932(QStringView text);
// Whether the code page has a code for the character (one that reads back as the character).
bool cp932Holds(char32_t character);

} // namespace platform
