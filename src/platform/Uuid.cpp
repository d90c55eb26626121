#include "platform/Uuid.h"

#include <QHashFunctions>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <random>

namespace nimbrel {

namespace {

// The program never installs a source: its ids cost no lock.
std::atomic<bool> sourceInstalled{false};
std::mutex sourceMutex;
UuidSource& installedSource() {
    static UuidSource source;
    return source;
}

} // namespace

Uuid Uuid::random() {
    if (!sourceInstalled.load(std::memory_order_acquire)) return Uuid(QUuid::createUuid());
    UuidSource source;
    {
        std::lock_guard lock(sourceMutex);
        source = installedSource();
    }
    return source ? source() : Uuid(QUuid::createUuid());
}

UuidSource setUuidSourceForTesting(UuidSource source) {
    std::lock_guard lock(sourceMutex);
    sourceInstalled.store(bool(source), std::memory_order_release);
    return std::exchange(installedSource(), std::move(source));
}

UuidSource seededUuidSource(quint64 seed) {
    struct Draws {
        std::mutex mutex;
        std::mt19937_64 random;
    };
    auto draws = std::make_shared<Draws>();
    draws->random.seed(seed);
    return [draws] {
        std::array<quint64, 2> words;
        {
            std::lock_guard lock(draws->mutex);
            words = {draws->random(), draws->random()};
        }
        QByteArray bytes(16, Qt::Uninitialized);
        for (int i = 0; i < 16; ++i)
            bytes[i] = char(words[size_t(i / 8)] >> (8 * (i % 8)));
        bytes[6] = char((bytes[6] & 0x0F) | 0x40); // version 4
        bytes[8] = char((bytes[8] & 0x3F) | 0x80); // the RFC 4122 variant
        return Uuid(QUuid::fromRfc4122(bytes));
    };
}

namespace {

// The value of each ASCII hex digit, -1 for any other character below 128.
constexpr std::array<signed char, 128> kHexValue = [] {
    std::array<signed char, 128> table{};
    table.fill(-1);
    for (int c = '0'; c <= '9'; ++c)
        table[size_t(c)] = static_cast<signed char>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c)
        table[size_t(c)] = static_cast<signed char>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c)
        table[size_t(c)] = static_cast<signed char>(c - 'A' + 10);
    return table;
}();

// Where each of the 32 digits stands in the 36-character form.
constexpr std::array<unsigned char, 32> kDigitAt = {0,  1,  2,  3,  4,  5,  6,  7,  9,  10, 11, 12, 14, 15, 16, 17,
                                                    19, 20, 21, 22, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35};

} // namespace

// Read in place, a byte at a time: rule lists hold many ids, a pull compares thousands, and
// going through QUuid's own parser costs a temporary string for each.
std::optional<Uuid> Uuid::parse(const QString& text) {
    if (text.size() != 36) return std::nullopt;
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
    if (chars[8] != u'-' || chars[13] != u'-' || chars[18] != u'-' || chars[23] != u'-') return std::nullopt;
    std::array<uchar, 16> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char16_t high = chars[kDigitAt[2 * i]];
        const char16_t low = chars[kDigitAt[2 * i + 1]];
        if (high >= 128 || low >= 128) return std::nullopt;
        const int h = kHexValue[high];
        const int l = kHexValue[low];
        if (h < 0 || l < 0) return std::nullopt;
        bytes[i] = uchar(h << 4 | l);
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
