#include "platform/Uuid.h"

#include <QHashFunctions>

#include <array>

namespace nimbrel {

Uuid Uuid::random() {
    return Uuid(QUuid::createUuid());
}

namespace {
int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}
} // namespace

// Read in place: rule lists hold many ids, and going through QUuid's own parser costs
// a temporary string for each.
std::optional<Uuid> Uuid::parse(const QString& text) {
    if (text.size() != 36) return std::nullopt;
    std::array<uchar, 16> bytes{};
    size_t nibble = 0;
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
    for (qsizetype i = 0; i < 36; ++i) {
        const char16_t c = chars[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-') return std::nullopt;
            continue;
        }
        const int v = hexValue(c);
        if (v < 0) return std::nullopt;
        bytes[nibble / 2] = uchar(bytes[nibble / 2] << 4 | v);
        ++nibble;
    }
    const auto word = [&](size_t at) { return ushort(bytes[at] << 8 | bytes[at + 1]); };
    const uint l = uint(bytes[0]) << 24 | uint(bytes[1]) << 16 | uint(bytes[2]) << 8 | bytes[3];
    return Uuid(QUuid(l, word(4), word(6), bytes[8], bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14],
                      bytes[15]));
}

// Written in place, upper-case: ids are turned into text for every record and tombstone a pull
// compares, and QUuid's text then an upper-cased copy cost two strings each.
QString Uuid::toString() const {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    const QUuid& u = value_;
    const std::array<uchar, 16> bytes{uchar(u.data1 >> 24), uchar(u.data1 >> 16), uchar(u.data1 >> 8), uchar(u.data1),
                                      uchar(u.data2 >> 8),  uchar(u.data2),       uchar(u.data3 >> 8), uchar(u.data3),
                                      u.data4[0],           u.data4[1],           u.data4[2],          u.data4[3],
                                      u.data4[4],           u.data4[5],           u.data4[6],          u.data4[7]};
    QString text(36, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) *out++ = u'-';
        *out++ = kDigits[bytes[i] >> 4];
        *out++ = kDigits[bytes[i] & 0xF];
    }
    return text;
}

size_t qHash(const Uuid& uuid, size_t seed) noexcept {
    return ::qHash(uuid.qUuid(), seed);
}

} // namespace nimbrel
