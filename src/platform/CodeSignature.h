#pragma once

#include <QString>
#include <QStringList>

namespace nimbrel {

// The running program's own code signature.
class CodeSignature {
public:
    virtual ~CodeSignature() = default;
    // The values of a list-of-texts entitlement; empty when it is absent or of another kind.
    virtual QStringList entitlementValues(const QString& key) const = 0;
};

} // namespace nimbrel
