#pragma once

#include <QByteArray>

#include <functional>
#include <optional>

namespace nimbrel {

// The largest account picture kept: the square PNG the settings screen makes of a chosen one.
inline constexpr int kAccountPictureSide = 256;

// What a picture from the cloud becomes before it is kept: the bytes themselves when they are
// a PNG of at most kAccountPictureSide pixels a side, else the picture scaled to that PNG; none
// for bytes that are no image. Decoding needs the screens' image library, so the program's
// screens install it (process-wide); it runs off the main thread.
using AccountPictureScaler = std::function<std::optional<QByteArray>(const QByteArray& bytes)>;
void setAccountPictureScaler(AccountPictureScaler scaler);
AccountPictureScaler accountPictureScaler();

// Whether `bytes` begin as a PNG whose header gives both sides at most `side` pixels: what is
// kept of a cloud picture where no scaler is installed.
bool isPngWithin(const QByteArray& bytes, int side);

} // namespace nimbrel
