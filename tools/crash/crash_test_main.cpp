// nimbrel-crash-test: the crash-consistency run. Starts nimbrel-file-churn again and again on
// the same folders, kills it with SIGKILL at a random moment (during its start, or while it
// writes), and after every kill reads each file back as the program would: every file must be
// whole, holding its old content or a newer one. With --program, the real program is then
// started on each folder and must start and quit cleanly.
//
//   nimbrel-crash-test --churn PATH [--runs 240] [--jobs 3] [--files defaults,activity,mac,sessions]
//                      [--max-delay-ms 300] [--mac-save-delay 0.02] [--seed N]
//                      [--program PATH] [--folder DIR]

#include "ChurnedFiles.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <random>
#include <set>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace nimbrel;
using Steady = std::chrono::steady_clock;

namespace {

struct Child {
    pid_t pid = -1;
    int output = -1; // its standard output (and error), read end
};

// Starts `program` with `arguments`, its output on a pipe, and the environment of a program
// whose data live in `folder`.
Child spawn(const QString& program, const QStringList& arguments, const QString& folder) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);

    std::vector<QByteArray> texts{QFile::encodeName(program)};
    for (const QString& a : arguments)
        texts.push_back(a.toUtf8());
    QDir().mkpath(folder + QStringLiteral("/run"));
    ::chmod(QFile::encodeName(folder + QStringLiteral("/run")).constData(), 0700);
    const QStringList own{QStringLiteral("XDG_DATA_HOME=") + folder + QStringLiteral("/data"),
                          QStringLiteral("XDG_CONFIG_HOME=") + folder + QStringLiteral("/config"),
                          QStringLiteral("XDG_RUNTIME_DIR=") + folder + QStringLiteral("/run"),
                          QStringLiteral("HOME=") + folder + QStringLiteral("/home"),
                          QStringLiteral("QT_QPA_PLATFORM=offscreen")};
    std::vector<QByteArray> environment;
    for (const QString& e : own)
        environment.push_back(QFile::encodeName(e));
    for (char** e = environ; *e; ++e) {
        const QByteArray entry(*e);
        const QByteArray name = entry.left(entry.indexOf('=') + 1);
        if (!std::any_of(own.begin(), own.end(), [&](const QString& o) { return o.toUtf8().startsWith(name); }))
            environment.push_back(entry);
    }
    std::vector<char*> argv, envp;
    for (QByteArray& t : texts)
        argv.push_back(t.data());
    argv.push_back(nullptr);
    for (QByteArray& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    Child child;
    const int failed = posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (failed != 0) {
        ::close(pipeEnds[0]);
        return {};
    }
    child.output = pipeEnds[0];
    return child;
}

// Reads the child's output until `line` appears or `timeout` passes; keeps what was read.
bool waitForLine(const Child& child, const QByteArray& line, std::chrono::milliseconds timeout, QByteArray* seen) {
    const auto deadline = Steady::now() + timeout;
    while (!seen->contains(line)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
        if (left <= 0) return false;
        pollfd p{child.output, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(child.output, buffer, sizeof buffer);
        if (n <= 0) return seen->contains(line); // the child has gone
        seen->append(buffer, n);
    }
    return true;
}

void drain(const Child& child, QByteArray* seen) {
    char buffer[4096];
    for (ssize_t n; (n = ::read(child.output, buffer, sizeof buffer)) > 0;)
        seen->append(buffer, n);
}

// The status it ended with, waiting at most `timeout`; nullopt when it is still running.
std::optional<int> waitForEnd(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = Steady::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return status;
        if (done < 0 || Steady::now() > deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

struct Tally {
    std::mutex mutex;
    int kills = 0;
    int interruptedWrites = 0; // temporary files of writes a kill cut short, each counted once
    QStringList problems;

    void problem(const QString& text) {
        std::lock_guard lock(mutex);
        problems << text;
        std::fprintf(stderr, "crash-consistency: %s\n", qPrintable(text));
    }
};

std::set<QString> temporariesIn(const QString& folder) {
    std::set<QString> found;
    QDirIterator it(folder, {QStringLiteral(".*.tmp-*")}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.insert(it.next());
    return found;
}

// Readers print through the one log sink: one folder is checked at a time.
std::mutex checking;

// One folder, killed `runs` times.
void killRepeatedly(const QString& churn, const QString& folder, const QStringList& files, int runs, int maxDelayMs,
                    const QString& macSaveDelay, unsigned seed, Tally& tally) {
    std::mt19937 random(seed);
    const Locations places = Locations::underRoot(folder);
    std::map<QString, qint64> last; // each file's round after the previous kill
    std::set<QString> notRemoved;   // temporaries the readers left after the previous kill
    for (int run = 0; run < runs; ++run) {
        qint64 first = 1;
        for (const auto& [name, round] : last)
            first = std::max(first, round + 1);
        const Child child = spawn(churn,
                                  {QStringLiteral("--folder"), folder, QStringLiteral("--files"), files.join(','),
                                   QStringLiteral("--first-round"), QString::number(first),
                                   QStringLiteral("--mac-save-delay"), macSaveDelay},
                                  folder);
        if (child.pid < 0) {
            tally.problem(QStringLiteral("cannot start ") + churn);
            return;
        }
        QByteArray output;
        // One kill in seven lands while the tool starts and reads its files; the rest while it writes.
        if (std::uniform_int_distribution<int>(0, 6)(random) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 40)(random)));
        } else {
            if (!waitForLine(child, "ready", std::chrono::seconds(30), &output))
                tally.problem(QStringLiteral("%1 run %2: the churn tool did not start: %3")
                                  .arg(folder)
                                  .arg(run)
                                  .arg(QString::fromUtf8(output)));
            std::this_thread::sleep_for(
                std::chrono::milliseconds(std::uniform_int_distribution<int>(0, maxDelayMs)(random)));
        }
        ::kill(child.pid, SIGKILL);
        const std::optional<int> status = waitForEnd(child.pid, std::chrono::seconds(10));
        drain(child, &output);
        ::close(child.output);
        if (!status || !WIFSIGNALED(*status) || WTERMSIG(*status) != SIGKILL) {
            tally.problem(QStringLiteral("%1 run %2: the churn tool ended by itself: %3")
                              .arg(folder)
                              .arg(run)
                              .arg(QString::fromUtf8(output)));
            continue;
        }
        {
            std::lock_guard lock(tally.mutex);
            ++tally.kills;
            // Counted before the readers below clear them, as the program does when it starts.
            for (const QString& temporary : temporariesIn(folder))
                tally.interruptedWrites += notRemoved.count(temporary) == 0 ? 1 : 0;
        }
        std::lock_guard lock(checking);
        for (const QString& name : files) {
            const crash::FileCheck check = crash::churnedFile(name)->check(places);
            if (check.damage)
                tally.problem(
                    QStringLiteral("%1 run %2: damaged %3 file: %4").arg(folder).arg(run).arg(name, *check.damage));
            else if (check.present && check.counter < last[name])
                tally.problem(QStringLiteral("%1 run %2: the %3 file went back from round %4 to %5")
                                  .arg(folder)
                                  .arg(run)
                                  .arg(name)
                                  .arg(last[name])
                                  .arg(check.counter));
            last[name] = std::max(last[name], check.counter);
        }
        // Each reader clears what the kill left beside its file: a temporary that stays, stays for ever.
        const std::set<QString> left = temporariesIn(folder);
        for (const QString& temporary : left)
            if (notRemoved.count(temporary) == 0)
                tally.problem(QStringLiteral("%1 run %2: no reader removed %3").arg(folder).arg(run).arg(temporary));
        notRemoved = left;
    }
}

// The program itself on a folder the kills left: it starts, and quits cleanly on SIGTERM
// without setting anything aside.
void startProgram(const QString& program, const QString& folder, Tally& tally) {
    const Child child = spawn(program, {}, folder);
    if (child.pid < 0) return tally.problem(QStringLiteral("cannot start ") + program);
    QByteArray output;
    const bool launched = waitForLine(child, "NimbrelApp: did finish launching", std::chrono::seconds(60), &output);
    ::kill(child.pid, SIGTERM);
    const std::optional<int> status = waitForEnd(child.pid, std::chrono::seconds(20));
    if (!status) ::kill(child.pid, SIGKILL);
    drain(child, &output);
    ::close(child.output);
    const QString text = QString::fromUtf8(output);
    if (!launched || !status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
        return tally.problem(QStringLiteral("the program did not start and quit cleanly on %1:\n%2").arg(folder, text));
    for (const QString& sign : {QStringLiteral("could not read"), QStringLiteral("set aside"),
                                QStringLiteral("failed to load"), QStringLiteral("moved aside")})
        if (text.contains(sign, Qt::CaseInsensitive))
            tally.problem(QStringLiteral("the program found a damaged file in %1:\n%2").arg(folder, text));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.addOptions({
        {QStringLiteral("churn"), QStringLiteral("The nimbrel-file-churn program."), QStringLiteral("path")},
        {QStringLiteral("runs"), QStringLiteral("How many kills."), QStringLiteral("n"), QStringLiteral("240")},
        {QStringLiteral("jobs"), QStringLiteral("Folders killed side by side."), QStringLiteral("n"),
         QStringLiteral("3")},
        {QStringLiteral("files"), QStringLiteral("Which files."), QStringLiteral("names"),
         QStringLiteral("defaults,activity,mac,sessions")},
        {QStringLiteral("max-delay-ms"), QStringLiteral("Longest wait before a kill."), QStringLiteral("ms"),
         QStringLiteral("300")},
        {QStringLiteral("mac-save-delay"), QStringLiteral("The simulated Mac's save delay."), QStringLiteral("s"),
         QStringLiteral("0.02")},
        {QStringLiteral("seed"), QStringLiteral("The random seed."), QStringLiteral("n")},
        {QStringLiteral("program"), QStringLiteral("The nimbrel program, started on each folder at the end."),
         QStringLiteral("path")},
        {QStringLiteral("folder"), QStringLiteral("Where the folders go (kept)."), QStringLiteral("dir")},
    });
    options.process(app);
    const QString churn = options.value(QStringLiteral("churn"));
    if (churn.isEmpty()) {
        std::fputs("nimbrel-crash-test: --churn is required\n", stderr);
        return 2;
    }
    const QStringList files = options.value(QStringLiteral("files")).split(',', Qt::SkipEmptyParts);
    for (const QString& name : files)
        if (!crash::churnedFile(name)) {
            std::fprintf(stderr, "nimbrel-crash-test: no file called %s\n", qPrintable(name));
            return 2;
        }
    const int runs = options.value(QStringLiteral("runs")).toInt();
    const int jobs = std::max(1, options.value(QStringLiteral("jobs")).toInt());
    const unsigned seed =
        options.isSet(QStringLiteral("seed")) ? options.value(QStringLiteral("seed")).toUInt() : std::random_device{}();
    QTemporaryDir temporary;
    const QString base =
        options.isSet(QStringLiteral("folder")) ? options.value(QStringLiteral("folder")) : temporary.path();
    std::printf("crash-consistency: %d kills in %d folders under %s, seed %u\n", runs, jobs, qPrintable(base), seed);
    std::fflush(stdout);

    Tally tally;
    QStringList folders;
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; ++j) {
        folders << base + QStringLiteral("/job-%1").arg(j);
        const int share = runs / jobs + (j < runs % jobs ? 1 : 0);
        workers.emplace_back(killRepeatedly, churn, folders.back(), files, share,
                             options.value(QStringLiteral("max-delay-ms")).toInt(),
                             options.value(QStringLiteral("mac-save-delay")), seed + unsigned(j), std::ref(tally));
    }
    for (std::thread& w : workers)
        w.join();

    const QString program = options.value(QStringLiteral("program"));
    if (!program.isEmpty())
        for (const QString& folder : folders)
            startProgram(program, folder, tally);

    std::printf("crash-consistency: %d kills, which cut %d writes short; %lld damaged or older files "
                "or failed starts%s\n",
                tally.kills, tally.interruptedWrites, static_cast<long long>(tally.problems.size()),
                program.isEmpty() ? "" : "; the program was started on every folder");
    return tally.problems.isEmpty() && tally.kills == runs ? 0 : 1;
}
