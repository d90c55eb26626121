// What app icon pictures cost a list's scrolling, drawn offscreen by the software renderer (as
// the program draws without a GPU).
//
// BM_ScrollIconList: one frame of a 360 x 500 list of 500 rows, each with an app icon whose
// picture is one of 24 files, after a scroll of 37 pt. The pictures are decoded once and then
// drawn from Qt's cache, so this is what every frame of a scroll pays.
// BM_DecodePicture and BM_DecodeRoundedPicture: decoding one 256 x 256 picture at the 56 x 56
// pixels a 28 pt icon asks for, as it is and with its corners cut round: what an icon pays
// once, as it first comes into view.
#include "app/QmlSetup.h"
#include "ui/common/AppIconPictures.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>
#include <memory>

using namespace nimbrel;

namespace {

const char* const kList = R"(
import QtQuick
import Nimbrel.App
ListView {
    property var pictures: []
    width: 360
    height: 500
    model: 500
    delegate: Item {
        id: row
        required property int index
        width: 360
        height: 44
        AppIconView {
            x: 12
            y: 8
            size: 28
            cornerRadius: 6
            icon: ({ generic: false, title: "App", initials: "Ap", tint: "#3366cc",
                     source: row.ListView.view.pictures[row.index % row.ListView.view.pictures.length] })
        }
        Text { x: 52; y: 14; text: "Application " + row.index; color: "white" }
    }
}
)";

struct Pictures {
    QTemporaryDir dir;
    QStringList urls;
    Pictures() {
        for (int i = 0; i < 24; ++i) {
            QImage picture(256, 256, QImage::Format_ARGB32);
            picture.fill(QColor::fromHsv(i * 15, 200, 220));
            const QString file = dir.filePath(QStringLiteral("app%1.png").arg(i));
            picture.save(file);
            urls << QUrl::fromLocalFile(file).toString();
        }
    }
};

Pictures& pictures() {
    static Pictures p;
    return p;
}

void BM_ScrollIconList(benchmark::State& state) {
    QQmlEngine engine;
    setUpQmlEngine(engine, {});
    QQmlComponent component(&engine);
    component.setData(kList, QUrl::fromLocalFile(pictures().dir.filePath(QStringLiteral("IconList.qml"))));
    std::unique_ptr<QQuickItem> list(
        qobject_cast<QQuickItem*>(component.createWithInitialProperties({{"pictures", pictures().urls}})));
    if (!list) {
        state.SkipWithError(qPrintable(component.errorString()));
        return;
    }
    QQuickWindow window;
    window.setColor(QColor(40, 40, 48));
    window.resize(360, 500);
    list->setParentItem(window.contentItem());
    window.show();
    const double end = 500 * 44 - 500;
    // Scroll once through the whole list first, so every picture is decoded.
    for (double y = 0; y < end; y += 200) {
        list->setProperty("contentY", y);
        window.grabWindow();
    }
    list->setProperty("contentY", 0);
    if (!qEnvironmentVariableIsEmpty("NIMBREL_BENCH_PICTURE")) window.grabWindow().save(qgetenv("NIMBREL_BENCH_PICTURE"));
    double y = 0;
    for (auto _ : state) {
        y = y + 37 > end ? 0 : y + 37;
        list->setProperty("contentY", y);
        benchmark::DoNotOptimize(window.grabWindow());
    }
}
BENCHMARK(BM_ScrollIconList)->Unit(benchmark::kMillisecond);

void BM_DecodePicture(benchmark::State& state) {
    const QString file = QUrl(pictures().urls.front()).toLocalFile();
    for (auto _ : state) {
        QImageReader reader(file);
        reader.setScaledSize(QSize(56, 56));
        benchmark::DoNotOptimize(reader.read());
    }
}
BENCHMARK(BM_DecodePicture)->Unit(benchmark::kMicrosecond);

void BM_DecodeRoundedPicture(benchmark::State& state) {
    const QString id = QStringLiteral("0.2143/") + QString::fromUtf8(QUrl::toPercentEncoding(pictures().urls.front()));
    for (auto _ : state)
        benchmark::DoNotOptimize(roundedAppIconPicture(id, nullptr, QSize(56, 56)));
}
BENCHMARK(BM_DecodeRoundedPicture)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
