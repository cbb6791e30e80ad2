#pragma once

#include <QString>

#include <string>

// Texts of the dialogs are byte strings; on this system they are UTF-8, as file paths are.
inline QString ToQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

inline std::string FromQString(const QString& text)
{
    return text.toStdString();
}
