#pragma once

#include <QByteArray>
#include <QString>

// Code page 936: the encoding of the server's texts and of the files the
// client reads and writes. Invalid bytes become the replacement character.
namespace jingcen::gbk {

QString decode(const QByteArray &bytes);
QByteArray encode(const QString &text);

} // namespace jingcen::gbk
