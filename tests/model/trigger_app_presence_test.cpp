#include "model/Rule.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"
#include "support/StubWorkspace.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QSet>

namespace nimbrel {
namespace {

// Only the installed-application lookup matters here.
class InstalledAppsWorkspace final : public testing::StubWorkspace {
  public:
    QMap<QString, QString> installed; // bundle identifier -> bundle path

    std::optional<QString> urlForApplication(const QString& bundleIdentifier) const override {
        if (installed.contains(bundleIdentifier)) return installed.value(bundleIdentifier);
        return std::nullopt;
    }
};

// A disk that holds exactly the listed paths.
class ListedFiles final : public FileSystem {
  public:
    QSet<QString> paths;

    QString homeDirectory() const override { return QStringLiteral("/Users/me"); }
    bool exists(const QString& path) const override { return paths.contains(path); }
    bool isDirectory(const QString& path) const override { return paths.contains(path); }
    bool isSymlink(const QString&) const override { return false; }
    std::optional<QByteArray> readFile(const QString&, qint64) const override { return std::nullopt; }
    bool writeFileAtomically(const QString&, const QByteArray&, QString*) override { return false; }
    bool createDirectory(const QString&) override { return false; }
    bool removeFile(const QString&) override { return false; }
    std::vector<FileEntry> list(const QString&, bool) const override { return {}; }
    QString realPath(const QString& path) const override { return path; }
};

class TriggerAppPresence : public ::testing::Test {
  protected:
    bool available(std::optional<QString> bundleId, std::optional<QString> path,
                   const QString& name = QStringLiteral("App")) const {
        NimbrelRule rule =
            NimbrelRule::make("r", true, false, NimbrelRuleTrigger{1, {name, bundleId, path}}, {}, Date{});
        return rule.isTriggerAppAvailable(workspace, files);
    }

    InstalledAppsWorkspace workspace;
    ListedFiles files;
};

TEST_F(TriggerAppPresence, InstalledByBundleIdentifier) {
    workspace.installed.insert("com.example.editor", "/Applications/Editor.app");
    EXPECT_TRUE(available(QStringLiteral("com.example.editor"), std::nullopt));
    EXPECT_FALSE(available(QStringLiteral("com.example.missing"), std::nullopt));
}

TEST_F(TriggerAppPresence, FallsBackToThePathWithTildeExpanded) {
    files.paths = {"/Applications/Editor.app", "/Users/me/Apps/Tool.app"};
    EXPECT_TRUE(available(QStringLiteral("com.example.missing"), QStringLiteral("/Applications/Editor.app")));
    EXPECT_TRUE(available(std::nullopt, QStringLiteral("~/Apps/Tool.app")));
    EXPECT_FALSE(available(std::nullopt, QStringLiteral("~/Apps/Gone.app")));
    EXPECT_FALSE(available(std::nullopt, QStringLiteral("")));
}

TEST_F(TriggerAppPresence, FinderIsAlwaysPresentAndNothingElseWithoutEvidence) {
    EXPECT_TRUE(available(QStringLiteral("com.apple.finder"), std::nullopt));
    EXPECT_FALSE(available(QStringLiteral("com.apple.Finder"), std::nullopt));
    EXPECT_FALSE(available(std::nullopt, std::nullopt));
    // Only Finder's bundle identifier vouches for it, never its name.
    EXPECT_FALSE(available(std::nullopt, std::nullopt, QStringLiteral("Finder")));
}

TEST_F(TriggerAppPresence, UsesTheInstalledPlatform) {
    Platform platform;
    platform.workspace = &workspace;
    platform.files = &files;
    ScopedPlatform scoped(platform);
    workspace.installed.insert("com.example.editor", "/Applications/Editor.app");
    NimbrelRule rule = NimbrelRule::make("r", true, false, {1, {"Editor", "com.example.editor", {}}}, {}, Date{});
    EXPECT_TRUE(rule.isTriggerAppAvailable());
    workspace.installed.clear();
    EXPECT_FALSE(rule.isTriggerAppAvailable());
}

} // namespace
} // namespace nimbrel
