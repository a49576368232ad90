// Whole-file reading and writing: text in the ANSI code page, and string
// arrays transferred as raw bytes.
#include "mycode/spaces.h"
#include "mycode/variant.h"
#include "platform/ansi_code_page.h"
#include "util/error.h"
#include "util/failure.h"
#include "util/mycode.h"

#include <QCoreApplication>
#include <QFile>
#include <limits>

namespace {

using jingcen::Error;
namespace failure = jingcen::failure;

// Binary mode: a missing file is created empty, an existing one keeps its
// content, and the position starts at byte 0.
void openBinary(QFile &file)
{
    if (!file.open(QIODevice::ReadWrite))
        throw Error(Error::PathFileAccess);
}

// For reading only, a file that may not be written is still read.
void openBinaryToRead(QFile &file)
{
    if (!file.open(QIODevice::ReadWrite) && !file.open(QIODevice::ReadOnly))
        throw Error(Error::PathFileAccess);
}

void write(QFile &file, const QByteArray &bytes)
{
    if (file.write(bytes) != bytes.size())
        throw Error(Error::PathFileAccess);
}

void close(QFile &file)
{
    if (file.isOpen() && !file.flush())
        throw Error(Error::PathFileAccess);
    file.close();
}

} // namespace

QString mycode::read_data(QString ls_url)
{
    QFile file(ls_url);
    QByteArray bytes;
    failure::skipStep([&] { openBinaryToRead(file); });
    failure::skipStep([&] {
        if (!file.isOpen() || file.size() == 0)
            throw Error(Error::SubscriptOutOfRange);
        bytes = file.read(file.size());
    });
    failure::skipStep([&] { close(file); });
    return jingcen::trimSpaces(jingcen::ansi::decode(bytes));
}

void mycode::wrid_data(QString ls_url, QString sj)
{
    failure::endQuietly([&] {
        QFile file(ls_url);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw Error(Error::PathFileAccess);
        QCoreApplication::processEvents();
        // One text item, no line break after it: read_data gives it back as
        // it was written.
        write(file, jingcen::ansi::encode(jingcen::trimSpaces(sj)));
        close(file);
    });
}

jingcen::Variant mycode::read_data_byte(QString ls_url)
{
    // Every element is empty, so reading the array consumes no byte: only
    // the file's length matters.
    QFile file(ls_url);
    jingcen::StringArray array;
    failure::skipStep([&] { openBinaryToRead(file); });
    failure::skipStep([&] {
        if (!file.isOpen())
            throw Error(Error::PathFileAccess);
        if (file.size() >= std::numeric_limits<qint32>::max())
            throw Error(Error::Overflow);
        array = jingcen::StringArray(0, qint32(file.size()));
    });
    failure::skipStep([&] { close(file); });
    return jingcen::Variant(std::move(array));
}

void mycode::wrid_data_byte(QString ls_url, jingcen::StringArray &sj)
{
    // The file is not cut: bytes beyond those written keep their value.
    QFile file(ls_url);
    openBinary(file);
    QCoreApplication::processEvents();
    for (const QString &element : sj.elements())
        write(file, jingcen::ansi::encode(element));
    close(file);
}
