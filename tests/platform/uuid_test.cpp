#include "platform/Uuid.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <set>
#include <unordered_set>

using namespace nimbrel;

TEST(Uuid, CanonicalTextIsUpperCase) {
    const auto u = Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->toString(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"), u);
    EXPECT_EQ(Uuid::parse("E621e1f8-C36C-495a-93FC-0c247A3E6E5F"), u);
    EXPECT_EQ(Uuid::parse("00000000-0000-0000-0000-000000000000"), Uuid());
    EXPECT_TRUE(Uuid().isNull());
}

TEST(Uuid, RejectsOtherForms) {
    for (const char* text : {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}",
                             "E621E1F8-C36C-495A-93FC-0C247A3E6E5", "E621E1F8-C36C-495A-93FC-0C247A3E6E5FF",
                             "G621E1F8-C36C-495A-93FC-0C247A3E6E5F", "E621E1F8_C36C-495A-93FC-0C247A3E6E5F",
                             " E621E1F8-C36C-495A-93FC-0C247A3E6E5"})
        EXPECT_FALSE(Uuid::parse(text)) << text;
    // Full-width digits look alike but are not hexadecimal.
    EXPECT_FALSE(Uuid::parse(QString::fromUtf8("E621E1F8-C36C-495A-93FC-0C247A3E6E５F")));
}

TEST(Uuid, RandomOnesDifferAndRoundTrip) {
    std::set<QString> texts;
    std::unordered_set<Uuid> hashed;
    for (int i = 0; i < 100; ++i) {
        const Uuid u = Uuid::random();
        EXPECT_FALSE(u.isNull());
        EXPECT_EQ(Uuid::parse(u.toString()), u);
        EXPECT_EQ(u.toString(), u.toString().toUpper());
        texts.insert(u.toString());
        hashed.insert(u);
    }
    EXPECT_EQ(texts.size(), 100u);
    EXPECT_EQ(hashed.size(), 100u);

    // Drawn from a seed, the same ids come again for the same seed, each a random id.
    const auto seeded = [](quint64 seed) {
        const UuidSource previous = setUuidSourceForTesting(seededUuidSource(seed));
        QStringList ids;
        for (int i = 0; i < 3; ++i)
            ids << Uuid::random().toString();
        setUuidSourceForTesting(previous);
        return ids;
    };
    EXPECT_EQ(seeded(7), seeded(7));
    EXPECT_NE(seeded(7), seeded(8));
    for (const QString& id : seeded(7)) {
        EXPECT_EQ(QUuid::fromString(id).version(), QUuid::Random) << id.toStdString();
        EXPECT_EQ(QUuid::fromString(id).variant(), QUuid::DCE) << id.toStdString();
    }
}
