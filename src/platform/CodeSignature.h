#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace nimbrel {

// The program's own code signature.
class CodeSignature {
  public:
    virtual ~CodeSignature() = default;
    // The entitlement's value as signed (a text, a list of texts, a flag); invalid when absent.
    virtual QVariant valueForEntitlement(const QString& key) const = 0;
};

// Entitlements given as a map (this machine's build, tests).
class FixedCodeSignature final : public CodeSignature {
  public:
    explicit FixedCodeSignature(QVariantMap entitlements = {}) : entitlements_(std::move(entitlements)) {}
    QVariant valueForEntitlement(const QString& key) const override { return entitlements_.value(key); }
    void setEntitlements(QVariantMap e) { entitlements_ = std::move(e); }

  private:
    QVariantMap entitlements_;
};

} // namespace nimbrel
