#pragma once

#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

namespace nimbrel {

// A UUID whose text form is the canonical 36 characters with upper-case hex digits.
class Uuid {
  public:
    Uuid() = default; // the nil UUID
    explicit Uuid(QUuid value) : value_(value) {}

    static Uuid random();
    // Accepts either case; rejects anything but the 36-character hyphenated form.
    static std::optional<Uuid> parse(const QString& text);

    QString toString() const; // "E621E1F8-C36C-495A-93FC-0C247A3E6E5F"
    bool isNull() const { return value_.isNull(); }
    const QUuid& qUuid() const { return value_; }

    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend bool operator<(const Uuid& a, const Uuid& b) { return a.value_ < b.value_; }

  private:
    QUuid value_;
};

size_t qHash(const Uuid& uuid, size_t seed = 0) noexcept;

// Where Uuid::random() takes its ids: the system's generator, unless a test installs a source of
// its own, so that a seeded run draws the same ids each time. Returns the previous source.
using UuidSource = std::function<Uuid()>;
UuidSource setUuidSourceForTesting(UuidSource source);
// Random (version 4) ids drawn from `seed` one after another; any thread may draw.
UuidSource seededUuidSource(quint64 seed);

} // namespace nimbrel

template <> struct std::hash<nimbrel::Uuid> {
    size_t operator()(const nimbrel::Uuid& u) const noexcept { return nimbrel::qHash(u); }
};
