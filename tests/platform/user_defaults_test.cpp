#include "platform/UserDefaults.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;

TEST(InMemoryUserDefaults, TypedReadersAnswerOnlyTheirType) {
    InMemoryUserDefaults d;
    d.setBool("b", false);
    d.setInteger("i", 3);
    d.setDouble("d", 2.5);
    d.setString("s", "text");
    d.setData("data", QByteArray("\x01\x02", 2));
    d.setDate("date", Date{42});
    d.setStringArray("names", {"a", "b"});
    d.set("map", QVariantMap{{"k", 1}});

    EXPECT_EQ(d.boolValue("b"), false); // a stored false is not "missing"
    EXPECT_EQ(d.integerValue("i"), 3);
    EXPECT_EQ(d.doubleValue("i"), 3.0); // a number is a number
    EXPECT_FALSE(d.integerValue("d"));
    EXPECT_EQ(d.stringValue("s"), QString("text"));
    EXPECT_EQ(d.dataValue("data"), QByteArray("\x01\x02", 2));
    EXPECT_EQ(d.dateValue("date"), Date{42});
    EXPECT_EQ(d.stringArrayValue("names"), (QStringList{"a", "b"}));
    EXPECT_EQ(d.dictionaryValue("map")->value("k").toInt(), 1);

    EXPECT_FALSE(d.boolValue("i"));
    EXPECT_FALSE(d.integerValue("b"));
    EXPECT_FALSE(d.stringValue("names"));
    EXPECT_FALSE(d.arrayValue("map"));
    EXPECT_FALSE(d.dateValue("d"));
    EXPECT_FALSE(d.boolValue("absent"));
    d.set("mixed", QVariantList{"a", 1});
    EXPECT_FALSE(d.stringArrayValue("mixed"));
    EXPECT_TRUE(d.arrayValue("mixed"));
}

TEST(InMemoryUserDefaults, ChangesReachTheKeysObservers) {
    InMemoryUserDefaults d;
    int changes = 0;
    ObserverToken token = d.observe("k", [&] { ++changes; });
    d.setInteger("k", 1);
    d.setInteger("other", 1);
    d.remove("k");
    d.remove("k");
    EXPECT_EQ(changes, 2);
    d.setInteger("k", 2);
    d.set("k", QVariant()); // removes
    EXPECT_FALSE(d.contains("k"));
    EXPECT_EQ(changes, 4);
    d.setFailSynchronize(true);
    EXPECT_FALSE(d.synchronize());
}
