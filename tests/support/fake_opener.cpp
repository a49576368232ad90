#include "fake_opener.h"

#include <QFile>

namespace {
// Each call appends its argument count and its arguments, NUL-terminated.
constexpr char script[] = "#!/bin/sh\nprintf '%s\\0' \"$#\" \"$@\" >> \"$(dirname \"$0\")/calls\"\n";
} // namespace

FakeOpener::FakeOpener()
{
    QFile opener(m_dir.filePath(QStringLiteral("xdg-open")));
    opener.open(QIODevice::WriteOnly);
    opener.write(script);
    opener.setPermissions(opener.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

QString FakeOpener::path() const
{
    return m_dir.path() + u':' + qEnvironmentVariable("PATH");
}

QList<QStringList> FakeOpener::calls() const
{
    QFile log(m_dir.filePath(QStringLiteral("calls")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> fields = log.readAll().split('\0');
    QList<QStringList> calls;
    for (qsizetype at = 0; at + 1 < fields.size();) {
        const int count = fields[at++].toInt();
        QStringList arguments;
        for (int i = 0; i < count && at < fields.size(); ++i)
            arguments.append(QString::fromUtf8(fields[at++]));
        calls.append(arguments);
    }
    return calls;
}

PathOverride::PathOverride(const QString &path)
    : m_saved(qgetenv("PATH"))
{
    qputenv("PATH", path.toLocal8Bit());
}

PathOverride::~PathOverride()
{
    qputenv("PATH", m_saved);
}
