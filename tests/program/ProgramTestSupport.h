#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>

#include <chrono>
#include <functional>

namespace nimbrel {

// One application object for the whole test program: the event loop's scheduler needs it.
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "program_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// A file holding `text` that its owner may run (a script standing in for a program).
inline bool writeExecutable(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return false;
    file.close();
    return file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

// Runs the event loop until `done`, five seconds at most; whether it came.
inline bool spinUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace nimbrel
