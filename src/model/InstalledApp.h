#pragma once

#include <QHash>
#include <QString>

#include <functional>
#include <optional>

namespace nimbrel {

// The workspace's icon of a file, at the size the program asked for (points).
struct AppIcon {
    QString imagePath; // the image file on this machine; empty when the workspace had none
    double width = 0;
    double height = 0;

    friend bool operator==(const AppIcon&, const AppIcon&) = default;
};

// One installed application, as the scan found it.
struct InstalledApp {
    QString id;   // the bundle identifier, else the bundle's path: the application's app key
    QString name; // display name
    std::optional<QString> bundleIdentifier;
    QString url; // the ".app" bundle's path
    AppIcon icon;

    friend bool operator==(const InstalledApp&, const InstalledApp&) = default;
};

// How the blacklist screen draws an icon: made once with these settings; each update only
// swaps the image; it sets no size of its own.
class AppIconImage {
  public:
    enum class Scaling { proportionallyUpOrDown };

    static constexpr Scaling kScaling = Scaling::proportionallyUpOrDown;
    static constexpr bool kWantsLayer = true;
    static constexpr double kCornerRadius = 6;
    static constexpr bool kClipsToBounds = true;

    explicit AppIconImage(AppIcon icon) : image_(std::move(icon)) {}
    void update(const AppIcon& icon) { image_ = icon; }
    const AppIcon& image() const { return image_; }

  private:
    AppIcon image_;
};

} // namespace nimbrel

template <> struct std::hash<nimbrel::InstalledApp> {
    size_t operator()(const nimbrel::InstalledApp& app) const noexcept {
        size_t h = qHash(app.id);
        auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
        mix(qHash(app.name));
        mix(qHash(app.bundleIdentifier.value_or(QString())));
        mix(app.bundleIdentifier.has_value());
        mix(qHash(app.url));
        mix(qHash(app.icon.imagePath));
        mix(std::hash<double>{}(app.icon.width));
        mix(std::hash<double>{}(app.icon.height));
        return h;
    }
};
