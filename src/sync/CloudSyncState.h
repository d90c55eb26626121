#pragma once

#include <QString>

namespace nimbrel {

// What the sync manager is doing, as the main menu shows it.
struct NimbrelCloudSyncState {
    enum class Kind { failed, idle, syncing, offline, disabled };

    Kind kind = Kind::idle;
    QString errorMessage; // only for `failed`: the error's localized description

    static NimbrelCloudSyncState failed(QString message) { return {Kind::failed, std::move(message)}; }
    static NimbrelCloudSyncState idle() { return {Kind::idle, {}}; }
    static NimbrelCloudSyncState syncing() { return {Kind::syncing, {}}; }
    static NimbrelCloudSyncState offline() { return {Kind::offline, {}}; }
    static NimbrelCloudSyncState disabled() { return {Kind::disabled, {}}; }

    bool isSyncing() const { return kind == Kind::syncing; }

    friend bool operator==(const NimbrelCloudSyncState& a, const NimbrelCloudSyncState& b) {
        return a.kind == b.kind && (a.kind != Kind::failed || a.errorMessage == b.errorMessage);
    }
};

} // namespace nimbrel
