#pragma once

#include <QString>

namespace nimbrel {

// The state of the user's cloud account for the program's container.
struct NimbrelCloudKitAccountStatus {
    enum class Kind { error, checking, available, noAccount, restricted, couldNotDetermine, temporarilyUnavailable };

    Kind kind = Kind::checking;
    QString errorMessage; // only for `error`

    static NimbrelCloudKitAccountStatus error(QString message) { return {Kind::error, std::move(message)}; }
    static NimbrelCloudKitAccountStatus checking() { return {Kind::checking, {}}; }
    static NimbrelCloudKitAccountStatus available() { return {Kind::available, {}}; }
    static NimbrelCloudKitAccountStatus noAccount() { return {Kind::noAccount, {}}; }
    static NimbrelCloudKitAccountStatus restricted() { return {Kind::restricted, {}}; }
    static NimbrelCloudKitAccountStatus couldNotDetermine() { return {Kind::couldNotDetermine, {}}; }
    static NimbrelCloudKitAccountStatus temporarilyUnavailable() { return {Kind::temporarilyUnavailable, {}}; }

    // The settings screen's text; an error's title leaves out its message.
    QString title() const;

    friend bool operator==(const NimbrelCloudKitAccountStatus& a, const NimbrelCloudKitAccountStatus& b) {
        return a.kind == b.kind && (a.kind != Kind::error || a.errorMessage == b.errorMessage);
    }
};

} // namespace nimbrel
