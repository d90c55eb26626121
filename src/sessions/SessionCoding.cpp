#include "sessions/SessionCoding.h"

#include "sessions/SessionPaths.h"

#include <QJsonArray>

namespace nimbrel {

using json::DateForm;
using json::Reader;
using json::Writer;

namespace {

NimbrelSessionApp decodeApp(const Reader& r) {
    return NimbrelSessionApp{r.uuid(QStringLiteral("id")), r.string(QStringLiteral("displayName")),
                             r.optionalString(QStringLiteral("bundleIdentifier")),
                             r.optionalString(QStringLiteral("path"))};
}

QJsonObject encodeApp(const NimbrelSessionApp& app) {
    Writer w(DateForm::ISO8601);
    w.set(QStringLiteral("id"), app.id).set(QStringLiteral("displayName"), app.displayName);
    w.setOptional(QStringLiteral("bundleIdentifier"), app.bundleIdentifier);
    w.setOptional(QStringLiteral("path"), app.path);
    return w.object();
}

NimbrelSessionClockTime decodeTime(const Reader& r) {
    return {r.integer(QStringLiteral("hour")), r.integer(QStringLiteral("minute"))};
}

QJsonObject encodeTime(const NimbrelSessionClockTime& t) {
    return Writer(DateForm::ISO8601)
        .set(QStringLiteral("hour"), qint64(t.hour))
        .set(QStringLiteral("minute"), qint64(t.minute))
        .object();
}

NimbrelSessionDisplayTarget decodeTarget(const Reader& r) {
    using Type = NimbrelSessionDisplayTarget::Type;
    const Type type = r.enumValue<Type>(QStringLiteral("type"));
    if (type == Type::automatic) return NimbrelSessionDisplayTarget::automatic();
    return NimbrelSessionDisplayTarget::screen(r.integer(QStringLiteral("index")));
}

QJsonObject encodeTarget(const NimbrelSessionDisplayTarget& t) {
    Writer w(DateForm::ISO8601);
    w.set(QStringLiteral("type"), t.type);
    if (t.type == NimbrelSessionDisplayTarget::Type::screenIndex) w.set(QStringLiteral("index"), qint64(t.index));
    return w.object();
}

NimbrelSessionWallpaperSelection decodeWallpaper(const Reader& r) {
    return {r.uuid(QStringLiteral("id")), r.string(QStringLiteral("displayName")), r.string(QStringLiteral("path")),
            decodeTarget(r.object(QStringLiteral("displayTarget")))};
}

QJsonObject encodeWallpaper(const NimbrelSessionWallpaperSelection& s) {
    return Writer(DateForm::ISO8601)
        .set(QStringLiteral("id"), s.id)
        .set(QStringLiteral("displayName"), s.displayName)
        .set(QStringLiteral("path"), s.path)
        .set(QStringLiteral("displayTarget"), encodeTarget(s.displayTarget))
        .object();
}

template <typename T, typename F> QJsonArray arrayOf(const std::vector<T>& items, F encode) {
    QJsonArray out;
    for (const T& item : items)
        out.append(encode(item));
    return out;
}

} // namespace

NimbrelSession decodeSession(const Reader& r, Date now) {
    NimbrelSession s;
    if (auto id = r.has(QStringLiteral("id")) ? std::optional(r.uuid(QStringLiteral("id"))) : std::nullopt) s.id = *id;
    s.name = r.optionalString(QStringLiteral("name")).value_or(s.name);
    s.isEnabled = r.optionalBoolean(QStringLiteral("isEnabled")).value_or(s.isEnabled);
    s.isPinned = r.optionalBoolean(QStringLiteral("isPinned")).value_or(s.isPinned);
    if (r.has(QStringLiteral("allowedApps")))
        s.allowedApps = deduplicatedApps(r.list<NimbrelSessionApp>(QStringLiteral("allowedApps"), decodeApp));
    if (r.has(QStringLiteral("whitelistedApps")))
        s.whitelistedApps = deduplicatedApps(r.list<NimbrelSessionApp>(QStringLiteral("whitelistedApps"), decodeApp));
    if (auto start = r.optionalObject(QStringLiteral("scheduleStartTime"))) s.scheduleStartTime = decodeTime(*start);
    if (auto end = r.optionalObject(QStringLiteral("scheduleEndTime"))) s.scheduleEndTime = decodeTime(*end);
    if (r.has(QStringLiteral("scheduleWeekdays"))) {
        const auto days = r.enumList<NimbrelSessionWeekday>(QStringLiteral("scheduleWeekdays"));
        s.scheduleWeekdays = NimbrelSessionWeekdays(days.begin(), days.end());
    }
    if (r.has(QStringLiteral("wallpaperSelections")))
        s.wallpaperSelections =
            r.list<NimbrelSessionWallpaperSelection>(QStringLiteral("wallpaperSelections"), decodeWallpaper);
    s.syncWallpapersAcrossDisplays =
        r.optionalBoolean(QStringLiteral("syncWallpapersAcrossDisplays")).value_or(s.syncWallpapersAcrossDisplays);
    s.menuBarSymbolName = r.optionalString(QStringLiteral("menuBarSymbolName")).value_or(s.menuBarSymbolName);
    s.whitelistAllApps = r.optionalBoolean(QStringLiteral("whitelistAllApps")).value_or(s.whitelistAllApps);
    s.remindBeforeSession = r.optionalBoolean(QStringLiteral("remindBeforeSession")).value_or(s.remindBeforeSession);
    s.remindBeforeSessionSeconds =
        r.optionalInteger(QStringLiteral("remindBeforeSessionSeconds")).value_or(s.remindBeforeSessionSeconds);
    s.createdAt = r.optionalDate(QStringLiteral("createdAt")).value_or(now);
    s.updatedAt = r.optionalDate(QStringLiteral("updatedAt")).value_or(s.createdAt);

    // An older format kept one wallpaper per session.
    const std::optional<bool> usesCustomWallpaper = r.optionalBoolean(QStringLiteral("usesCustomWallpaper"));
    const std::optional<QString> wallpaperPath = r.optionalString(QStringLiteral("wallpaperPath"));
    if (s.wallpaperSelections.empty() && usesCustomWallpaper.value_or(false) && wallpaperPath &&
        !wallpaperPath->isEmpty())
        s.wallpaperSelections.push_back({Uuid::random(), lastPathComponent(*wallpaperPath), *wallpaperPath,
                                         NimbrelSessionDisplayTarget::automatic()});
    return s;
}

QJsonObject encodeSession(const NimbrelSession& s) {
    QJsonArray weekdays;
    for (NimbrelSessionWeekday day : s.scheduleWeekdays)
        weekdays.append(json::enumName(day));
    return Writer(DateForm::ISO8601)
        .set(QStringLiteral("id"), s.id)
        .set(QStringLiteral("name"), s.name)
        .set(QStringLiteral("isEnabled"), s.isEnabled)
        .set(QStringLiteral("isPinned"), s.isPinned)
        .set(QStringLiteral("allowedApps"), arrayOf(deduplicatedApps(s.allowedApps), encodeApp))
        .set(QStringLiteral("whitelistedApps"), arrayOf(deduplicatedApps(s.whitelistedApps), encodeApp))
        .set(QStringLiteral("scheduleStartTime"), encodeTime(s.scheduleStartTime))
        .set(QStringLiteral("scheduleEndTime"), encodeTime(s.scheduleEndTime))
        .set(QStringLiteral("scheduleWeekdays"), weekdays)
        .set(QStringLiteral("wallpaperSelections"), arrayOf(s.wallpaperSelections, encodeWallpaper))
        .set(QStringLiteral("syncWallpapersAcrossDisplays"), s.syncWallpapersAcrossDisplays)
        .set(QStringLiteral("menuBarSymbolName"), s.menuBarSymbolName)
        .set(QStringLiteral("whitelistAllApps"), s.whitelistAllApps)
        .set(QStringLiteral("remindBeforeSession"), s.remindBeforeSession)
        .set(QStringLiteral("remindBeforeSessionSeconds"), qint64(s.remindBeforeSessionSeconds))
        .set(QStringLiteral("createdAt"), s.createdAt)
        .set(QStringLiteral("updatedAt"), s.updatedAt)
        .object();
}

json::Decoded<NimbrelSession> decodeSessionData(const QByteArray& bytes, Date now) {
    return json::tryDecode<NimbrelSession>([&] {
        const QJsonDocument document = json::parse(bytes);
        if (!document.isObject())
            throw json::DecodeError(QStringLiteral("Expected to decode a session but found an array instead."));
        return decodeSession(Reader(document.object(), DateForm::ISO8601), now);
    });
}

QByteArray encodeSessionData(const NimbrelSession& session) {
    return json::serialize(encodeSession(session), false);
}

json::Decoded<std::vector<NimbrelSession>> decodeSessionList(const QByteArray& bytes, Date now) {
    return json::tryDecode<std::vector<NimbrelSession>>([&] {
        const QJsonDocument document = json::parse(bytes);
        if (!document.isArray())
            throw json::DecodeError(
                QStringLiteral("Expected to decode an array of sessions but found an object instead."));
        const QJsonArray items = document.array();
        std::vector<NimbrelSession> sessions;
        sessions.reserve(static_cast<size_t>(items.size()));
        for (qsizetype i = 0; i < items.size(); ++i)
            sessions.push_back(decodeSession(Reader::fromArrayElement(items[i], DateForm::ISO8601, i), now));
        return sessions;
    });
}

QByteArray encodeSessionList(const std::vector<NimbrelSession>& sessions) {
    return json::serialize(arrayOf(sessions, encodeSession), true);
}

} // namespace nimbrel
