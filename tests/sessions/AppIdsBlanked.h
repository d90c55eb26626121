#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

namespace nimbrel::test {

// "Sessions.json" with the ids of the sessions' apps blanked: every encoding gives the apps new
// ids, so two encodings of one list differ in those alone.
inline QByteArray withAppIdsBlanked(const QByteArray& text) {
    static const QRegularExpression appId(QStringLiteral(R"((^ {16}"displayName": .*\n {16}"id": ")[0-9A-F-]{36}")"),
                                          QRegularExpression::MultilineOption);
    return QString::fromUtf8(text).replace(appId, QStringLiteral("\\1<app id>\"")).toUtf8();
}

} // namespace nimbrel::test
