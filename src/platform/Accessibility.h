#pragma once

#include "platform/Geometry.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace nimbrel {

// The error numbers of the Accessibility interface.
enum class AXError : int {
    success = 0,
    failure = -25200,
    illegalArgument = -25201,
    invalidUIElement = -25202,
    invalidUIElementObserver = -25203,
    cannotComplete = -25204,
    attributeUnsupported = -25205,
    actionUnsupported = -25206,
    notificationUnsupported = -25207,
    notImplemented = -25208,
    apiDisabled = -25211,
    noValue = -25212,
};
inline int code(AXError e) {
    return static_cast<int>(e);
}

// A handle on a user-interface element of some application. Copyable and comparable;
// the default value is no element. Two handles are equal when they name the same element.
class AXElement {
  public:
    AXElement() = default;
    explicit AXElement(std::uint64_t id) : id_(id) {}
    bool isNull() const { return id_ == 0; }
    explicit operator bool() const { return id_ != 0; }
    std::uint64_t id() const { return id_; }
    friend bool operator==(const AXElement&, const AXElement&) = default;
    friend auto operator<=>(const AXElement&, const AXElement&) = default;

  private:
    std::uint64_t id_ = 0;
};

// A URL value (an attribute such as "AXURL"); "AXDocument" is plain text.
struct AXUrl {
    QString text;
    friend bool operator==(const AXUrl&, const AXUrl&) = default;
};

// An attribute's value.
class AXValue {
  public:
    using Storage = std::variant<std::monostate, bool, std::int64_t, double, QString, Point, Size, Rect, AXElement,
                                 std::vector<AXElement>, AXUrl>;

    AXValue() = default;
    AXValue(bool v) : v_(v) {}
    AXValue(int v) : v_(std::int64_t(v)) {}
    AXValue(std::int64_t v) : v_(v) {}
    AXValue(double v) : v_(v) {}
    AXValue(const QString& v) : v_(v) {}
    AXValue(const char* v) : v_(QString::fromUtf8(v)) {}
    AXValue(Point v) : v_(v) {}
    AXValue(Size v) : v_(v) {}
    AXValue(const Rect& v) : v_(v) {}
    AXValue(AXElement v) : v_(v) {}
    AXValue(std::vector<AXElement> v) : v_(std::move(v)) {}
    AXValue(AXUrl v) : v_(std::move(v)) {}

    bool isNone() const { return std::holds_alternative<std::monostate>(v_); }
    template <typename T> bool holds() const { return std::holds_alternative<T>(v_); }
    template <typename T> std::optional<T> as() const {
        if (auto p = std::get_if<T>(&v_)) return *p;
        return std::nullopt;
    }
    std::optional<bool> toBool() const { return as<bool>(); }
    std::optional<QString> toString() const { return as<QString>(); }
    std::optional<Point> toPoint() const { return as<Point>(); }
    std::optional<Size> toSize() const { return as<Size>(); }
    std::optional<AXElement> toElement() const { return as<AXElement>(); }
    std::optional<std::vector<AXElement>> toElements() const { return as<std::vector<AXElement>>(); }
    const Storage& storage() const { return v_; }
    // A short text form for logs and transcripts ("true", "{10, 20}", "\"Inbox\"", "<element 12>").
    QString describe() const;

    friend bool operator==(const AXValue&, const AXValue&) = default;

  private:
    Storage v_;
};

// Other applications' user interface, reached through the Accessibility interface.
// Main thread only. Coordinates are Accessibility coordinates (top-left of the primary
// screen, y downwards).
class Accessibility {
  public:
    virtual ~Accessibility() = default;

    virtual AXElement systemWideElement() = 0;
    virtual AXElement applicationElement(int pid) = 0;
    // The deepest element at (x, y) under `root` (the system-wide element or an application).
    virtual AXError elementAtPosition(const AXElement& root, float x, float y, AXElement* element) = 0;
    virtual AXError pid(const AXElement& element, int* pid) = 0;

    virtual AXError copyAttributeNames(const AXElement& element, QStringList* names) = 0;
    virtual AXError copyAttributeValue(const AXElement& element, const QString& attribute, AXValue* value) = 0;
    virtual AXError isAttributeSettable(const AXElement& element, const QString& attribute, bool* settable) = 0;
    virtual AXError setAttributeValue(const AXElement& element, const QString& attribute, const AXValue& value) = 0;
    virtual AXError performAction(const AXElement& element, const QString& action) = 0;

    // Whether this program may use the interface.
    virtual bool isProcessTrusted() const = 0;
    // The same, and with `prompt` asks the system to show its permission prompt when not trusted.
    virtual bool isProcessTrustedWithOptions(bool prompt) = 0;

    // Convenience: the value, or none when the read fails.
    AXValue attribute(const AXElement& element, const QString& name) {
        AXValue v;
        return copyAttributeValue(element, name, &v) == AXError::success ? v : AXValue{};
    }
};

} // namespace nimbrel
