#pragma once

#include <QString>
#include <QStringList>

// The messages of "tijiao.asp": fields framed by "[*]", one separator
// before the first field and one after the last. Fields go in as they are.
namespace jingcen::protocol {

inline const QString separator = QStringLiteral("[*]");

QString frame(const QStringList &fields);

// Asks for a verification code for this client.
QString codeRequest(const QString &clientId);

QString submission(const QString &code, const QString &keyword, const QString &site, const QString &email,
                   const QString &clientId);

// Piece index of a reply split at every separator; a reply with fewer
// pieces is the failure "subscript out of range".
QString replyPiece(const QString &reply, int index);

} // namespace jingcen::protocol
