#include "platform/local/LocalProcessRunner.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

// Several megabytes on standard output and on standard error at once: a runner that waited
// for the exit before reading, or that left a pipe undrained, would never return.
TEST(LocalProcessRunner, ReadsMegabytesOfOutputWithoutBlocking) {
    LocalProcessRunner runner;
    const QString script = QStringLiteral("head -c 6000000 /dev/zero; head -c 3000000 /dev/zero >&2; exit 3");
    const struct {
        StandardErrorHandling handling;
        qsizetype errorBytes;
    } cases[] = {{StandardErrorHandling::discard, 0}, {StandardErrorHandling::capture, 3000000}};
    for (const auto& c : cases) {
        const ProcessResult result = runner.run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}, c.handling);
        ASSERT_TRUE(result.launched) << result.launchError.toStdString();
        EXPECT_EQ(result.standardOutput.size(), 6000000);
        EXPECT_EQ(result.standardError.size(), c.errorBytes);
        EXPECT_EQ(result.terminationStatus, 3);
    }
}

TEST(LocalProcessRunner, PassesArgumentsAsTheyAreAndReportsWhatCannotStart) {
    LocalProcessRunner runner;
    const ProcessResult echoed =
        runner.run(QStringLiteral("/bin/echo"), {QStringLiteral("a b"), QStringLiteral("$HOME;")});
    EXPECT_EQ(echoed.standardOutput, "a b $HOME;\n");
    const ProcessResult missing = runner.run(QStringLiteral("/usr/bin/no-such-command"), {});
    EXPECT_FALSE(missing.launched);
    EXPECT_FALSE(missing.launchError.isEmpty());
}

} // namespace
} // namespace nimbrel
