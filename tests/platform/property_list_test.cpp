#include "platform/PropertyList.h"
#include "platform/Date.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(PropertyList, ReadsEveryValueKind) {
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
  <key>CFBundleIdentifier</key><string>com.example.tool</string>
  <key>Count</key><integer>-42</integer>
  <key>Ratio</key><real>0.5</real>
  <key>On</key><true/>
  <key>Off</key><false/>
  <key>Blob</key><data>
    aGVs
    bG8=
  </data>
  <key>When</key><date>2026-12-07T08:00:00Z</date>
  <key>List</key><array><string>a</string><integer>1</integer><dict/></array>
  <key>Escaped</key><string>&lt;Tom &amp; Jerry&gt;</string>
</dict>
</plist>)";
    QString error;
    const std::optional<QVariant> parsed = parsePropertyList(xml, &error);
    ASSERT_TRUE(parsed) << error.toStdString();
    const QVariantMap map = parsed->toMap();
    EXPECT_EQ(map.value(QStringLiteral("CFBundleIdentifier")).toString(), QStringLiteral("com.example.tool"));
    EXPECT_EQ(map.value(QStringLiteral("Count")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(map.value(QStringLiteral("Count")).toLongLong(), -42);
    EXPECT_DOUBLE_EQ(map.value(QStringLiteral("Ratio")).toDouble(), 0.5);
    EXPECT_EQ(map.value(QStringLiteral("On")), QVariant(true));
    EXPECT_EQ(map.value(QStringLiteral("Off")), QVariant(false));
    EXPECT_EQ(map.value(QStringLiteral("Blob")).toByteArray(), QByteArray("hello"));
    EXPECT_EQ(map.value(QStringLiteral("When")).value<Date>(), *parseISO8601(QStringLiteral("2026-12-07T08:00:00Z")));
    const QVariantList list = map.value(QStringLiteral("List")).toList();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[2].typeId(), QMetaType::QVariantMap);
    EXPECT_EQ(map.value(QStringLiteral("Escaped")).toString(), QStringLiteral("<Tom & Jerry>"));
}

TEST(PropertyList, WritesWhatItReads) {
    const QVariantMap original{{QStringLiteral("name"), QStringLiteral("Ünïcode & <stuff>")},
                               {QStringLiteral("n"), qint64(7)},
                               {QStringLiteral("flag"), false},
                               {QStringLiteral("bytes"), QByteArray("\x00\x01\xff", 3)},
                               {QStringLiteral("items"), QVariantList{QStringLiteral("x"), 2.25}}};
    const std::optional<QVariant> back = parsePropertyList(serializePropertyList(original));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->toMap(), original);
}

TEST(PropertyList, RejectsMalformedInputWithAReason) {
    const std::vector<QByteArray> bad = {
        "",
        "<notplist/>",
        "<plist><dict><key>a</key></dict></plist>",                // key without value
        "<plist><dict><string>x</string></dict></plist>",          // value without key
        "<plist><integer>twelve</integer></plist>",
        "<plist><data>!!!</data></plist>",
        "<plist><date>yesterday</date></plist>",
        "<plist><mystery/></plist>",
        "<plist><string>a</string><string>b</string></plist>",     // two top-level values
        "<plist><dict><key>a</key><string>unclosed</dict></plist>",
    };
    for (const QByteArray& xml : bad) {
        QString error;
        EXPECT_FALSE(parsePropertyList(xml, &error)) << xml.toStdString();
        EXPECT_FALSE(error.isEmpty()) << xml.toStdString();
    }
}

TEST(PropertyList, RefusesHostileNesting) {
    QByteArray deep = "<plist>";
    for (int i = 0; i < 10000; ++i) deep += "<array>";
    for (int i = 0; i < 10000; ++i) deep += "</array>";
    deep += "</plist>";
    EXPECT_FALSE(parsePropertyList(deep));
}

} // namespace
} // namespace nimbrel
