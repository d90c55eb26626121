#include "platform/Keychain.h"
#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

using namespace nimbrel;

namespace {

const QString kService = QStringLiteral("svc");
const QString kAccount = QStringLiteral("acct");

void writeRaw(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readRaw(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A keychain file that cannot be read is never written over: it is moved to a name no other
// file has (one kept before included), or, when it cannot be moved, kept as it is while every
// change is refused. Either way the log says so and the problem waits to be recorded.
TEST(FileKeychain, ADamagedFileIsNeverWrittenOver) {
    enum class Damage { brokenJson, tooLarge, endless };
    const struct {
        const char* name;
        Damage damage;
        bool moveFails;
    } cases[] = {
        {"broken", Damage::brokenJson, false},
        {"broken, cannot be moved", Damage::brokenJson, true},
        {"larger than a keychain", Damage::tooLarge, false},
        {"a link to an endless device", Damage::endless, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("keychain.json"));
        const QByteArray damaged = "[{\"service\": 3}]";
        switch (c.damage) {
        case Damage::brokenJson: {
            writeRaw(path, damaged);
            // An earlier copy already has the name of the file's modification second.
            const utimbuf stamp{1700000000, 1700000000};
            ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &stamp), 0);
            writeRaw(path + QStringLiteral(".unreadable-1700000000"), "kept before");
            break;
        }
        case Damage::tooLarge:
            writeRaw(path, {});
            ASSERT_TRUE(QFile::resize(path, FileKeychain::kMaxFileBytes + 1));
            break;
        case Damage::endless:
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));
            break;
        }
        const MoveAsideFault previousFault = setMoveAsideFaultForTesting([&](const QString&) { return c.moveFails; });
        QStringList lines;
        const LogSink previousSink = setLogSink([&](const QString& line) { lines << line; });
        setLogToStdout(false);
        FileKeychain keychain(path);
        QStringList refusals;
        keychain.reportWriteFailuresTo([&](const QString& error) { refusals << error; });
        const int added = keychain.add(kService, kAccount, "secret", kKeychainAccessibleWhenUnlocked);
        setLogToStdout(true);
        setLogSink(previousSink);
        setMoveAsideFaultForTesting(previousFault);

        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(lines.first().startsWith(QStringLiteral("NimbrelKeychain: The keychain file could not be read")))
            << lines.first().toStdString();
        EXPECT_EQ(keychain.setAsideProblem(), lines.first().section(QStringLiteral(": "), 1));
        // A change refused over the file left in place is told, as every refused change is.
        EXPECT_EQ(refusals.size(), c.moveFails ? 1 : 0);
        if (c.moveFails) {
            EXPECT_EQ(added, errSecIO);
            EXPECT_EQ(readRaw(path), damaged);
            EXPECT_TRUE(keychain.items().empty());
            continue;
        }
        EXPECT_EQ(added, errSecSuccess);
        const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("keychain.json.unreadable-*")});
        EXPECT_EQ(aside.size(), c.damage == Damage::brokenJson ? 2 : 1);
        if (c.damage == Damage::brokenJson) {
            EXPECT_EQ(readRaw(dir.filePath(QStringLiteral("keychain.json.unreadable-1700000000"))), "kept before");
            const QString keptAs = keychain.setAsideProblem().section(QStringLiteral("kept as "), 1).chopped(1);
            EXPECT_EQ(readRaw(dir.filePath(keptAs)), damaged) << keptAs.toStdString();
        }
        EXPECT_EQ(FileKeychain(path).copyMatching(kService, kAccount, nullptr), errSecSuccess);
    }
}

// A change that would take the file past what its reader takes back is refused as a failed
// write: the file keeps what it held, a keychain opened on it again reads every earlier item,
// and whoever listens hears why. A change within the bound is saved.
TEST(FileKeychain, AChangeThatWouldPassTheReadBoundIsRefused) {
    const QByteArray large(3 * kMebibyte + kMebibyte / 2, 'x'); // its text in the file passes 4 MiB
    const QByteArray fits(2 * kMebibyte, 'y');
    const struct {
        const char* name;
        bool update; // of the earlier item, else an item of its own
        QByteArray data;
        int status;
    } cases[] = {
        {"a new item past the bound", false, large, errSecIO},
        {"an earlier item grown past the bound", true, large, errSecIO},
        {"a new item within the bound", false, fits, errSecSuccess},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("keychain.json"));
        QByteArray before;
        {
            FileKeychain earlier(path);
            ASSERT_EQ(earlier.add(kService, kAccount, "device id", kKeychainAccessibleWhenUnlocked), errSecSuccess);
            ASSERT_EQ(earlier.add(kService, QStringLiteral("other"), "other", kKeychainAccessibleWhenUnlocked),
                      errSecSuccess);
            before = readRaw(path);
        }
        FileKeychain keychain(path);
        QStringList failures;
        keychain.reportWriteFailuresTo([&](const QString& error) { failures << error; });
        setLogToStdout(false);
        const QString account = c.update ? kAccount : QStringLiteral("large");
        const int status = c.update ? keychain.update(kService, account, c.data, kKeychainAccessibleWhenUnlocked)
                                    : keychain.add(kService, account, c.data, kKeychainAccessibleWhenUnlocked);
        setLogToStdout(true);
        EXPECT_EQ(status, c.status);

        FileKeychain reopened(path);
        EXPECT_TRUE(reopened.setAsideProblem().isEmpty()) << reopened.setAsideProblem().toStdString();
        for (const FileKeychain* k : {&keychain, &reopened}) {
            QByteArray data;
            EXPECT_EQ(k->copyMatching(kService, QStringLiteral("other"), &data), errSecSuccess);
            EXPECT_EQ(data, "other");
            EXPECT_EQ(k->copyMatching(kService, account, &data),
                      c.status == errSecSuccess || c.update ? errSecSuccess : errSecItemNotFound);
            if (c.status == errSecSuccess || c.update) {
                EXPECT_EQ(data, c.status == errSecSuccess ? c.data : QByteArray("device id"));
            }
        }
        if (c.status == errSecSuccess) {
            EXPECT_TRUE(failures.isEmpty());
            continue;
        }
        EXPECT_EQ(readRaw(path), before);
        ASSERT_EQ(failures.size(), 1);
        EXPECT_TRUE(failures.first().contains(QStringLiteral("more than the 4 MB"))) << failures.first().toStdString();
    }
}

} // namespace
