#pragma once

#include "platform/Accessibility.h"
#include "platform/simulated/SimulatedMac.h"

#include <map>
#include <tuple>

namespace nimbrel::sim {

// The Accessibility interface over the simulated Mac: applications, their windows and
// title-bar buttons, and the Dock's list of tiles. Writes and actions take effect and
// are recorded; reads are not. Without trust every call answers apiDisabled.
class SimAccessibility final : public Accessibility {
  public:
    explicit SimAccessibility(SimulatedMac& mac) : mac_(mac) {}

    AXElement systemWideElement() override;
    AXElement applicationElement(int pid) override;
    AXError elementAtPosition(const AXElement& root, float x, float y, AXElement* element) override;
    AXError pid(const AXElement& element, int* pid) override;
    AXError copyAttributeNames(const AXElement& element, QStringList* names) override;
    AXError copyAttributeValue(const AXElement& element, const QString& attribute, AXValue* value) override;
    AXError isAttributeSettable(const AXElement& element, const QString& attribute, bool* settable) override;
    AXError setAttributeValue(const AXElement& element, const QString& attribute, const AXValue& value) override;
    AXError performAction(const AXElement& element, const QString& action) override;
    bool isProcessTrusted() const override { return mac_.isTrusted(); }
    bool isProcessTrustedWithOptions(bool prompt) override;

    // Handles tests use to reach into the model.
    AXElement windowElement(int pid, std::uint64_t windowId);
    AXElement dockItemElement(const DockTile& tile);
    // "Mail \"Inbox\"", "Dock item \"Safari\"", ... as the transcript names elements.
    QString describe(const AXElement& element);

  private:
    enum class Kind { systemWide, application, window, button, dockList, dockItem };
    struct Key {
        Kind kind = Kind::systemWide;
        int pid = 0;
        std::uint64_t window = 0;
        QString part; // button subrole, or the tile's identity
        auto tie() const { return std::tie(kind, pid, window, part); }
        bool operator<(const Key& o) const { return tie() < o.tie(); }
    };
    struct Resolved {
        Key key;
        App* app = nullptr;
        Window* window = nullptr;
        std::optional<DockTile> tile;
    };

    AXElement element(const Key& key);
    std::optional<Resolved> resolve(const AXElement& element);
    static QString tileIdentity(const DockTile& tile);
    static bool hasTileIdentity(const DockTile& tile, QStringView identity);
    QStringList attributeNames(const Resolved& r) const;
    AXError read(const Resolved& r, const QString& attribute, AXValue* value);
    AXError write(Resolved& r, const QString& attribute, const AXValue& value);
    AXError act(Resolved& r, const QString& action);
    AXElement hitTest(int onlyPid, Point axPoint);

    SimulatedMac& mac_;
    std::map<Key, std::uint64_t> ids_;
    std::map<std::uint64_t, Key> keys_;
    std::uint64_t nextId_ = 1;
};

} // namespace nimbrel::sim
