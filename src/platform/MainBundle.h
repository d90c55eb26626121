#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace nimbrel {

// The program's own bundle: its identifier and the values of its information property list.
class MainBundle {
  public:
    virtual ~MainBundle() = default;
    virtual std::optional<QString> bundleIdentifier() const = 0;
    // The value under `key` (a text, a number, a list, ...); invalid when absent.
    virtual QVariant infoValue(const QString& key) const = 0;
};

// A bundle given as values (the program on this machine, tests).
class FixedMainBundle final : public MainBundle {
  public:
    FixedMainBundle(std::optional<QString> identifier, QVariantMap info = {})
        : identifier_(std::move(identifier)), info_(std::move(info)) {}
    std::optional<QString> bundleIdentifier() const override { return identifier_; }
    QVariant infoValue(const QString& key) const override { return info_.value(key); }
    void setInfoValue(const QString& key, const QVariant& value) { info_.insert(key, value); }

  private:
    std::optional<QString> identifier_;
    QVariantMap info_;
};

} // namespace nimbrel
