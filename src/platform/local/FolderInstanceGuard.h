#pragma once

#include "platform/FileLock.h"
#include "platform/Files.h"
#include "platform/InstanceGuard.h"
#include "platform/local/LaunchRequests.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace nimbrel {

// One running program per preferences folder and per data folder: the running one holds a lock
// on "instance.lock" in each, so two starts that share either folder never both run, while two
// Macs with folders of their own do. The locks go with the process, however it ends, so a
// killed program never keeps the next one from starting. Later launches reach the running one
// through "instance.socket" in the data folder.
class FolderInstanceGuard final : public InstanceGuard {
  public:
    static inline const QString kLockFileName = QStringLiteral("instance.lock");
    static inline const QString kSocketFileName = QStringLiteral("instance.socket");

    explicit FolderInstanceGuard(const Locations& locations);

    bool claim() override;
    bool askRunningToComeForward() override;
    bool answerRequests(std::function<void()> comeForward) override;

    // The folders guarded: the preferences folder, then the program's data folder.
    const QStringList& folders() const { return folders_; }

  private:
    QString socketPath() const;

    QStringList folders_;
    std::vector<std::unique_ptr<FileLock>> held_;
    std::unique_ptr<LaunchRequests> requests_;
};

} // namespace nimbrel
