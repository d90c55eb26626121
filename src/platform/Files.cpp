#include "platform/Files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrel {

namespace {

QString absoluteEnvironmentPath(const char* variable) {
    const QString value = qEnvironmentVariable(variable);
    // The XDG rules ignore relative values.
    if (value.isEmpty() || !QDir::isAbsolutePath(value)) return {};
    return QDir::cleanPath(value);
}

QString systemError(const QString& what, int error) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error)));
}

QString sizeText(qint64 bytes) {
    if (bytes >= kMebibyte && bytes % kMebibyte == 0) return QStringLiteral("%1 MB").arg(bytes / kMebibyte);
    return QStringLiteral("%1 bytes").arg(bytes);
}

// Folders every user shares: a private folder must be below them, never one of them.
bool isSharedFolder(const QString& clean) {
    static const QStringList shared{QStringLiteral("/"), QStringLiteral("/tmp"), QStringLiteral("/var/tmp"),
                                    QStringLiteral("/dev/shm"), QStringLiteral("/run")};
    if (shared.contains(clean)) return true;
    const QString canonical = QFileInfo(clean).canonicalFilePath();
    if (!canonical.isEmpty() && shared.contains(canonical)) return true;
    const QString systemTemp = QDir::cleanPath(QDir::tempPath());
    return clean == systemTemp || (!canonical.isEmpty() && canonical == QFileInfo(systemTemp).canonicalFilePath());
}

QMutex& hookMutex() {
    static QMutex mutex;
    return mutex;
}
AtomicWriteHook& atomicWriteHook() {
    static AtomicWriteHook hook;
    return hook;
}
AtomicWriteFault& atomicWriteFault() {
    static AtomicWriteFault fault;
    return fault;
}
MoveAsideFault& moveAsideFault() {
    static MoveAsideFault fault;
    return fault;
}
NameStepFault& nameStepFault() {
    static NameStepFault fault;
    return fault;
}

// True, with the fault's answer in errno, when a test makes this step fail.
bool injectedNameFault(NameStep step, const QString& name) {
    NameStepFault fault;
    {
        QMutexLocker lock(&hookMutex());
        fault = nameStepFault();
    }
    const int error = fault ? fault(step, name) : 0;
    if (error != 0) errno = error;
    return error != 0;
}

bool writeAll(int fd, const QByteArray& data) {
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// "/a/./b/../c" -> "/a/c". Unlike QDir::cleanPath, ".." at the top is dropped rather
// than kept, so the result can be appended to a root without ever leaving it.
QString confinedPath(const QString& path) {
    QStringList kept;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) {
            if (!kept.isEmpty()) kept.removeLast();
            continue;
        }
        kept << part;
    }
    return QLatin1Char('/') + kept.join(QLatin1Char('/'));
}

QString safeReason(const QString& reason) {
    QString out;
    for (const QChar c : reason)
        out.append(c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ? c : QLatin1Char('_'));
    return out.isEmpty() ? QStringLiteral("aside") : out;
}

} // namespace

// --- Locations

Locations Locations::forThisMachine() {
    Locations l;
    l.home = QDir::cleanPath(QDir::homePath());

    const QString dataHome = absoluteEnvironmentPath("XDG_DATA_HOME");
    l.applicationSupport = dataHome.isEmpty() ? l.home + QStringLiteral("/.local/share") : dataHome;

    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    l.documents = documents.isEmpty() ? l.home + QStringLiteral("/Documents") : QDir::cleanPath(documents);

    const QString configHome = absoluteEnvironmentPath("XDG_CONFIG_HOME");
    l.preferences =
        (configHome.isEmpty() ? l.home + QStringLiteral("/.config") : configHome) + QStringLiteral("/Nimbrel");

    // The private temporary folder: under the session's runtime folder, else a per-user folder
    // in the system's temporary folder, else under the user's cache.
    std::optional<QString> temporary;
    const QString runtime = absoluteEnvironmentPath("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) temporary = ensurePrivateFolder(runtime + QStringLiteral("/Nimbrel"));
    if (!temporary)
        temporary = ensurePrivateFolder(QDir::cleanPath(QDir::tempPath()) +
                                        QStringLiteral("/nimbrel-%1").arg(static_cast<qulonglong>(::geteuid())));
    if (!temporary) {
        const QString cacheHome = absoluteEnvironmentPath("XDG_CACHE_HOME");
        temporary = ensurePrivateFolder((cacheHome.isEmpty() ? l.home + QStringLiteral("/.cache") : cacheHome) +
                                        QStringLiteral("/Nimbrel/tmp"));
    }
    l.privateTemporary = temporary.value_or(QString());
    return l;
}

Locations Locations::underRoot(const QString& root) {
    const QString base = QDir::cleanPath(QDir(root).absolutePath());
    Locations l;
    l.home = base + QStringLiteral("/home");
    l.applicationSupport = base + QStringLiteral("/data");
    l.documents = base + QStringLiteral("/home/Documents");
    l.preferences = base + QStringLiteral("/config/Nimbrel");
    l.privateTemporary = ensurePrivateFolder(base + QStringLiteral("/tmp")).value_or(QString());
    return l;
}

std::optional<QString> ensurePrivateFolder(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    if (isSharedFolder(clean)) return std::nullopt;

    const QString parent = QFileInfo(clean).path();
    if (!QDir().mkpath(parent)) return std::nullopt;
    const QByteArray native = QFile::encodeName(clean);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return std::nullopt;

    // lstat: a link (even to a good folder) is refused, as someone else may have planted it.
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0) return std::nullopt;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return std::nullopt;
    if ((st.st_mode & 07777) != 0700) {
        if (::chmod(native.constData(), 0700) != 0) return std::nullopt;
        if (::lstat(native.constData(), &st) != 0 || (st.st_mode & 07777) != 0700) return std::nullopt;
    }
    return clean;
}

// --- FileSystem

QString FileSystem::expandTilde(const QString& path) const {
    if (path == QLatin1String("~")) return homeDirectory();
    if (path.startsWith(QLatin1String("~/"))) return homeDirectory() + path.mid(1);
    return path;
}

void FileSystem::walk(const QString& directory, const std::function<bool(const FileEntry&)>& visit, bool skipHidden,
                      const std::function<bool(const FileEntry&)>& descend) const {
    // Explicit stack so that a deep tree cannot exhaust the call stack.
    std::vector<std::vector<FileEntry>> stack;
    stack.push_back(list(directory, skipHidden));
    std::vector<size_t> positions{0};
    while (!stack.empty()) {
        if (positions.back() >= stack.back().size()) {
            stack.pop_back();
            positions.pop_back();
            continue;
        }
        const FileEntry entry = stack.back()[positions.back()++];
        if (!visit(entry)) return;
        if (entry.isDirectory && !entry.isSymlink && (!descend || descend(entry))) {
            stack.push_back(list(entry.path, skipHidden));
            positions.push_back(0);
        }
    }
}

// --- LocalFileSystem

LocalFileSystem::LocalFileSystem(QString root, QString home) : root_(std::move(root)), home_(std::move(home)) {
    if (!root_.isEmpty()) root_ = QDir::cleanPath(QDir(root_).absolutePath());
    if (root_ == QLatin1String("/")) root_.clear();
    if (home_.isEmpty()) home_ = root_.isEmpty() ? QDir::cleanPath(QDir::homePath()) : QStringLiteral("/Users/user");
}

QString LocalFileSystem::realPath(const QString& path) const {
    const QString expanded = expandTilde(path);
    if (root_.isEmpty()) return expanded;
    const QString clean = confinedPath(expanded);
    return clean == QLatin1String("/") ? root_ : root_ + clean;
}

bool LocalFileSystem::exists(const QString& path) const {
    return QFileInfo::exists(realPath(path));
}

bool LocalFileSystem::isDirectory(const QString& path) const {
    return QFileInfo(realPath(path)).isDir();
}

bool LocalFileSystem::isSymlink(const QString& path) const {
    return QFileInfo(realPath(path)).isSymbolicLink();
}

std::optional<QByteArray> LocalFileSystem::readFile(const QString& path, qint64 maxBytes) const {
    const QString real = realPath(path);
    if (!QFileInfo(real).isFile()) return std::nullopt;
    BoundedRead read = readFileWithin(real, maxBytes);
    if (read.status != BoundedRead::Status::read) return std::nullopt;
    return std::move(read.bytes);
}

bool LocalFileSystem::writeFileAtomically(const QString& path, const QByteArray& data, QString* error) {
    return nimbrel::writeFileAtomically(realPath(path), data, error);
}

bool LocalFileSystem::createDirectory(const QString& path) {
    return QDir().mkpath(realPath(path));
}

bool LocalFileSystem::removeFile(const QString& path) {
    return ::remove(QFile::encodeName(realPath(path)).constData()) == 0;
}

std::vector<FileEntry> LocalFileSystem::list(const QString& directory, bool skipHidden) const {
    std::vector<FileEntry> out;
    QString macDirectory = QDir::cleanPath(expandTilde(directory));
    if (macDirectory.endsWith(QLatin1Char('/'))) macDirectory.chop(1);
    const QDir dir(realPath(directory));
    const QFileInfoList infos =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& info : infos) {
        FileEntry entry;
        entry.name = info.fileName();
        entry.isHidden = entry.name.startsWith(QLatin1Char('.'));
        if (skipHidden && entry.isHidden) continue;
        entry.path = macDirectory + QLatin1Char('/') + entry.name;
        entry.isSymlink = info.isSymbolicLink();
        entry.isDirectory = !entry.isSymlink && info.isDir();
        out.push_back(std::move(entry));
    }
    return out;
}

// --- bounded reads

QString iconFileURL(const QString& realPath) {
    const QFileInfo file(realPath);
    if (!file.isFile() || file.size() > kMaxIconFileBytes) return {};
    return QUrl::fromLocalFile(file.absoluteFilePath()).toString();
}

BoundedRead readFileWithin(const QString& realPath, qint64 maxBytes) {
    BoundedRead result;
    auto failed = [&result](const QString& error) {
        result.status = BoundedRead::Status::failed;
        result.error = error;
        return result;
    };
    auto tooLarge = [&result, maxBytes] {
        result.status = BoundedRead::Status::tooLarge;
        result.bytes.clear();
        result.error = QStringLiteral("the file is larger than %1").arg(sizeText(maxBytes));
        return result;
    };
    // Not blocking: opening a pipe with no writer, or reading one with nothing in it, must not wait.
    const int fd = ::open(QFile::encodeName(realPath).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return result; // nothing there (or no folder above it)
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return failed(QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISDIR(st.st_mode)) return failed(QString::fromLocal8Bit(std::strerror(EISDIR)));
    if (S_ISREG(st.st_mode) && st.st_size > maxBytes) return tooLarge();

    // One byte more than the bound tells a file that is larger from one that just fits.
    const qint64 limit = maxBytes + 1;
    constexpr qint64 kChunk = 64 * 1024;
    QByteArray bytes;
    qint64 filled = 0;
    if (S_ISREG(st.st_mode)) bytes.reserve(qsizetype(std::min<qint64>(st.st_size, maxBytes) + 1));
    while (filled < limit) {
        const qint64 room = std::min(kChunk, limit - filled);
        bytes.resize(qsizetype(filled + room));
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(room));
        if (n < 0) {
            if (errno == EINTR) continue;
            return failed(QString::fromLocal8Bit(std::strerror(errno)));
        }
        if (n == 0) break;
        filled += n;
    }
    if (filled == 0 && S_ISFIFO(st.st_mode)) return failed(QStringLiteral("a pipe with no writer"));
    if (filled > maxBytes) return tooLarge();
    bytes.truncate(qsizetype(filled));
    result.status = BoundedRead::Status::read;
    result.bytes = std::move(bytes);
    return result;
}

// --- atomic writes

AtomicWriteHook setAtomicWriteHookForTesting(AtomicWriteHook hook) {
    QMutexLocker lock(&hookMutex());
    return std::exchange(atomicWriteHook(), std::move(hook));
}

AtomicWriteFault setAtomicWriteFaultForTesting(AtomicWriteFault fault) {
    QMutexLocker lock(&hookMutex());
    return std::exchange(atomicWriteFault(), std::move(fault));
}

std::optional<QString> injectedWriteFault(const QString& realPath) {
    AtomicWriteFault fault;
    {
        QMutexLocker lock(&hookMutex());
        fault = atomicWriteFault();
    }
    return fault ? fault(realPath) : std::nullopt;
}

namespace {

FileStamp stampOf(const struct stat& st) {
    return {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

} // namespace

std::optional<FileStamp> fileStamp(const QString& realPath) {
    struct stat st {};
    if (::stat(QFile::encodeName(realPath).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return stampOf(st);
}

std::optional<FileStamp> openFileStamp(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return stampOf(st);
}

bool writeFileAtomically(const QString& realPath, const QByteArray& data, QString* error, int permissions,
                         FileStamp* written) {
    auto fail = [&](const QString& message) {
        if (error) *error = message;
        return false;
    };
    if (auto injected = injectedWriteFault(realPath)) return fail(*injected);
    const QFileInfo target(realPath);
    const QString folder = target.absolutePath();
    if (target.fileName().isEmpty()) return fail(QStringLiteral("no file name in %1").arg(realPath));
    if (!QDir().mkpath(folder)) return fail(QStringLiteral("cannot create folder %1").arg(folder));

    mode_t mode = 0644;
    struct stat existing {};
    if (permissions >= 0)
        mode = static_cast<mode_t>(permissions) & 07777;
    else if (::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &existing) == 0)
        mode = existing.st_mode & 07777;

    QByteArray temporary =
        QFile::encodeName(folder + QStringLiteral("/.") + target.fileName() + QStringLiteral(".tmp-XXXXXX"));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return fail(systemError(QStringLiteral("cannot create a temporary file in %1").arg(folder), errno));

    auto discard = [&](const QString& what) {
        const int saved = errno;
        ::close(fd);
        ::unlink(temporary.constData());
        return fail(systemError(what, saved));
    };
    if (::fchmod(fd, mode) != 0) return discard(QStringLiteral("cannot set the mode of the temporary file"));
    if (!writeAll(fd, data)) return discard(QStringLiteral("cannot write %1").arg(realPath));
    if (::fsync(fd) != 0) return discard(QStringLiteral("cannot flush %1").arg(realPath));
    // Nothing writes to it any more, so the rename leaves it as stamped now.
    const std::optional<FileStamp> stamp = openFileStamp(fd);
    if (written && !stamp) return discard(QStringLiteral("cannot read the state of %1").arg(realPath));
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(temporary.constData());
        return fail(systemError(QStringLiteral("cannot close %1").arg(realPath), saved));
    }

    AtomicWriteHook hook;
    {
        QMutexLocker lock(&hookMutex());
        hook = atomicWriteHook();
    }
    if (hook) hook(QFile::decodeName(temporary));

    if (::rename(temporary.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        const int saved = errno;
        ::unlink(temporary.constData());
        return fail(systemError(QStringLiteral("cannot replace %1").arg(realPath), saved));
    }
    syncFolder(folder);
    if (written) *written = *stamp;
    return true;
}

bool writeFileWithin(const QString& realPath, const QByteArray& data, qint64 maxBytes, QString* error,
                     int permissions) {
    if (data.size() > maxBytes) {
        if (error)
            *error = QStringLiteral("%1 would hold %2, more than the %3 that can be read back; it was not written")
                         .arg(QFileInfo(realPath).fileName(), sizeText(data.size()), sizeText(maxBytes));
        return false;
    }
    return writeFileAtomically(realPath, data, error, permissions);
}

int removeStaleTemporaries(const QString& realPath) {
    const QFileInfo target(realPath);
    // The names writeFileAtomically gives them: ".<name>.tmp-" and six characters.
    const QString prefix = QLatin1Char('.') + target.fileName() + QStringLiteral(".tmp-");
    const QDir folder(target.absolutePath());
    int removed = 0;
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!name.startsWith(prefix) || name.size() != prefix.size() + 6) continue;
        if (::unlink(QFile::encodeName(folder.filePath(name)).constData()) == 0) ++removed;
    }
    return removed;
}

namespace {

// Gives `realPath`, and each of its companions "<realPath><suffix>" that exists, a second name
// "<name>.<reason>-<UTC time>[-n]" (with the suffix) that no other file has, the companions first;
// the original names are dropped unless `keepOriginal`.
std::optional<QString> setAside(const QString& realPath, const QStringList& companions, const QString& reason,
                                bool keepOriginal) {
    const QFileInfo info(realPath);
    const QString source = info.absoluteFilePath();
    if (!nameExists(source)) return std::nullopt;
    QStringList suffixes;
    for (const QString& suffix : companions)
        if (nameExists(source + suffix)) suffixes << suffix;
    suffixes << QString(); // the file's own name last

    const QString base = info.absolutePath() + QLatin1Char('/') + info.fileName() + QLatin1Char('.') +
                         safeReason(reason) + QLatin1Char('-') +
                         QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    for (int n = 0; n < 10000; ++n) {
        const QString candidate = n == 0 ? base : base + QStringLiteral("-%1").arg(n);
        if (std::any_of(suffixes.begin(), suffixes.end(), [&](const QString& s) { return nameExists(candidate + s); }))
            continue;
        // link() never replaces an existing name, so no other file is lost.
        qsizetype linked = 0;
        while (linked < suffixes.size() && !injectedNameFault(NameStep::link, candidate + suffixes[linked]) &&
               ::link(QFile::encodeName(source + suffixes[linked]).constData(),
                      QFile::encodeName(candidate + suffixes[linked]).constData()) == 0)
            ++linked;
        const int error = errno;
        if (linked == suffixes.size()) {
            if (!keepOriginal)
                for (const QString& suffix : suffixes)
                    ::unlink(QFile::encodeName(source + suffix).constData());
            syncFolder(info.absolutePath());
            return candidate;
        }
        for (qsizetype i = 0; i < linked; ++i)
            ::unlink(QFile::encodeName(candidate + suffixes[i]).constData());
        if (error == EEXIST) continue; // a name taken meanwhile
        // File systems without hard links: renamed (or copied), and put back when one fails.
        auto move = [](const QString& from, const QString& to) {
            return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
        };
        qsizetype done = 0;
        while (done < suffixes.size() &&
               (keepOriginal ? !injectedNameFault(NameStep::copy, candidate + suffixes[done]) &&
                                   QFile::copy(source + suffixes[done], candidate + suffixes[done])
                             : move(source + suffixes[done], candidate + suffixes[done])))
            ++done;
        if (done == suffixes.size()) {
            syncFolder(info.absolutePath());
            return candidate;
        }
        for (qsizetype i = 0; i < done; ++i)
            keepOriginal ? QFile::remove(candidate + suffixes[i]) : move(candidate + suffixes[i], source + suffixes[i]);
        return std::nullopt;
    }
    return std::nullopt;
}

// Companions' kept names without their file's, which a keep-aside killed between the names left.
void dropHalfSets(const QString& realPath, const QString& reason, const QStringList& suffixes) {
    const QFileInfo info(realPath);
    const QString prefix = info.fileName() + QLatin1Char('.') + safeReason(reason) + QLatin1Char('-');
    const QDir folder(info.absolutePath());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        for (const QString& suffix : suffixes)
            if (name.startsWith(prefix) && name.endsWith(suffix) &&
                !nameExists(folder.filePath(name.chopped(suffix.size()))))
                dropName(folder.filePath(name));
}

bool moveAsideFails(const QString& realPath) {
    MoveAsideFault fault;
    {
        QMutexLocker lock(&hookMutex());
        fault = moveAsideFault();
    }
    return fault && fault(realPath);
}

} // namespace

MoveAsideFault setMoveAsideFaultForTesting(MoveAsideFault fault) {
    QMutexLocker lock(&hookMutex());
    return std::exchange(moveAsideFault(), std::move(fault));
}

std::optional<QString> moveAside(const QString& realPath, const QString& reason) {
    if (moveAsideFails(realPath)) return std::nullopt;
    return setAside(realPath, {}, reason, false);
}

std::optional<QString> copyAside(const QString& realPath, const QString& reason) {
    return setAside(realPath, {}, reason, true);
}

std::optional<QString> keepAsideWith(const QString& realPath, const QStringList& companionSuffixes,
                                     const QString& reason) {
    if (moveAsideFails(realPath)) return std::nullopt;
    std::optional<QString> kept = setAside(realPath, companionSuffixes, reason, true);
    if (kept) dropHalfSets(realPath, reason, companionSuffixes);
    return kept;
}

bool nameExists(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool dropName(const QString& path) {
    if (injectedNameFault(NameStep::drop, path)) return false;
    return ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT;
}

NameStepFault setNameStepFaultForTesting(NameStepFault fault) {
    QMutexLocker lock(&hookMutex());
    return std::exchange(nameStepFault(), std::move(fault));
}

} // namespace nimbrel
