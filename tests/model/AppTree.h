#pragma once

// A small Mac disk in a temporary folder with app bundles, and a workspace that answers
// the installed-application questions from it (Info.plist values, icons, identifiers).

#include "../support/StubWorkspace.h"
#include "platform/Files.h"
#include "platform/simulated/SimPlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>

namespace nimbrel::testing {

class AppTree {
  public:
    AppTree() : files(dir.path(), QStringLiteral("/Users/user")) {}

    QString real(const QString& macPath) const { return files.realPath(macPath); }

    void makeFolder(const QString& macPath) const { QDir().mkpath(real(macPath)); }

    // A bundle with an Info.plist holding `info` (nothing written when `info` is empty and
    // `withPlist` is false) and an icon file.
    void makeBundle(const QString& macPath, const QVariantMap& info = {}, bool withPlist = true) const {
        makeFolder(macPath + QStringLiteral("/Contents/Resources"));
        if (withPlist) writeFile(macPath + QStringLiteral("/Contents/Info.plist"), sim::writePlist(info));
        writeFile(macPath + QStringLiteral("/Contents/Resources/AppIcon.png"), QByteArray("png"));
    }
    void makeApp(const QString& macPath, const QString& bundleId, const QString& displayName = {}) const {
        QVariantMap info{{QStringLiteral("CFBundleIdentifier"), bundleId}};
        if (!displayName.isEmpty()) info.insert(QStringLiteral("CFBundleDisplayName"), displayName);
        makeBundle(macPath, info);
    }

    void writeFile(const QString& macPath, const QByteArray& data) const {
        QDir().mkpath(QFileInfo(real(macPath)).path());
        QFile f(real(macPath));
        if (f.open(QIODevice::WriteOnly)) f.write(data);
    }
    bool link(const QString& targetMacPath, const QString& linkMacPath) const {
        QDir().mkpath(QFileInfo(real(linkMacPath)).path());
        return QFile::link(real(targetMacPath), real(linkMacPath));
    }

    QTemporaryDir dir;
    LocalFileSystem files;
};

class TreeWorkspace final : public StubWorkspace {
  public:
    explicit TreeWorkspace(const FileSystem& files) : files_(files) {}

    std::map<QString, QString> applicationsById; // what urlForApplication resolves
    mutable int iconRequests = 0;

    std::optional<QString> urlForApplication(const QString& bundleIdentifier) const override {
        auto it = applicationsById.find(bundleIdentifier);
        if (it == applicationsById.end()) return std::nullopt;
        return it->second;
    }
    QVariant infoPlistValue(const QString& bundlePath, const QString& key) const override {
        const auto bytes =
            files_.readFile(bundlePath + QStringLiteral("/Contents/Info.plist"), sim::kMaxInfoPlistBytes);
        const auto info = bytes ? sim::readPlist(*bytes) : std::nullopt;
        return info ? info->toMap().value(key) : QVariant();
    }
    QString iconPath(const QString& path) const override {
        ++iconRequests;
        const QString icon = path + QStringLiteral("/Contents/Resources/AppIcon.png");
        return files_.exists(icon) ? files_.realPath(icon) : QString();
    }

  private:
    const FileSystem& files_;
};

} // namespace nimbrel::testing
