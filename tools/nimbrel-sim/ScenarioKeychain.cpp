// The Mac's keychain in a scenario: items stored before the program starts or during the run,
// reads that fail as on a locked keychain, and the items as they stand.
#include "ScenarioRun.h"

#include <QJsonArray>
#include <QStringDecoder>

namespace nimbrel::simtool {

namespace {

std::optional<int> keychainStatus(const QJsonValue& v) {
    static const std::map<QString, int> names{
        {QStringLiteral("success"), errSecSuccess},
        {QStringLiteral("locked"), errSecInteractionNotAllowed},
        {QStringLiteral("interactionNotAllowed"), errSecInteractionNotAllowed},
        {QStringLiteral("authFailed"), errSecAuthFailed},
        {QStringLiteral("itemNotFound"), errSecItemNotFound},
        {QStringLiteral("decode"), errSecDecode},
        {QStringLiteral("io"), errSecIO},
    };
    if (v.isDouble()) return v.toInt();
    const auto it = names.find(v.toString());
    if (it == names.end()) return std::nullopt;
    return it->second;
}

// Text in quotes when it is UTF-8, else its bytes in hex.
QString describeData(const QByteArray& data) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(data);
    if (decoder.hasError()) return QStringLiteral("bytes ") + QString::fromLatin1(data.toHex());
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QStringList applyKeychain(InMemoryKeychain& keychain, const QJsonObject& members, QStringList* done) {
    QStringList problems;
    for (const QJsonValue& v : members.value(QStringLiteral("items")).toArray()) {
        const QJsonObject item = v.toObject();
        const QString service = item.value(QStringLiteral("service")).toString();
        const QString account = item.value(QStringLiteral("account")).toString();
        const QJsonValue data = item.value(QStringLiteral("data"));
        const QByteArray bytes = data.isObject()
                                     ? QByteArray::fromBase64(data[QStringLiteral("base64")].toString().toLatin1())
                                     : data.toString().toUtf8();
        const QString accessibility =
            item.value(QStringLiteral("accessibility")).toString(kKeychainAccessibleWhenUnlocked);
        int status = keychain.update(service, account, bytes, accessibility);
        if (status == errSecItemNotFound) status = keychain.add(service, account, bytes, accessibility);
        if (status != errSecSuccess)
            problems << QStringLiteral("keychain: cannot store %1 / %2 (status %3)").arg(service, account).arg(status);
        else if (done)
            *done << QStringLiteral("%1 / %2 stored").arg(service, account);
    }
    if (members.contains(QStringLiteral("reads"))) {
        if (const auto status = keychainStatus(members.value(QStringLiteral("reads")))) {
            keychain.setReadStatus(*status);
            if (done)
                *done << (*status == errSecSuccess ? QStringLiteral("reads succeed")
                                                   : QStringLiteral("reads fail with %1").arg(*status));
        } else {
            problems << QStringLiteral("keychain: \"reads\" is a status number or one of success, locked, "
                                       "interactionNotAllowed, authFailed, itemNotFound, decode, io");
        }
    }
    return problems;
}

bool runKeychainStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    InMemoryKeychain& keychain = run.sim().keychain();
    if (what == QLatin1String("keychain")) {
        QStringList done;
        const QStringList problems = applyKeychain(keychain, step, &done);
        run.step(QStringLiteral("keychain: ") + done.join(QStringLiteral(", ")));
        for (const QString& problem : problems)
            run.error(problem);
    } else if (what == QLatin1String("keychainItems")) {
        run.step(QStringLiteral("keychain items"));
        const auto items = keychain.items();
        if (items.empty()) run.transcript().raw(QStringLiteral("  (none)"));
        for (const InMemoryKeychain::ListedItem& item : items)
            run.transcript().raw(QStringLiteral("  %1 / %2: %3 (%4)")
                                     .arg(item.service, item.account, describeData(item.data), item.accessibility));
    } else {
        return false;
    }
    return true;
}

} // namespace nimbrel::simtool
