#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace nimbrel {

struct Locations;

// The program's "Nimbrel" folder under Application Support (under the home folder when there
// is no Application Support), created with its parents when missing; a failure is ignored.
QString sessionsSupportFolder(const Locations& locations);

// One file of that folder that the sessions subsystem keeps: read whole (when it holds no more
// than its kind ever does), replaced atomically (never by more than it reads), and, when it
// cannot be read, kept aside under a unique name rather than written over.
class SupportFile {
  public:
    SupportFile(QString path, qint64 maxBytes) : path_(std::move(path)), maxBytes_(maxBytes) {}

    const QString& path() const { return path_; }
    bool exists() const;
    // The bytes; none when it cannot be read or is larger than its bound (`error` says why;
    // empty when it does not exist).
    std::optional<QByteArray> read(QString* error = nullptr) const;
    // Fails, leaving the file as it was, when `data` is larger than the file is read with.
    bool write(const QByteArray& data, QString* error = nullptr) const;
    // Removes what writes cut short by a crash left beside the file; only while none of its own is on the way.
    void removeStaleTemporaries() const;
    // True once the file is gone (also when there was none).
    bool remove() const;
    // Moves the file aside ("<name>.<reason>-<time>"); the new path, or none.
    std::optional<QString> moveAside(const QString& reason = QStringLiteral("unreadable")) const;
    // Keeps a copy aside and leaves the file in place; the copy's path, or none.
    std::optional<QString> copyAside() const;

  private:
    QString path_;
    qint64 maxBytes_;
};

// For fault tests: called with a support file's path before it is removed; true makes the
// removal fail, leaving the file. Returns the previous one.
using SupportFileRemoveFault = std::function<bool(const QString& path)>;
SupportFileRemoveFault setSupportFileRemoveFaultForTesting(SupportFileRemoveFault fault);

} // namespace nimbrel
