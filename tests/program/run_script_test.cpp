#include "program/ProgramTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef NIMBREL_RUN_SCRIPT
namespace nimbrel {
namespace {

// `scripts/run` in a terminal that still holds the DISPLAY and XAUTHORITY of an earlier run's
// virtual display, stopped since, in a checkout whose set-up and build do nothing and whose
// Nimbrel asks its display for its size: the script says that the display does not answer and
// starts a virtual one of its own for Nimbrel, also where a killed run left the folder of that
// display's secrets; the display and the folders it made go when Nimbrel ends.
TEST(RunScript, ADisplayThatDoesNotAnswerIsReplacedByAVirtualOne) {
    ensureApplication();
    for (const bool runtimeFolder : {false, true}) {
        SCOPED_TRACE(runtimeFolder ? "a runtime folder with a killed run's secrets" : "no runtime folder");
        QTemporaryDir dir;
        const QString root = dir.path(), checkout = root + QStringLiteral("/checkout");
        for (const char* folder : {"/checkout/scripts", "/checkout/build", "/bin", "/run"})
            ASSERT_TRUE(QDir().mkpath(root + QLatin1String(folder)));
        ASSERT_TRUE(QFile::copy(QStringLiteral(NIMBREL_RUN_SCRIPT), checkout + QStringLiteral("/scripts/run")));
        for (const QString& nothing :
             {checkout + "/scripts/setup", checkout + "/scripts/configure", root + "/bin/cmake"})
            ASSERT_TRUE(writeExecutable(nothing, "#!/bin/sh\nexit 0\n"));
        ASSERT_TRUE(writeExecutable(checkout + QStringLiteral("/build/nimbrel"),
                                    "#!/bin/sh\necho \"nimbrel on $DISPLAY: $(xdotool getdisplaygeometry 2>&1)\"\n"));
        int gone = 90; // a display number nothing serves, as the script would choose it
        while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(gone)) ||
               QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(gone)))
            ++gone;

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"WAYLAND_DISPLAY", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
            environment.remove(QLatin1String(name));
        for (const auto& [name, value] : {std::pair{"DISPLAY", QStringLiteral(":%1").arg(gone)},
                                          {"XAUTHORITY", root + "/gone/Xauthority"},
                                          {"PATH", root + "/bin:" + environment.value("PATH")},
                                          {"HOME", root + "/home"},
                                          {"TMPDIR", root}})
            environment.insert(QLatin1String(name), value);
        if (runtimeFolder) {
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/run"));
            const QString left = root + QStringLiteral("/run/nimbrel-display-%1").arg(gone);
            ASSERT_TRUE(QDir().mkpath(left) && writeExecutable(left + QStringLiteral("/vnc-password"), "left"));
        }
        QProcess run;
        run.setProcessEnvironment(environment);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(checkout + QStringLiteral("/scripts/run"));
        ASSERT_TRUE(run.waitForFinished(60000));
        const QString output = QString::fromUtf8(run.readAll());
        EXPECT_EQ(run.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("the display DISPLAY=:%1 does not answer").arg(gone)))
            << output.toStdString();
        const QRegularExpressionMatch seen = QRegularExpression("nimbrel on :(\\d+): 2560 784\n").match(output);
        ASSERT_TRUE(seen.hasMatch()) << output.toStdString();
        EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/.X11-unix/X") + seen.captured(1))) << "its display stands";
        EXPECT_EQ(QDir(root).entryList({"nimbrel-run.*"}, QDir::Dirs) +
                      QDir(root + "/run").entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                  QStringList())
            << "folders left behind";
    }
}

} // namespace
} // namespace nimbrel
#endif
