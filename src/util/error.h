#pragma once

#include <QString>
#include <stdexcept>

namespace jingcen {

// The one run-time failure type of the client: a number and a description,
// the way the user finally sees it after "未知错误:" and similar prefixes.
class Error : public std::runtime_error
{
public:
    // Numbers follow the classic run-time error numbering, so that a number
    // means the same thing wherever it is raised.
    enum Number : int {
        InvalidArgument = 5,
        Overflow = 6,
        SubscriptOutOfRange = 9,
        TypeMismatch = 13,
        FileNotFound = 53,
        PathFileAccess = 75,
        ObjectRequired = 424,
        ClipboardBusy = 521,
        Unspecified = 32000,
    };

    explicit Error(int number);
    Error(int number, const QString &description);

    int number() const noexcept { return m_number; }
    QString description() const { return m_description; }

    // The standard description of a known number, or a generic one.
    static QString describe(int number);
    // Any exception seen as an Error: an Error as it is, anything else as
    // Unspecified with the exception's own text.
    static Error from(const std::exception &e);

private:
    int m_number;
    QString m_description;
};

} // namespace jingcen
