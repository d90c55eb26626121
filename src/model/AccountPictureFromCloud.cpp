#include "model/AccountPictureFromCloud.h"

#include <mutex>

namespace nimbrel {

namespace {

struct ScalerSlot {
    std::mutex mutex;
    AccountPictureScaler scaler;
};

ScalerSlot& slot() {
    static ScalerSlot s;
    return s;
}

quint32 bigEndian32(const QByteArray& bytes, qsizetype at) {
    quint32 value = 0;
    for (qsizetype i = 0; i < 4; ++i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

} // namespace

void setAccountPictureScaler(AccountPictureScaler scaler) {
    std::lock_guard lock(slot().mutex);
    slot().scaler = std::move(scaler);
}

AccountPictureScaler accountPictureScaler() {
    std::lock_guard lock(slot().mutex);
    return slot().scaler;
}

bool isPngWithin(const QByteArray& bytes, int side) {
    // The signature, then the header chunk: its length (13), "IHDR", width, height.
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (bytes.size() < 24 || !bytes.startsWith(signature) || bytes.mid(12, 4) != "IHDR") return false;
    const quint32 width = bigEndian32(bytes, 16);
    const quint32 height = bigEndian32(bytes, 20);
    return width > 0 && height > 0 && width <= quint32(side) && height <= quint32(side);
}

} // namespace nimbrel
