// The settings screen's switches and account picture as steps, and the stored user defaults as
// a view.
#include "ScenarioRun.h"

#include "model/SettingsStore.h"
#include "platform/SharedInstance.h"
#include "platform/UserNotifications.h"
#include "platform/local/TypedValueCoding.h"
#include "ui/screens/LaunchAtLogin.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace nimbrel::simtool {

namespace {

// The notifications switch: off at once; on only once the system grants the permission (as
// the settings screen's view model does; the simulator has no display to build it with). An
// answer that comes after the program ended changes nothing.
void setNotifications(Platform& platform, bool on) {
    NimbrelSettingsStore& settings = NimbrelSettingsStore::shared();
    if (!on || !platform.userNotifications) {
        if (!on) settings.setSystemNotificationsEnabled(false);
        return;
    }
    std::weak_ptr<NimbrelSettingsStore> store =
        sharedInstancePtr<NimbrelSettingsStore>([] { return std::shared_ptr<NimbrelSettingsStore>(); });
    platform.userNotifications->requestAuthorization(NotificationAlert | NotificationSound,
                                                     [store](bool granted, std::optional<QString>) {
                                                         if (auto s = store.lock())
                                                             s->setSystemNotificationsEnabled(granted);
                                                     });
}

void changeSetting(ScenarioRun& run, const QJsonObject& step) {
    const QString name = step.value(QStringLiteral("name")).toString();
    const bool on = step.value(QStringLiteral("on")).toBool();
    if (name == QLatin1String("accountPicture")) {
        // The bytes the screen stores once a picture was chosen (a 256 x 256 PNG), or none.
        const QJsonValue picture = step.value(QStringLiteral("picture"));
        const std::optional<QByteArray> data =
            picture.isNull()
                ? std::nullopt
                : std::optional(QByteArray::fromBase64(picture[QStringLiteral("base64")].toString().toLatin1()));
        run.step(data ? QStringLiteral("setting account picture (%1 bytes)").arg(data->size())
                      : QStringLiteral("setting account picture removed"));
        NimbrelSettingsStore::shared().setCustomAccountImageData(data);
        return;
    }
    static const QStringList kSwitches{"launchAtLogin", "sync",        "minimizeAfterCycle",
                                       "notifications", "liquidGlass", "automaticUpdates"};
    if (!kSwitches.contains(name) || !step.value(QStringLiteral("on")).isBool()) {
        run.error(QStringLiteral("setting needs \"name\" (%1 or accountPicture) and \"on\"")
                      .arg(kSwitches.join(QStringLiteral(", "))));
        return;
    }
    run.step(QStringLiteral("setting %1 %2").arg(name, on ? QStringLiteral("on") : QStringLiteral("off")));
    Platform& platform = Platform::current();
    NimbrelSettingsStore& settings = NimbrelSettingsStore::shared();
    if (name == QLatin1String("launchAtLogin"))
        LaunchAtLogin(platform).set(on);
    else if (name == QLatin1String("notifications"))
        setNotifications(platform, on);
    else if (name == QLatin1String("sync"))
        settings.setSyncEnabled(on);
    else if (name == QLatin1String("minimizeAfterCycle"))
        settings.setMinimizeAfterCycle(on);
    else if (name == QLatin1String("liquidGlass"))
        settings.setLiquidGlassEnabled(on);
    else
        settings.setAutomaticUpdatesEnabled(on);
}

// A stored value as a person reads it: its type, then the value (data by its size).
QString describeDefault(const QVariant& value) {
    const std::optional<QJsonValue> typed = encodeTypedValue(value);
    if (!typed) return QStringLiteral("(a value of no stored type)");
    const QJsonObject o = typed->toObject();
    const QString type = o.value(QStringLiteral("type")).toString();
    if (type == QLatin1String("data")) return QStringLiteral("data %1 bytes").arg(value.toByteArray().size());
    if (type == QLatin1String("date")) return QStringLiteral("date ") + iso8601String(value.value<Date>());
    const QByteArray json = QJsonDocument(QJsonArray{o.value(QStringLiteral("value"))}).toJson(QJsonDocument::Compact);
    return type + QLatin1Char(' ') + QString::fromUtf8(json.mid(1, json.size() - 2));
}

void showDefaults(ScenarioRun& run, const QJsonObject& step) {
    run.step(QStringLiteral("defaults"));
    QStringList wanted;
    for (const QJsonValue& v : step.value(QStringLiteral("keys")).toArray())
        wanted << v.toString();
    QStringList stored = run.defaults().keys();
    stored.sort();
    for (const QString& key : wanted) {
        if (key.endsWith(QLatin1Char('*'))) {
            const QString prefix = key.chopped(1);
            bool any = false;
            for (const QString& k : stored)
                if (k.startsWith(prefix)) {
                    run.transcript().raw(QStringLiteral("  %1 = %2").arg(k, describeDefault(run.defaults().object(k))));
                    any = true;
                }
            if (!any) run.transcript().raw(QStringLiteral("  %1 (none)").arg(key));
        } else if (run.defaults().contains(key)) {
            run.transcript().raw(QStringLiteral("  %1 = %2").arg(key, describeDefault(run.defaults().object(key))));
        } else {
            run.transcript().raw(QStringLiteral("  %1 (absent)").arg(key));
        }
    }
}

} // namespace

bool runSettingsStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    if (what == QLatin1String("defaults")) {
        showDefaults(run, step);
        return true;
    }
    if (what != QLatin1String("setting")) return false;
    // The settings store comes with the rules and sessions stores, 1 s after the launch.
    if (!run.program().isRunning() || !hasSharedInstance<NimbrelSettingsStore>())
        run.error(QStringLiteral("setting: the settings store is not running"));
    else
        changeSetting(run, step);
    return true;
}

} // namespace nimbrel::simtool
