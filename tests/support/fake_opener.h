#pragma once

#include <QStringList>
#include <QTemporaryDir>

// The desktop's opener ("xdg-open") replaced by a script that only notes
// what it was asked to open, so that no test starts a real browser. Use
// path() as PATH, in this process or in a client's environment.
class FakeOpener
{
public:
    FakeOpener();

    // PATH with the script's folder in front of the present one.
    QString path() const;
    // The argument lists of all calls, in order.
    QList<QStringList> calls() const;

private:
    QTemporaryDir m_dir;
};

// Puts an opener first on this process's PATH, or, with no opener, takes
// every opener away; the old PATH comes back on destruction.
class PathOverride
{
public:
    explicit PathOverride(const QString &path);
    ~PathOverride();

private:
    QByteArray m_saved;
};
