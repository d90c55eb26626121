// nimbrel-seed-stores: fills the program's stores in a home with generated contents, through the
// program's own encoders and writers, for measuring start-up with large stores.
//
//   nimbrel-seed-stores --home DIR [--rules N] [--blacklist N] [--sessions N] [--activity N]
//
// The files are those of the program run with XDG_DATA_HOME=DIR/data and
// XDG_CONFIG_HOME=DIR/config; a store not named is left as it is.

#include "StoreSeeds.h"

#include "activity/ActivityHistoryText.h"
#include "activity/ActivityStore.h"
#include "model/BlacklistStore.h"
#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "platform/Files.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "sessions/SessionCoding.h"
#include "sessions/SessionsFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>

#include <cstdio>

using namespace nimbrel;

namespace {

bool fail(const QString& what) {
    std::fprintf(stderr, "nimbrel-seed-stores: %s\n", qPrintable(what));
    return false;
}

bool seedDefaults(const Locations& places, const QCommandLineParser& options, Date now) {
    if (!options.isSet(QStringLiteral("rules")) && !options.isSet(QStringLiteral("blacklist"))) return true;
    QDir().mkpath(places.preferences);
    JsonFileUserDefaults defaults(JsonFileUserDefaults::filePath(places));
    if (options.isSet(QStringLiteral("rules")))
        defaults.setData(NimbrelRulesStore::defaultsKey,
                         encodeRules(seed::rules(options.value(QStringLiteral("rules")).toInt(), now),
                                     json::DateForm::SecondsSince2001));
    if (options.isSet(QStringLiteral("blacklist")))
        defaults.setStringArray(BlacklistStore::defaultsKey,
                                seed::blacklistedApps(options.value(QStringLiteral("blacklist")).toInt()));
    return defaults.synchronize() || fail(QStringLiteral("could not write ") + defaults.path());
}

bool seedSessions(const Locations& places, const QCommandLineParser& options, Date now) {
    if (!options.isSet(QStringLiteral("sessions"))) return true;
    QDir().mkpath(places.nimbrelSupportFolder());
    const QString path = places.nimbrelSupportFolder() + QLatin1Char('/') + SessionsFile::kFileName;
    QString error;
    return writeFileAtomically(
               path, encodeSessionList(seed::sessions(options.value(QStringLiteral("sessions")).toInt(), now)),
               &error) ||
           fail(error);
}

bool seedActivity(const Locations& places, const QCommandLineParser& options, Date now) {
    if (!options.isSet(QStringLiteral("activity"))) return true;
    ActivityHistory history;
    history.assign(seed::activity(options.value(QStringLiteral("activity")).toInt(), now));
    const QString path = places.nimbrelSupportFolder() + QLatin1Char('/') + NimbrelActivityStore::kFileName;
    QString error;
    return writeFileAtomically(path, encodeHistory(history.snapshot()), &error) || fail(error);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    const auto count = [](const char* name, const char* what) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(what), QStringLiteral("n"));
    };
    options.addOptions({{QStringLiteral("home"), QStringLiteral("The home to fill."), QStringLiteral("dir")},
                        count("rules", "How many rules to store."),
                        count("blacklist", "How many apps to blacklist."),
                        count("sessions", "How many sessions to store."),
                        count("activity", "How many activity entries to keep.")});
    options.process(app);
    if (!options.isSet(QStringLiteral("home"))) {
        std::fputs("nimbrel-seed-stores: --home is required\n", stderr);
        return 2;
    }
    const Locations places = Locations::underRoot(options.value(QStringLiteral("home")));
    const Date now = Date::fromUnix(double(QDateTime::currentMSecsSinceEpoch()) / 1000);
    const bool ok =
        seedDefaults(places, options, now) && seedSessions(places, options, now) && seedActivity(places, options, now);
    return ok ? 0 : 1;
}
