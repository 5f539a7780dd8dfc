// Byte text as the logic layer holds it (the server's Latin-1, one byte a
// character) to and from Qt strings: the one conversion every window uses,
// so a byte above 127 round-trips the same way everywhere.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace ravelin {

inline QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Characters past U+00FF become '?', as QString::toLatin1 makes them.
inline std::string latin1Bytes(const QString& text) { return text.toLatin1().toStdString(); }

} // namespace ravelin
