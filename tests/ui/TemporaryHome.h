#pragma once

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

namespace nimbrel::testing {

// A fresh home for a program made in the test (Locations::forThisMachine): HOME and the XDG
// folders point into a temporary folder while it lives, and are put back after.
class TemporaryHome {
  public:
    TemporaryHome() {
        const QByteArray folders[][2] = {{"HOME", "/home"},
                                         {"XDG_CONFIG_HOME", "/config"},
                                         {"XDG_DATA_HOME", "/data"},
                                         {"XDG_RUNTIME_DIR", "/runtime"}};
        for (const auto& [name, folder] : folders) {
            before_.append({name, qgetenv(name)});
            QDir().mkpath(root_.path() + QString::fromLatin1(folder));
            qputenv(name, (root_.path() + QString::fromLatin1(folder)).toLocal8Bit());
        }
    }
    ~TemporaryHome() {
        for (const auto& [name, value] : before_)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

  private:
    QTemporaryDir root_;
    QList<QPair<QByteArray, QByteArray>> before_;
};

} // namespace nimbrel::testing
