#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace nimbrel;

namespace {

mode_t modeOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 07777;
}

void writeRaw(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray readRaw(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
    return f.readAll();
}

QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

QStringList entryNames(const std::vector<FileEntry>& entries) {
    QStringList out;
    for (const auto& e : entries)
        out << e.name;
    return out;
}

// Sets environment variables for one test and restores them after.
class EnvironmentScope {
  public:
    ~EnvironmentScope() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second.isNull())
                qunsetenv(it->first.constData());
            else
                qputenv(it->first.constData(), it->second);
        }
    }
    void set(const char* name, const QByteArray& value) {
        saved_.emplace_back(name, qgetenv(name));
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

  private:
    std::vector<std::pair<QByteArray, QByteArray>> saved_;
};

class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }
    QTemporaryDir dir_;
};

} // namespace

TEST_F(FilesTest, PrivateFolderIsMadeOwnerOnly) {
    const auto made = ensurePrivateFolder(path("a/b/private"));
    ASSERT_TRUE(made);
    EXPECT_EQ(*made, path("a/b/private"));
    EXPECT_EQ(modeOf(*made), 0700u);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(*made).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, ::geteuid());

    // An existing folder that others can read is tightened.
    QDir().mkpath(path("loose"));
    ::chmod(QFile::encodeName(path("loose")).constData(), 0777);
    ASSERT_TRUE(ensurePrivateFolder(path("loose")));
    EXPECT_EQ(modeOf(path("loose")), 0700u);

    // Calling again is harmless.
    EXPECT_EQ(ensurePrivateFolder(*made), made);
}

TEST_F(FilesTest, PrivateFolderRefusesSharedFoldersLinksAndFiles) {
    EXPECT_FALSE(ensurePrivateFolder("/tmp"));
    EXPECT_FALSE(ensurePrivateFolder("/tmp/"));
    EXPECT_FALSE(ensurePrivateFolder("/tmp/x/.."));
    EXPECT_FALSE(ensurePrivateFolder("/var/tmp"));
    EXPECT_FALSE(ensurePrivateFolder(QDir::tempPath()));
    EXPECT_FALSE(ensurePrivateFolder(""));

    QDir().mkpath(path("real"));
    ASSERT_TRUE(QFile::link(path("real"), path("link")));
    EXPECT_FALSE(ensurePrivateFolder(path("link")));

    writeRaw(path("file"), "x");
    EXPECT_FALSE(ensurePrivateFolder(path("file")));
}

TEST_F(FilesTest, LocationsUnderARootAreFreshAndPrivate) {
    const Locations l = Locations::underRoot(dir_.path());
    for (const QString& p : {l.home, l.applicationSupport, l.documents, l.preferences, l.privateTemporary})
        EXPECT_TRUE(p.startsWith(dir_.path() + "/")) << p.toStdString();
    EXPECT_EQ(l.nimbrelSupportFolder(), l.applicationSupport + "/Nimbrel");
    EXPECT_TRUE(l.preferences.endsWith("/Nimbrel"));
    ASSERT_TRUE(QFileInfo(l.privateTemporary).isDir());
    EXPECT_EQ(modeOf(l.privateTemporary), 0700u);
}

TEST_F(FilesTest, LocationsForThisMachineFollowXdg) {
    EnvironmentScope env;
    env.set("HOME", QFile::encodeName(path("home")));
    env.set("XDG_DATA_HOME", QFile::encodeName(path("xdg-data")));
    env.set("XDG_CONFIG_HOME", QFile::encodeName(path("xdg-config")));
    env.set("XDG_RUNTIME_DIR", QFile::encodeName(path("run")));
    Locations l = Locations::forThisMachine();
    EXPECT_EQ(l.home, path("home"));
    EXPECT_EQ(l.nimbrelSupportFolder(), path("xdg-data/Nimbrel"));
    EXPECT_EQ(l.preferences, path("xdg-config/Nimbrel"));
    EXPECT_EQ(l.privateTemporary, path("run/Nimbrel"));
    EXPECT_EQ(modeOf(l.privateTemporary), 0700u);

    // Unset or relative values fall back to the home folder's usual places.
    env.set("XDG_DATA_HOME", QByteArray());
    env.set("XDG_CONFIG_HOME", "relative/config");
    env.set("XDG_RUNTIME_DIR", QByteArray());
    l = Locations::forThisMachine();
    EXPECT_EQ(l.applicationSupport, path("home/.local/share"));
    EXPECT_EQ(l.preferences, path("home/.config/Nimbrel"));
    ASSERT_FALSE(l.privateTemporary.isEmpty());
    EXPECT_NE(QDir::cleanPath(l.privateTemporary), QDir::cleanPath(QDir::tempPath()));
    EXPECT_EQ(modeOf(l.privateTemporary), 0700u);
}

TEST_F(FilesTest, AtomicWriteReplacesWholeFilesAndLeavesNoTemporaries) {
    const QString target = path("sub/folder/data.json");
    QString error;
    ASSERT_TRUE(writeFileAtomically(target, "first", &error)) << error.toStdString();
    EXPECT_EQ(readRaw(target), "first");
    EXPECT_EQ(modeOf(target), 0644u);

    ::chmod(QFile::encodeName(target).constData(), 0640);
    ASSERT_TRUE(writeFileAtomically(target, "second"));
    EXPECT_EQ(readRaw(target), "second");
    EXPECT_EQ(modeOf(target), 0640u); // an existing file keeps its mode

    ASSERT_TRUE(writeFileAtomically(path("secret"), "key", nullptr, 0600));
    EXPECT_EQ(modeOf(path("secret")), 0600u);

    ASSERT_TRUE(writeFileAtomically(target, QByteArray()));
    EXPECT_EQ(readRaw(target), "");
    EXPECT_EQ(namesIn(path("sub/folder")), QStringList{"data.json"});
}

TEST_F(FilesTest, AtomicWriteReportsFailure) {
    writeRaw(path("plain-file"), "x");
    QString error;
    EXPECT_FALSE(writeFileAtomically(path("plain-file/child"), "data", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readRaw(path("plain-file")), "x");

    // A folder in the way of the target: the write fails and the temporary is removed.
    QDir().mkpath(path("occupied/target/inner"));
    error.clear();
    EXPECT_FALSE(writeFileAtomically(path("occupied/target"), "data", &error));
    EXPECT_TRUE(error.contains("cannot replace")) << error.toStdString();
    EXPECT_EQ(namesIn(path("occupied")), QStringList{"target"});
}

TEST_F(FilesTest, WriteInterruptedBeforeTheRenameKeepsTheOldFile) {
    const QString target = path("state.json");
    ASSERT_TRUE(writeFileAtomically(target, "old and whole"));
    // The child process dies right before the rename, as a crash would.
    EXPECT_EXIT(
        {
            setAtomicWriteHookForTesting([](const QString&) { ::_exit(7); });
            writeFileAtomically(target, "new");
        },
        ::testing::ExitedWithCode(7), "");
    EXPECT_EQ(readRaw(target), "old and whole");
    // The unfinished temporary is left beside it under its own name, never the target's.
    const QStringList names = namesIn(dir_.path());
    EXPECT_EQ(names.size(), 2);
    EXPECT_TRUE(names.contains("state.json"));

    // The file's owner clears such leftovers before it writes again, and nothing else.
    for (const char* name :
         {".state.json.tmp-abc123", ".state.json.tmp-abc1234", ".other.json.tmp-abc123", "state.json.tmp-abc123"})
        writeRaw(path(name), "x");
    EXPECT_EQ(removeStaleTemporaries(target), 2);
    EXPECT_EQ(namesIn(dir_.path()), (QStringList{".other.json.tmp-abc123", ".state.json.tmp-abc1234", "state.json",
                                                 "state.json.tmp-abc123"}));
}

TEST_F(FilesTest, TemporaryNamesAreUnique) {
    QStringList seen;
    setAtomicWriteHookForTesting([&](const QString& temporary) { seen << temporary; });
    ASSERT_TRUE(writeFileAtomically(path("f"), "1"));
    ASSERT_TRUE(writeFileAtomically(path("f"), "2"));
    setAtomicWriteHookForTesting({});
    ASSERT_EQ(seen.size(), 2);
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_TRUE(QFileInfo(seen[0]).fileName().startsWith(".f.tmp-"));
    EXPECT_EQ(QFileInfo(seen[0]).path(), dir_.path());
}

TEST_F(FilesTest, MoveAsideKeepsEveryCopy) {
    const QString target = path("defaults.json");
    writeRaw(target, "broken one");
    const auto first = moveAside(target, "unreadable");
    ASSERT_TRUE(first);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_TRUE(QFileInfo(*first).fileName().startsWith("defaults.json.unreadable-"));
    EXPECT_EQ(readRaw(*first), "broken one");

    writeRaw(target, "broken two");
    const auto second = moveAside(target, "unreadable");
    ASSERT_TRUE(second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(readRaw(*first), "broken one");
    EXPECT_EQ(readRaw(*second), "broken two");

    EXPECT_FALSE(moveAside(path("missing"), "unreadable"));
    // The reason cannot carry a path into the name.
    writeRaw(target, "three");
    const auto third = moveAside(target, "../../escape");
    ASSERT_TRUE(third);
    EXPECT_EQ(QFileInfo(*third).path(), dir_.path());
}

// Whatever is at the path, at most the bound and one byte are read, and nothing waits.
TEST_F(FilesTest, BoundedReadsStopAtTheBound) {
    using S = BoundedRead::Status;
    writeRaw(path("fits"), "12345678");
    writeRaw(path("over"), "123456789");
    {
        QFile sparse(path("huge")); // a gigabyte that takes no room on the disk
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        ASSERT_TRUE(sparse.resize(1024 * kMebibyte));
    }
    ASSERT_TRUE(QFile::link("/dev/zero", path("endless")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    QDir().mkpath(path("folder"));
    const struct {
        const char* name;
        S status;
        QByteArray bytes;
    } cases[] = {
        {"fits", S::read, "12345678"}, {"over", S::tooLarge, {}}, {"huge", S::tooLarge, {}},
        {"endless", S::tooLarge, {}},  {"pipe", S::failed, {}},   {"folder", S::failed, {}},
        {"missing", S::missing, {}},
    };
    for (const auto& c : cases) {
        const BoundedRead read = readFileWithin(path(QString::fromLatin1(c.name)), 8);
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_EQ(read.bytes, c.bytes) << c.name;
        EXPECT_EQ(read.error.isEmpty(), c.status == S::read || c.status == S::missing) << c.name;
    }
    // What is written within the bound reads back; a byte more is refused and the file stays.
    EXPECT_TRUE(writeFileWithin(path("fits"), "87654321", 8));
    QString error;
    EXPECT_FALSE(writeFileWithin(path("fits"), "987654321", 8, &error));
    EXPECT_EQ(readFileWithin(path("fits"), 8).bytes, "87654321");
    EXPECT_EQ(error, "fits would hold 9 bytes, more than the 8 bytes that can be read back; it was not written");
}

TEST_F(FilesTest, LocalFileSystemMapsMacPathsUnderItsRoot) {
    LocalFileSystem fs(dir_.path(), "/Users/tester");
    EXPECT_EQ(fs.realPath("/Applications/Safari.app"), path("Applications/Safari.app"));
    EXPECT_EQ(fs.realPath("~/Documents"), path("Users/tester/Documents"));
    EXPECT_EQ(fs.realPath("/"), dir_.path());
    // ".." never leaves the root.
    EXPECT_EQ(fs.realPath("/../../etc/passwd"), path("etc/passwd"));
    EXPECT_EQ(fs.realPath("/a/../../b"), path("b"));

    EXPECT_EQ(fs.expandTilde("~"), "/Users/tester");
    EXPECT_EQ(fs.expandTilde("~/x/y"), "/Users/tester/x/y");
    EXPECT_EQ(fs.expandTilde("~other/x"), "~other/x");
    EXPECT_EQ(fs.expandTilde("/a/~/b"), "/a/~/b");

    ASSERT_TRUE(fs.createDirectory("~/Documents"));
    ASSERT_TRUE(fs.writeFileAtomically("~/Documents/note.txt", "hello"));
    EXPECT_EQ(readRaw(path("Users/tester/Documents/note.txt")), "hello");
    EXPECT_EQ(fs.readFile("~/Documents/note.txt", 5), QByteArray("hello"));
    EXPECT_TRUE(fs.exists("/Users/tester/Documents/note.txt"));
    EXPECT_TRUE(fs.isDirectory("~/Documents"));
    EXPECT_FALSE(fs.isDirectory("~/Documents/note.txt"));
    EXPECT_FALSE(fs.readFile("~/Documents/note.txt", 4).has_value()); // larger than asked for
    EXPECT_FALSE(fs.readFile("~/Documents", kMebibyte).has_value());  // a folder is not a file
    EXPECT_FALSE(fs.readFile("~/missing", kMebibyte).has_value());
    EXPECT_TRUE(fs.removeFile("~/Documents/note.txt"));
    EXPECT_FALSE(fs.exists("~/Documents/note.txt"));
    EXPECT_FALSE(fs.removeFile("~/Documents/note.txt"));
}

TEST_F(FilesTest, WithoutARootPathsAreThisMachines) {
    LocalFileSystem fs;
    EXPECT_EQ(fs.realPath(path("x")), path("x"));
    EXPECT_EQ(fs.homeDirectory(), QDir::cleanPath(QDir::homePath()));
}

TEST_F(FilesTest, ListingSkipsHiddenAndDoesNotFollowLinks) {
    LocalFileSystem fs(dir_.path(), "/Users/tester");
    writeRaw(path("top/b.txt"), "b");
    writeRaw(path("top/.hidden"), "h");
    writeRaw(path("top/A folder/inner.txt"), "i");
    writeRaw(path("elsewhere/secret.txt"), "s");
    ASSERT_TRUE(QFile::link(path("elsewhere"), path("top/link")));

    const auto entries = fs.list("/top");
    EXPECT_EQ(entryNames(entries), (QStringList{"A folder", "b.txt", "link"}));
    EXPECT_EQ(entries[0].path, "/top/A folder");
    EXPECT_TRUE(entries[0].isDirectory);
    EXPECT_FALSE(entries[1].isDirectory);
    EXPECT_TRUE(entries[2].isSymlink);
    EXPECT_FALSE(entries[2].isDirectory); // a link to a folder is not walked as one
    EXPECT_TRUE(fs.isSymlink("/top/link"));

    const auto all = fs.list("/top/", false);
    EXPECT_EQ(entryNames(all), (QStringList{".hidden", "A folder", "b.txt", "link"}));
    EXPECT_TRUE(all[0].isHidden);
    EXPECT_EQ(all[0].path, "/top/.hidden");

    EXPECT_TRUE(fs.list("/missing").empty());
}

TEST_F(FilesTest, WalkingVisitsParentsFirstAndStaysOutOfLinks) {
    LocalFileSystem fs(dir_.path(), "/Users/tester");
    writeRaw(path("root/a/one.txt"), "1");
    writeRaw(path("root/a/deeper/two.txt"), "2");
    writeRaw(path("root/b.txt"), "b");
    writeRaw(path("root/.git/config"), "c");
    // A link back up would loop forever if it were followed.
    ASSERT_TRUE(QFile::link(path("root"), path("root/a/loop")));

    QStringList visited;
    fs.walk("/root", [&](const FileEntry& e) {
        visited << e.path;
        return true;
    });
    EXPECT_EQ(visited, (QStringList{"/root/a", "/root/a/deeper", "/root/a/deeper/two.txt", "/root/a/loop",
                                    "/root/a/one.txt", "/root/b.txt"}));

    // Stopping early and declining to descend.
    visited.clear();
    fs.walk(
        "/root",
        [&](const FileEntry& e) {
            visited << e.name;
            return e.name != "one.txt";
        },
        true, [](const FileEntry& e) { return e.name != "deeper"; });
    EXPECT_EQ(visited, (QStringList{"a", "deeper", "loop", "one.txt"}));
}
