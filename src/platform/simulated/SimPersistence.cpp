#include "platform/simulated/SimulatedMac.h"

#include "platform/Files.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

// The simulated Mac's state as JSON, so that it survives a restart of the program.
namespace nimbrel::sim {

namespace {

QJsonArray rectJson(const Rect& r) {
    return {r.minX(), r.minY(), r.width(), r.height()};
}

std::optional<Rect> rectFrom(const QJsonValue& v) {
    const QJsonArray a = v.toArray();
    if (a.size() != 4) return std::nullopt;
    for (const QJsonValue& n : a)
        if (!n.isDouble()) return std::nullopt;
    return Rect(a[0].toDouble(), a[1].toDouble(), a[2].toDouble(), a[3].toDouble());
}

QJsonObject windowJson(const Window& w) {
    QJsonObject o{{QStringLiteral("id"), double(w.id)},         {QStringLiteral("role"), w.role},
                  {QStringLiteral("subrole"), w.subrole},       {QStringLiteral("title"), w.title},
                  {QStringLiteral("frame"), rectJson(w.frame)}, {QStringLiteral("minimized"), w.minimized},
                  {QStringLiteral("fullScreen"), w.fullScreen}};
    if (w.fullScreen) o.insert(QStringLiteral("frameBeforeFullScreen"), rectJson(w.frameBeforeFullScreen));
    if (w.document) o.insert(QStringLiteral("document"), *w.document);
    if (!w.tabs.empty()) {
        QJsonArray tabs;
        for (const Tab& t : w.tabs)
            tabs.append(QJsonObject{{QStringLiteral("url"), t.url}, {QStringLiteral("title"), t.title}});
        o.insert(QStringLiteral("tabs"), tabs);
        o.insert(QStringLiteral("currentTab"), w.currentTab);
    }
    if (!w.commands.isEmpty()) o.insert(QStringLiteral("commands"), QJsonArray::fromStringList(w.commands));
    if (w.refusedWriteError) o.insert(QStringLiteral("refusedWriteError"), *w.refusedWriteError);
    if (!w.unreadableAttributes.isEmpty())
        o.insert(QStringLiteral("unreadableAttributes"), QJsonArray::fromStringList(w.unreadableAttributes));
    return o;
}

bool windowFrom(const QJsonObject& o, Window& w, QString& error) {
    auto frame = rectFrom(o.value(QStringLiteral("frame")));
    if (!frame || !o.value(QStringLiteral("title")).isString()) {
        error = QStringLiteral("a window needs a title and a frame [x, y, width, height]");
        return false;
    }
    w.id = static_cast<std::uint64_t>(o.value(QStringLiteral("id")).toDouble());
    w.role = o.value(QStringLiteral("role")).toString(QStringLiteral("AXWindow"));
    w.subrole = o.value(QStringLiteral("subrole")).toString(QStringLiteral("AXStandardWindow"));
    w.title = o.value(QStringLiteral("title")).toString();
    w.frame = *frame;
    w.minimized = o.value(QStringLiteral("minimized")).toBool();
    w.fullScreen = o.value(QStringLiteral("fullScreen")).toBool();
    w.frameBeforeFullScreen = rectFrom(o.value(QStringLiteral("frameBeforeFullScreen"))).value_or(w.frame);
    if (o.value(QStringLiteral("document")).isString()) w.document = o.value(QStringLiteral("document")).toString();
    for (const QJsonValue& t : o.value(QStringLiteral("tabs")).toArray())
        w.tabs.push_back(Tab{t.toObject().value(QStringLiteral("url")).toString(),
                             t.toObject().value(QStringLiteral("title")).toString()});
    w.currentTab = o.value(QStringLiteral("currentTab")).toInt();
    if (w.currentTab < 0 || w.currentTab >= static_cast<int>(std::max<size_t>(w.tabs.size(), 1))) w.currentTab = 0;
    for (const QJsonValue& c : o.value(QStringLiteral("commands")).toArray())
        w.commands << c.toString();
    if (o.value(QStringLiteral("refusedWriteError")).isDouble())
        w.refusedWriteError = o.value(QStringLiteral("refusedWriteError")).toInt();
    for (const QJsonValue& a : o.value(QStringLiteral("unreadableAttributes")).toArray())
        w.unreadableAttributes << a.toString();
    return true;
}

// JSON has one number type; preference values written as integers read back as integers.
QVariant restoreIntegers(const QVariant& v) {
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        if (std::abs(d) < 9.0e15 && d == static_cast<double>(static_cast<qint64>(d)))
            return QVariant(static_cast<qint64>(d));
        return v;
    }
    if (v.typeId() == QMetaType::QVariantList) {
        QVariantList out;
        for (const QVariant& item : v.toList())
            out << restoreIntegers(item);
        return out;
    }
    if (v.typeId() == QMetaType::QVariantMap) {
        QVariantMap out;
        const QVariantMap in = v.toMap();
        for (auto it = in.begin(); it != in.end(); ++it)
            out.insert(it.key(), restoreIntegers(it.value()));
        return out;
    }
    return v;
}

QString policyName(ActivationPolicy p) {
    switch (p) {
    case ActivationPolicy::accessory:
        return QStringLiteral("accessory");
    case ActivationPolicy::prohibited:
        return QStringLiteral("prohibited");
    case ActivationPolicy::regular:
        break;
    }
    return QStringLiteral("regular");
}

ActivationPolicy policyFrom(const QString& name) {
    if (name == QLatin1String("accessory")) return ActivationPolicy::accessory;
    if (name == QLatin1String("prohibited")) return ActivationPolicy::prohibited;
    return ActivationPolicy::regular;
}

} // namespace

QJsonObject SimulatedMac::toJson() const {
    QJsonArray screens;
    for (const Screen& s : screens_)
        screens.append(QJsonObject{{QStringLiteral("id"), s.id},
                                   {QStringLiteral("name"), s.name},
                                   {QStringLiteral("frame"), rectJson(s.frame)},
                                   {QStringLiteral("visibleFrame"), rectJson(s.visibleFrame)},
                                   {QStringLiteral("desktopImageURL"), s.desktopImageURL}});
    QJsonArray apps;
    for (const App& a : apps_) {
        if (a.pid == dockPid_) continue; // the Dock is started again from its preferences
        QJsonArray windows;
        for (const Window& w : a.windows)
            windows.append(windowJson(w));
        QJsonObject o{{QStringLiteral("pid"), a.pid},
                      {QStringLiteral("bundleIdentifier"), a.bundleIdentifier},
                      {QStringLiteral("bundlePath"), a.bundlePath},
                      {QStringLiteral("name"), a.name},
                      {QStringLiteral("activationPolicy"), policyName(a.policy)},
                      {QStringLiteral("hidden"), a.hidden},
                      {QStringLiteral("windows"), windows}};
        if (a.scriptError) o.insert(QStringLiteral("scriptError"), *a.scriptError);
        if (a.noFocusedWindow) o.insert(QStringLiteral("noFocusedWindow"), true);
        apps.append(o);
    }
    QJsonArray order;
    for (int pid : activationOrder_)
        order.append(pid);
    QJsonObject delays;
    for (const auto& [id, seconds] : launchDelays_)
        delays.insert(id, seconds);
    return QJsonObject{
        {QStringLiteral("version"), 1},
        {QStringLiteral("identity"),
         QJsonObject{{QStringLiteral("shortName"), identity_.shortName},
                     {QStringLiteral("fullName"), identity_.fullName},
                     {QStringLiteral("uid"), double(identity_.uid)},
                     {QStringLiteral("hostName"), identity_.hostName},
                     {QStringLiteral("model"), identity_.model},
                     {QStringLiteral("os"),
                      QJsonArray{identity_.os.majorVersion, identity_.os.minorVersion, identity_.os.patchVersion}}}},
        {QStringLiteral("screens"), screens},
        {QStringLiteral("mainScreenId"), mainScreenId_},
        {QStringLiteral("dockPreferences"), QJsonObject::fromVariantMap(dockStored_)},
        {QStringLiteral("apps"), apps},
        {QStringLiteral("activationOrder"), order},
        {QStringLiteral("launchDelays"), delays},
        {QStringLiteral("defaultBrowser"), defaultBrowser_},
        {QStringLiteral("trusted"), trusted_},
        {QStringLiteral("nextPid"), nextPid_},
        {QStringLiteral("nextWindowId"), double(nextWindowId_)},
    };
}

bool SimulatedMac::loadJson(const QJsonObject& o, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (o.value(QStringLiteral("version")).toInt() != 1) return fail(QStringLiteral("unknown state version"));

    std::vector<Screen> screens;
    for (const QJsonValue& v : o.value(QStringLiteral("screens")).toArray()) {
        const QJsonObject s = v.toObject();
        auto frame = rectFrom(s.value(QStringLiteral("frame")));
        auto visible = rectFrom(s.value(QStringLiteral("visibleFrame")));
        if (!frame || !visible) return fail(QStringLiteral("a screen needs a frame and a visible frame"));
        screens.push_back(Screen{s.value(QStringLiteral("id")).toInt(), s.value(QStringLiteral("name")).toString(),
                                 *frame, *visible, s.value(QStringLiteral("desktopImageURL")).toString()});
    }
    if (screens.empty()) return fail(QStringLiteral("no screens"));

    std::vector<App> apps;
    std::uint64_t maxWindowId = 0;
    int maxPid = 0;
    for (const QJsonValue& v : o.value(QStringLiteral("apps")).toArray()) {
        const QJsonObject a = v.toObject();
        App app;
        app.pid = a.value(QStringLiteral("pid")).toInt();
        if (app.pid <= 0) return fail(QStringLiteral("an application needs a pid"));
        app.bundleIdentifier = a.value(QStringLiteral("bundleIdentifier")).toString();
        app.bundlePath = a.value(QStringLiteral("bundlePath")).toString();
        app.name = a.value(QStringLiteral("name")).toString();
        app.policy = policyFrom(a.value(QStringLiteral("activationPolicy")).toString());
        app.hidden = a.value(QStringLiteral("hidden")).toBool();
        app.noFocusedWindow = a.value(QStringLiteral("noFocusedWindow")).toBool();
        if (a.value(QStringLiteral("scriptError")).isDouble())
            app.scriptError = a.value(QStringLiteral("scriptError")).toInt();
        for (const QJsonValue& wv : a.value(QStringLiteral("windows")).toArray()) {
            Window w;
            QString why;
            if (!windowFrom(wv.toObject(), w, why)) return fail(why);
            maxWindowId = std::max(maxWindowId, w.id);
            app.windows.push_back(w);
        }
        maxPid = std::max(maxPid, app.pid);
        apps.push_back(app);
    }
    // Windows without an id (hand-written states) get fresh ones.
    for (App& a : apps)
        for (Window& w : a.windows)
            if (w.id == 0) w.id = ++maxWindowId;

    const QJsonObject id = o.value(QStringLiteral("identity")).toObject();
    MacIdentity identity;
    identity.shortName = id.value(QStringLiteral("shortName")).toString(identity.shortName);
    identity.fullName = id.value(QStringLiteral("fullName")).toString(identity.fullName);
    identity.uid = static_cast<unsigned>(id.value(QStringLiteral("uid")).toDouble(identity.uid));
    identity.hostName = id.value(QStringLiteral("hostName")).toString(identity.hostName);
    identity.model = id.value(QStringLiteral("model")).toString(identity.model);
    const QJsonArray os = id.value(QStringLiteral("os")).toArray();
    if (os.size() == 3) identity.os = {os[0].toInt(), os[1].toInt(), os[2].toInt()};

    identity_ = identity;
    screens_ = std::move(screens);
    mainScreenId_ = o.value(QStringLiteral("mainScreenId")).toInt(screens_.front().id);
    if (!screen(mainScreenId_)) mainScreenId_ = screens_.front().id;
    apps_ = std::move(apps);
    activationOrder_.clear();
    for (const QJsonValue& v : o.value(QStringLiteral("activationOrder")).toArray())
        if (app(v.toInt()) && app(v.toInt())->policy == ActivationPolicy::regular)
            activationOrder_.push_back(v.toInt());
    for (const App& a : apps_)
        if (a.policy == ActivationPolicy::regular &&
            std::find(activationOrder_.begin(), activationOrder_.end(), a.pid) == activationOrder_.end())
            activationOrder_.push_back(a.pid);
    launchDelays_.clear();
    const QJsonObject delays = o.value(QStringLiteral("launchDelays")).toObject();
    for (auto it = delays.begin(); it != delays.end(); ++it)
        launchDelays_[it.key()] = it.value().toDouble();
    defaultBrowser_ = o.value(QStringLiteral("defaultBrowser")).toString(kSafariBundleId);
    trusted_ = o.value(QStringLiteral("trusted")).toBool(true);
    nextPid_ = std::max(o.value(QStringLiteral("nextPid")).toInt(400), maxPid + 1);
    nextWindowId_ = std::max<std::uint64_t>(
        static_cast<std::uint64_t>(o.value(QStringLiteral("nextWindowId")).toDouble(1)), maxWindowId + 1);
    dockStored_ = restoreIntegers(o.value(QStringLiteral("dockPreferences")).toObject().toVariantMap()).toMap();
    dockPending_ = dockStored_;
    dockPid_ = 0;
    const bool wasQuiet = quiet_;
    quiet_ = true;
    restartDock();
    quiet_ = wasQuiet;
    recorder_.clear();
    return true;
}

bool SimulatedMac::saveToFile(const QString& path, QString* error) const {
    return writeFileWithin(path, QJsonDocument(toJson()).toJson(QJsonDocument::Indented), kMaxStateFileBytes, error);
}

bool SimulatedMac::loadFromFile(const QString& path, QString* error) {
    const BoundedRead read = readFileWithin(path, kMaxStateFileBytes);
    if (read.status != BoundedRead::Status::read) {
        if (error) *error = read.status == BoundedRead::Status::missing ? QStringLiteral("no state file") : read.error;
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(read.bytes, &parseError);
    if (!doc.isObject()) {
        if (error) *error = parseError.errorString();
        return false;
    }
    return loadJson(doc.object(), error);
}

} // namespace nimbrel::sim
