#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace nimbrel {

// Where the program keeps its own data on this machine (real paths).
struct Locations {
    QString home;               // the user's home folder
    QString applicationSupport; // Application Support; the program's folder is <this>/Nimbrel
    QString documents;
    QString preferences;      // where the defaults file lives
    QString privateTemporary; // mode 0700, owned by the user; never the shared /tmp itself

    QString nimbrelSupportFolder() const { return applicationSupport + QStringLiteral("/Nimbrel"); }

    // $XDG_DATA_HOME/Nimbrel, $XDG_CONFIG_HOME/Nimbrel, ... with the usual fallbacks.
    static Locations forThisMachine();
    // Everything under `root` (a fresh test folder).
    static Locations underRoot(const QString& root);
};

// Creates (if needed) a folder of mode 0700 owned by the user and checks both.
// Returns the path, or nullopt when it cannot be made safe.
std::optional<QString> ensurePrivateFolder(const QString& path);

struct FileEntry {
    QString path;
    QString name;
    bool isDirectory = false;
    bool isSymlink = false;
    bool isHidden = false;
};

// The file system as the program sees it. Paths are the Mac's paths ("/Applications/Safari.app",
// "~/Documents"); an implementation maps them to real files. On this machine the Mac's disk is
// a folder of the simulated Mac (or a test's tree); the program's own data use `Locations`.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual QString homeDirectory() const = 0;
    // "~" and "~/x" become the home folder; anything else is returned unchanged.
    QString expandTilde(const QString& path) const;

    virtual bool exists(const QString& path) const = 0;
    virtual bool isDirectory(const QString& path) const = 0;
    virtual bool isSymlink(const QString& path) const = 0;
    // The whole file when it holds at most `maxBytes`; none when it is missing, no file, unreadable
    // or larger.
    virtual std::optional<QByteArray> readFile(const QString& path, qint64 maxBytes) const = 0;
    // Whole-file atomic write with a unique temporary name beside the target.
    virtual bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr) = 0;
    virtual bool createDirectory(const QString& path) = 0;
    virtual bool removeFile(const QString& path) = 0;
    // Immediate children sorted by name, without following links; `skipHidden` leaves out
    // names starting with ".".
    virtual std::vector<FileEntry> list(const QString& directory, bool skipHidden = true) const = 0;
    // Every entry below `directory`, depth first, parents before children. Descends only into
    // real folders (never through a link). `visit` returns false to stop the whole walk;
    // `descend` (when given) says whether to enter a folder.
    void walk(const QString& directory, const std::function<bool(const FileEntry&)>& visit, bool skipHidden = true,
              const std::function<bool(const FileEntry&)>& descend = {}) const;
    // The real path on this machine behind a Mac path (for the program's own use only).
    virtual QString realPath(const QString& path) const = 0;
};

// Real files under a root folder: the Mac path "/a/b" is "<root>/a/b". An empty root is
// this machine's own file system. The home folder is a Mac path too.
class LocalFileSystem final : public FileSystem {
  public:
    explicit LocalFileSystem(QString root = {}, QString home = {});

    QString homeDirectory() const override { return home_; }
    bool exists(const QString& path) const override;
    bool isDirectory(const QString& path) const override;
    bool isSymlink(const QString& path) const override;
    std::optional<QByteArray> readFile(const QString& path, qint64 maxBytes) const override;
    bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr) override;
    bool createDirectory(const QString& path) override;
    bool removeFile(const QString& path) override;
    std::vector<FileEntry> list(const QString& directory, bool skipHidden = true) const override;
    QString realPath(const QString& path) const override;

  private:
    QString root_;
    QString home_;
};

// A whole file read with a bound: a file the user or another program can change may be huge,
// endless (a link to /dev/zero) or a pipe, and is never trusted to fit in memory.
struct BoundedRead {
    enum class Status {
        read,
        missing,  // nothing at the path
        tooLarge, // more than the bound: only the bound and one byte were read
        failed,   // a folder, no permission, a pipe with no writer or nothing waiting, an input error
    };
    Status status = Status::missing;
    QByteArray bytes; // when read
    QString error;    // why, when tooLarge or failed
};
// Reads the real path's whole content when it holds at most `maxBytes`, whatever its size says
// (a device or a growing file may say anything). Never waits for a pipe. A pipe that ends before
// its first byte has no writer: it is not an empty file, which a store would take as its own
// and write over.
BoundedRead readFileWithin(const QString& realPath, qint64 maxBytes);
constexpr qint64 kMebibyte = 1024 * 1024;

// An icon's picture is small: a larger file, a device or a folder is never read as one.
inline constexpr qint64 kMaxIconFileBytes = 16 * kMebibyte;
// A file: URL of the picture at the real path when a file of an icon's size is there, else empty.
QString iconFileURL(const QString& realPath);

// One state of a file: any write to it, or its replacement, changes the stamp.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    qint64 size = 0;
    qint64 modifiedNanoseconds = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
// The stamp of the regular file at the path, or of an open one.
std::optional<FileStamp> fileStamp(const QString& realPath);
std::optional<FileStamp> openFileStamp(int fd);

// Atomic whole-file write on a real path: a uniquely named temporary file in the same
// folder, flushed to disk, then renamed over the target. A crash before the rename keeps the
// old file. Missing parent folders are created. `permissions` (e.g. 0600) sets the new file's
// mode; by default an existing file keeps its mode and a new one gets 0644. `written` takes the
// stamp of the file this write put in place, whatever is at the path by the time it returns.
bool writeFileAtomically(const QString& realPath, const QByteArray& data, QString* error = nullptr,
                         int permissions = -1, FileStamp* written = nullptr);
// writeFileAtomically for a file that is read with readFileWithin(`maxBytes`): a content larger
// than that is refused with an error saying so, and the old file stays as it was, since what is
// written must be read back.
bool writeFileWithin(const QString& realPath, const QByteArray& data, qint64 maxBytes, QString* error = nullptr,
                     int permissions = -1);
// For crash tests: called with the temporary file's path after it is written and flushed,
// just before the rename. Returns the previous hook.
using AtomicWriteHook = std::function<void(const QString& temporaryPath)>;
AtomicWriteHook setAtomicWriteHookForTesting(AtomicWriteHook hook);
// For fault tests and scenarios: called with the target's path before anything is written; an
// answer makes that write fail with it as the error, leaving the old file. Returns the previous one.
using AtomicWriteFault = std::function<std::optional<QString>(const QString& realPath)>;
AtomicWriteFault setAtomicWriteFaultForTesting(AtomicWriteFault fault);
// That fault's answer for a file, for writers that change a file in place: they fail alike.
std::optional<QString> injectedWriteFault(const QString& realPath);
// Removes the temporary files that interrupted atomic writes of this file left beside it (a
// crash between creating one and renaming it). Only for the file's owner, before it writes the
// file: no write of it may be on its way. Answers how many went.
int removeStaleTemporaries(const QString& realPath);
// Moves an unreadable file aside under a new unique name in the same folder
// ("<name>.<reason>-<UTC time>[-n]"), never replacing another file; returns the new path.
std::optional<QString> moveAside(const QString& realPath, const QString& reason);
// For fault tests: called with the file's path before it is moved aside; true makes that move
// fail, leaving the file where it is. Returns the previous one.
using MoveAsideFault = std::function<bool(const QString& realPath)>;
MoveAsideFault setMoveAsideFaultForTesting(MoveAsideFault fault);
// Keeps a copy under such a name and leaves the file where it is (a hard link where the file
// system has them, so a later atomic replace of the file leaves the copy as it was).
std::optional<QString> copyAside(const QString& realPath, const QString& reason);
// Keeps a file and its companions ("<realPath><suffix>" for each suffix that exists) as copyAside
// does, under one new name, each companion's with its suffix. The companions get theirs first: the
// file's new name never stands without them, even after a crash; a companion's kept name that a
// crash left without its file's is dropped once the file is kept whole. The fault above fails it too.
std::optional<QString> keepAsideWith(const QString& realPath, const QStringList& companionSuffixes,
                                     const QString& reason);
// Whether a name stands at `path`: a file, folder or link (followed or not, even dangling).
bool nameExists(const QString& path);
// Drops a name (unlink); true when it is gone, false with errno set when it stays.
bool dropName(const QString& path);
// For fault and kill tests: called before each name a keep-aside gives (by a link, or by a copy
// where links fail) and before each name dropName drops, with that name; an errno answer makes
// that step fail with it. Returns the previous one.
enum class NameStep { link, copy, drop };
using NameStepFault = std::function<int(NameStep step, const QString& name)>;
NameStepFault setNameStepFaultForTesting(NameStepFault fault);

} // namespace nimbrel
