#include "engine/FolderKey.h"

#include "../support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;

namespace {
const QString kHome = QStringLiteral("/Users/anna");
std::optional<QString> text(const char* s) {
    return QString::fromUtf8(s);
}
} // namespace

TEST(FolderKey, FoldsTheNameAndExpandsTheHomeInThePath) {
    const FolderKey key = FolderKey::of(QStringLiteral("Client Work.app"), QStringLiteral("~/Client%20Work "), kHome);
    EXPECT_EQ(key.name, QStringLiteral("clientwork"));
    EXPECT_EQ(key.path, QStringLiteral("/Users/anna/Client Work"));
}

TEST(FolderKey, TitleMatchesWhenEqualOrBeginningWithTheName) {
    const FolderKey key = FolderKey::of(QStringLiteral("Projects"), QStringLiteral("~/Projects"), kHome);
    EXPECT_TRUE(key.matches(text("Projects"), std::nullopt, kHome));
    EXPECT_TRUE(key.matches(text("projects — 2026"), std::nullopt, kHome));
    EXPECT_FALSE(key.matches(text("Old Projects"), std::nullopt, kHome));
    EXPECT_FALSE(key.matches(std::nullopt, std::nullopt, kHome));
}

TEST(FolderKey, DocumentPathMatchesWhenTheTitleDiffers) {
    const FolderKey key = FolderKey::of(QStringLiteral("Projects"), QStringLiteral("~/Projects"), kHome);
    EXPECT_TRUE(key.matches(text("Renamed"), text("/Users/anna/Projects"), kHome));
    EXPECT_TRUE(key.matches(std::nullopt, text("~/Projects"), kHome));
    EXPECT_TRUE(key.matches(std::nullopt, text("/Users/anna/Projects/"), kHome));
    EXPECT_FALSE(key.matches(text("Renamed"), text("/Users/anna/Projects/Sub"), kHome));
}

TEST(FolderKey, NameThatFoldsToNothingMatchesByPathOnly) {
    // "!!!" folds to an empty name, which every title would begin with.
    const FolderKey key = FolderKey::of(QStringLiteral("!!!"), QStringLiteral("/Volumes/X"), kHome);
    EXPECT_TRUE(key.name.isEmpty());
    EXPECT_FALSE(key.matches(text("Downloads"), text("/Users/anna/Downloads"), kHome));
    EXPECT_TRUE(key.matches(text("Downloads"), text("/Volumes/X"), kHome));
}
