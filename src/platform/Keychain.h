#pragma once

#include "platform/Files.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <utility>

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

// Generic password items, found by service and account.
class Keychain {
  public:
    virtual ~Keychain() = default;

    virtual int add(const QString& service, const QString& account, const QByteArray& data) = 0;
    virtual int copyMatching(const QString& service, const QString& account, QByteArray* data) const = 0;
    virtual int update(const QString& service, const QString& account, const QByteArray& data) = 0;
    virtual int remove(const QString& service, const QString& account) = 0;
};

// Items in memory only (tests, the scenario runner). A status can be forced for the next calls.
class InMemoryKeychain : public Keychain {
  public:
    int add(const QString& service, const QString& account, const QByteArray& data) override;
    int copyMatching(const QString& service, const QString& account, QByteArray* data) const override;
    int update(const QString& service, const QString& account, const QByteArray& data) override;
    int remove(const QString& service, const QString& account) override;

    // Every call answers `status` until cleared with errSecSuccess.
    void setForcedStatus(int status) { forcedStatus_ = status; }

  protected:
    std::map<std::pair<QString, QString>, QByteArray> items_;
    int forcedStatus_ = errSecSuccess;
};

// Items kept in a JSON file of mode 0600, rewritten atomically on every change.
// An unreadable file is moved aside and the keychain starts empty.
class FileKeychain final : public InMemoryKeychain {
  public:
    explicit FileKeychain(QString path);
    // The program's own keychain file: <preferences>/keychain.json.
    static QString defaultPath(const Locations& locations) {
        return locations.preferences + QStringLiteral("/keychain.json");
    }

    int add(const QString& service, const QString& account, const QByteArray& data) override;
    int update(const QString& service, const QString& account, const QByteArray& data) override;
    int remove(const QString& service, const QString& account) override;

    const QString& path() const { return path_; }

  private:
    void load();
    bool save();

    QString path_;
};

} // namespace nimbrel
