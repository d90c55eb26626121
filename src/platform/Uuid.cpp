#include "platform/Uuid.h"

#include <QHashFunctions>

namespace nimbrel {

Uuid Uuid::random() { return Uuid(QUuid::createUuid()); }

std::optional<Uuid> Uuid::parse(const QString& text) {
    if (text.size() != 36) return std::nullopt;
    for (int i = 0; i < 36; ++i) {
        const QChar c = text[i];
        const bool hyphenPlace = (i == 8 || i == 13 || i == 18 || i == 23);
        if (hyphenPlace ? c != QLatin1Char('-') : !std::isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() > 127)
            return std::nullopt;
    }
    const QUuid value = QUuid::fromString(text);
    if (value.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000")) return std::nullopt;
    return Uuid(value);
}

QString Uuid::toString() const { return value_.toString(QUuid::WithoutBraces).toUpper(); }

size_t qHash(const Uuid& uuid, size_t seed) noexcept { return ::qHash(uuid.qUuid(), seed); }

} // namespace nimbrel
