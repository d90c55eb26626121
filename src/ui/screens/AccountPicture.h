#pragma once

#include "model/AccountPictureFromCloud.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace nimbrel {

class FileSystem;
class ProcessRunner;

// The login account's picture as the directory service keeps it. Each lookup waits for
// "/usr/bin/dscl", so it runs off the main thread. Every failure ends in no picture.
class AccountPictureLookup {
  public:
    static constexpr int kPictureSide = kAccountPictureSide; // pixels of a chosen picture, square
    // A photo straight from a camera fits; a larger file is not read as a picture.
    static constexpr qint64 kMaxPictureFileBytes = 64 * 1024 * 1024;

    AccountPictureLookup(ProcessRunner& processes, const FileSystem& files) : processes_(processes), files_(files) {}

    // The "Picture" file when it names an image, else the "JPEGPhoto" bytes; none for a
    // blank login name (no command runs then).
    std::optional<QImage> systemAccountPicture(const QString& loginName) const;
    std::optional<QImage> systemAccountJPEGPhoto(const QString& loginName) const;
    // The command's standard output for one attribute, "" on any failure.
    QString readDirectoryServiceAttribute(const QString& loginName, const QString& attribute) const;

  private:
    ProcessRunner& processes_;
    const FileSystem& files_;
};

// The bytes of a "JPEGPhoto" reading: hex digits, with the attribute's label and all white
// space dropped, two to a byte; none for an empty or odd count or a pair that is not hex.
std::optional<QByteArray> jpegPhotoBytes(const QString& attributeText);

// The picture as the account button draws it: filling a circle of `side` pixels (proportions
// kept, the overflow cut off), transparent outside it.
QImage circularThumbnail(const QImage& image, int side);

// A chosen picture as the account keeps it: stretched to 256 x 256 and encoded as PNG.
std::optional<QByteArray> accountImageData(const QImage& image);

// A picture from the cloud as the account keeps it: the bytes themselves when they are a PNG
// that decodes and is no larger than 256 x 256, else the picture as accountImageData() makes
// it (decoded straight to that size); none for bytes that are no image. Any thread.
std::optional<QByteArray> keptAccountPicture(const QByteArray& bytes);
// Makes the settings store keep cloud pictures through keptAccountPicture().
void installAccountPictureScaler();

} // namespace nimbrel
