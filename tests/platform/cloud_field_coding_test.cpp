#include "platform/local/CloudFieldCoding.h"

#include "support/QtPrinters.h"

#include <QCborStreamWriter>

#include <gtest/gtest.h>

#include <functional>

using namespace nimbrel;

namespace {

QByteArray written(const std::function<void(QCborStreamWriter&)>& write) {
    QByteArray bytes;
    QCborStreamWriter writer(&bytes);
    write(writer);
    return bytes;
}

const QCborTag kDate = QCborTag(1000001);

} // namespace

// Rows are read straight from the form the store writes; any other form the stream allows reads
// the same way, and what is not a map of our kinds reads as nothing.
TEST(CloudFieldCoding, EveryFormOfTheSameFieldsReadsAlikeAndDamageReadsAsNothing) {
    const CloudFields expected{{"bytes", QByteArray("\x00\x01", 2)},
                               {"date", Date{762509700.5}},
                               {"list", QStringList{"a", "ü"}},
                               {"n", qint64(-5)},
                               {"text", QStringLiteral("Zürich")}};
    EXPECT_EQ(decodeCloudFields(encodeCloudFields(expected)), expected);
    struct Case {
        const char* name;
        QByteArray bytes;
        std::optional<CloudFields> fields;
    };
    const Case cases[] = {
        {"lengths left open, a date as a float, names out of order",
         written([](QCborStreamWriter& w) {
             w.startMap();
             w.append(QLatin1StringView("text"));
             w.appendTextString("Z\xc3\xbcrich", 7);
             w.append(QLatin1StringView("n"));
             w.append(qint64(-5));
             w.append(QLatin1StringView("date"));
             w.append(kDate);
             w.append(float(762509700.5f));
             w.append(QLatin1StringView("list"));
             w.startArray();
             w.append(QLatin1StringView("a"));
             w.append(QStringLiteral("ü"));
             w.endArray();
             w.append(QLatin1StringView("bytes"));
             w.appendByteString("\x00\x01", 2);
             w.endMap();
         }),
         CloudFields{{"bytes", QByteArray("\x00\x01", 2)},
                     {"date", Date{double(762509700.5f)}},
                     {"list", QStringList{"a", "ü"}},
                     {"n", qint64(-5)},
                     {"text", QStringLiteral("Zürich")}}},
        {"a name given twice: the later counts",
         written([](QCborStreamWriter& w) {
             w.startMap(2);
             w.append(QLatin1StringView("n"));
             w.append(qint64(1));
             w.append(QLatin1StringView("n"));
             w.append(qint64(2));
             w.endMap();
         }),
         CloudFields{{"n", qint64(2)}}},
        {"text that is no UTF-8",
         written([](QCborStreamWriter& w) {
             w.startMap(1);
             w.append(QLatin1StringView("t"));
             w.appendTextString("\xff\xfe", 2);
             w.endMap();
         }),
         std::nullopt},
        {"a string longer than the data", QByteArray::fromHex("a1617479ffff41"), std::nullopt},
        {"a date that is no moment",
         written([](QCborStreamWriter& w) {
             w.startMap(1);
             w.append(QLatin1StringView("d"));
             w.append(kDate);
             w.append(std::numeric_limits<double>::infinity());
             w.endMap();
         }),
         std::nullopt},
        {"not a map", written([](QCborStreamWriter& w) { w.append(qint64(1)); }), std::nullopt},
        {"damaged", QByteArray::fromHex("ff00ff"), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeCloudFields(c.bytes), c.fields) << c.name;
}
