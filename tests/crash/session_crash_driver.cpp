// Kills a real program with SIGKILL at random moments while a session starts and ends, a
// few hundred times, and after each kill starts it again: the Dock and pictures from before
// must always come back, and no file may be found half written.
//   session_crash_driver <helper> <runs> [seed]
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: session_crash_driver <helper> <runs> [seed]\n");
        return 2;
    }
    const QString helper = QString::fromLocal8Bit(argv[1]);
    const int runs = QString::fromLocal8Bit(argv[2]).toInt();
    const quint32 seed = argc > 3 ? QString::fromLocal8Bit(argv[3]).toUInt() : QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("mac"));

    int kills = 0;
    for (int i = 0; i < runs; ++i) {
        QProcess life;
        life.start(helper, {QStringLiteral("run"), folder});
        if (!life.waitForReadyRead(60000) || !life.readLine().startsWith("ready")) {
            std::printf("run %d: the program did not start (seed %u)\n", i, seed);
            return 1;
        }
        // Anywhere in the next few starts and ends of the session (each takes about 0.1 s).
        QThread::usleep(random.bounded(1, 500000));
        life.kill();
        life.waitForFinished(10000);
        ++kills;

        QProcess again;
        again.start(helper, {QStringLiteral("check"), folder});
        again.waitForFinished(60000);
        if (again.exitStatus() != QProcess::NormalExit || again.exitCode() != 0) {
            std::printf("after kill %d (seed %u):\n%s", kills, seed, again.readAllStandardOutput().constData());
            return 1;
        }
    }
    std::printf("%d kills while a session started and ended; after each the Dock and pictures came back and no file "
                "was damaged (seed %u)\n",
                kills, seed);
    return 0;
}
