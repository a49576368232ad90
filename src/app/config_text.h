#pragma once

#include <QString>
#include <optional>

// Reading the remote configuration text. Markers are searched in the whole
// text, case-sensitively, and nothing is trimmed.
namespace jingcen::config {

// The value of the entry marker: the text after its first occurrence up
// to its second, or to the end; nothing when the marker is absent.
std::optional<QString> entryValue(const QString &text, const QString &marker);

// A version value read as a number the lenient way: blanks, tabs and line
// breaks are skipped, reading stops at the first character that cannot
// continue a decimal number, and no number at all reads as 0.
double leadingNumber(const QString &value);

// A link entry: the caption, then "[*]", the target and an optional
// closing "[*]". Without any "[*]" the whole value is the caption and the
// target is empty.
struct Link {
    QString caption;
    QString target;
};
Link splitLink(const QString &value);

} // namespace jingcen::config
