#pragma once

#include "platform/Files.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace nimbrel {

// Status codes of the keychain item functions.
constexpr int errSecSuccess = 0;
constexpr int errSecUnimplemented = -4;
constexpr int errSecIO = -36;
constexpr int errSecParam = -50;
constexpr int errSecAllocate = -108;
constexpr int errSecAuthFailed = -25293;
constexpr int errSecDuplicateItem = -25299;
constexpr int errSecItemNotFound = -25300;
constexpr int errSecInteractionNotAllowed = -25308;
constexpr int errSecDecode = -26275;

// When an item may be read; items made without one are readable whenever the keychain is unlocked.
inline const QString kKeychainAccessibleWhenUnlocked = QStringLiteral("whenUnlocked");
inline const QString kKeychainAccessibleAfterFirstUnlockThisDeviceOnly =
    QStringLiteral("afterFirstUnlockThisDeviceOnly");

// Generic password items, found by service and account, each with its data and accessibility.
class Keychain {
  public:
    virtual ~Keychain() = default;

    virtual int add(const QString& service, const QString& account, const QByteArray& data,
                    const QString& accessibility) = 0;
    virtual int copyMatching(const QString& service, const QString& account, QByteArray* data) const = 0;
    virtual int update(const QString& service, const QString& account, const QByteArray& data,
                       const QString& accessibility) = 0;
    virtual int remove(const QString& service, const QString& account) = 0;
};

// Items in memory only (tests, the scenario runner). A status can be forced for the next calls.
class InMemoryKeychain : public Keychain {
  public:
    int add(const QString& service, const QString& account, const QByteArray& data,
            const QString& accessibility) override;
    int copyMatching(const QString& service, const QString& account, QByteArray* data) const override;
    int update(const QString& service, const QString& account, const QByteArray& data,
               const QString& accessibility) override;
    int remove(const QString& service, const QString& account) override;

    // Every call answers `status` until cleared with errSecSuccess.
    void setForcedStatus(int status) { forcedStatus_ = status; }
    // Reads only answer `status` (a locked keychain) until cleared with errSecSuccess.
    void setReadStatus(int status) { readStatus_ = status; }
    // The item's accessibility, when there is the item.
    std::optional<QString> accessibility(const QString& service, const QString& account) const;

    struct ListedItem {
        QString service;
        QString account;
        QByteArray data;
        QString accessibility;
    };
    // Every item, by service and account.
    std::vector<ListedItem> items() const;

  protected:
    struct Item {
        QByteArray data;
        QString accessibility;
    };
    std::map<std::pair<QString, QString>, Item> items_;
    int forcedStatus_ = errSecSuccess;
    int readStatus_ = errSecSuccess;
};

// Items kept in a JSON file of mode 0600, rewritten atomically on every change. A file that
// cannot be read (damaged, unreadable, larger than any keychain) is moved aside under a free
// name and the keychain starts empty; when it cannot be moved, it is kept as it is and every
// change is refused (errSecIO) rather than written over it. Either way it is logged at once and
// kept in `setAsideProblem()` for the program to record. A change the file cannot take (larger
// than its reader takes back, or not written) is refused with errSecIO and the file keeps what
// it held; each such refusal is logged and told to whoever asked to hear of them.
class FileKeychain final : public InMemoryKeychain {
  public:
    // Far more than a keychain of a few items ever holds; a change that would pass it is refused.
    static constexpr qint64 kMaxFileBytes = 4 * kMebibyte;

    explicit FileKeychain(QString path);
    // The program's own keychain file: <preferences>/keychain.json.
    static QString defaultPath(const Locations& locations) {
        return locations.preferences + QStringLiteral("/keychain.json");
    }

    int add(const QString& service, const QString& account, const QByteArray& data,
            const QString& accessibility) override;
    int update(const QString& service, const QString& account, const QByteArray& data,
               const QString& accessibility) override;
    int remove(const QString& service, const QString& account) override;

    const QString& path() const { return path_; }
    // `failed` hears why each refused change was not saved, on the thread that made the change.
    void reportWriteFailuresTo(std::function<void(const QString& error)> failed) { failed_ = std::move(failed); }
    // What was wrong with the file found at start, and where it went (empty when nothing was).
    const QString& setAsideProblem() const { return setAsideProblem_; }

  private:
    void load();
    void setAside(const QString& problem);
    bool save();
    bool saveFailed(const QString& error);
    // Keeps the change when the file took it, else puts `previous` back: the change's status.
    int saved(int status, const std::pair<QString, QString>& key, const std::optional<Item>& previous);

    QString path_;
    QString setAsideProblem_;
    bool writable_ = true;
    std::function<void(const QString& error)> failed_;
};

} // namespace nimbrel
