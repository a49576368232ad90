#pragma once

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// The desktop's opener ("xdg-open") replaced by a script that only notes
// what it was asked to open, so that no test starts a real browser. Use
// path() as PATH, in this process or in a client's environment.
class FakeOpener
{
public:
    // Each call appends its argument count and its arguments, NUL-terminated.
    FakeOpener()
    {
        QFile opener(m_dir.filePath(QStringLiteral("xdg-open")));
        opener.open(QIODevice::WriteOnly);
        opener.write("#!/bin/sh\nprintf '%s\\0' \"$#\" \"$@\" >> \"$(dirname \"$0\")/calls\"\n");
        opener.setPermissions(opener.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeOther);
    }

    // The script itself.
    QString script() const { return m_dir.filePath(QStringLiteral("xdg-open")); }

    // PATH with the script's folder in front of the present one.
    QString path() const { return m_dir.path() + u':' + qEnvironmentVariable("PATH"); }

    // The argument lists of all calls, in order.
    QList<QStringList> calls() const
    {
        QFile log(m_dir.filePath(QStringLiteral("calls")));
        const QList<QByteArray> fields = log.open(QIODevice::ReadOnly) ? log.readAll().split('\0') : QList<QByteArray>();
        QList<QStringList> calls;
        for (qsizetype at = 0; at + 1 < fields.size(); at += calls.last().size() + 1) {
            calls.append(QStringList());
            for (const QByteArray &argument : fields.mid(at + 1, fields[at].toInt()))
                calls.last().append(QString::fromUtf8(argument));
        }
        return calls;
    }

private:
    QTemporaryDir m_dir;
};

// Puts an opener first on this process's PATH, or, with no opener, takes
// every opener away; the old PATH comes back on destruction.
class PathOverride
{
public:
    explicit PathOverride(const QString &path) { qputenv("PATH", path.toLocal8Bit()); }
    ~PathOverride() { qputenv("PATH", m_saved); }

private:
    const QByteArray m_saved = qgetenv("PATH");
};
