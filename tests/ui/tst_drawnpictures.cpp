// The pictures the window draws itself (the symbols, the style's overflow
// arrows) and the hook that defers work until the window has been painted
// once.

#include "ui/firstpaint.h"
#include "ui/launcherstyle.h"
#include "ui/symbols.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <functional>

using SymbolFactory = std::function<QIcon(const QColor&)>;
Q_DECLARE_METATYPE(SymbolFactory)

class TestDrawnPictures : public QObject
{
    Q_OBJECT

private slots:
    // First: it looks at what this process has loaded so far.
    void theMenuBarLoadsNoImagePlugins();
    void theStyleWrapsTheDesktopStyleOnce();
    void overflowArrowsPointTheReadingWay();
    void symbolsDrawAtTheAskedSize_data();
    void symbolsDrawAtTheAskedSize();
    void aMarkIsCutOutOfItsDisc_data();
    void aMarkIsCutOutOfItsDisc();
    void eachIconKeepsItsOwnColour();
    void aDisabledSymbolLooksDisabled();
    void afterFirstPaintWaitsForThePaint();
};

namespace {

// A point on the 16 x 16 design grid, at `side` pixels.
QPoint scaled(QPointF design, int side)
{
    return (design * side / 16.0).toPoint();
}

} // namespace

void TestDrawnPictures::theMenuBarLoadsNoImagePlugins()
{
    // Reading a picture file makes Qt load every image format plugin, which
    // the launcher's start cannot afford before its window shows.
    LauncherStyle::install();
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("Profile"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    QVERIFY(mapped.contains("libQt6Widgets"));
    QVERIFY2(!mapped.contains("/imageformats/"), "an image format plugin was loaded");
}

void TestDrawnPictures::theStyleWrapsTheDesktopStyleOnce()
{
    LauncherStyle::install();
    auto* style = qobject_cast<LauncherStyle*>(QApplication::style());
    QVERIFY(style);
    QVERIFY(style->baseStyle());
    const QString base = style->baseStyle()->name();
    QVERIFY(!base.isEmpty());
    LauncherStyle::install();
    QCOMPARE(QApplication::style(), style);
    QCOMPARE(style->baseStyle()->name(), base);
    // Everything else is the desktop style's.
    QCOMPARE(style->pixelMetric(QStyle::PM_ButtonMargin),
             style->baseStyle()->pixelMetric(QStyle::PM_ButtonMargin));
}

void TestDrawnPictures::overflowArrowsPointTheReadingWay()
{
    LauncherStyle::install();
    QWidget leftToRight;
    QWidget rightToLeft;
    rightToLeft.setLayoutDirection(Qt::RightToLeft);
    const auto arrows = [](const QWidget& widget) {
        return QApplication::style()
            ->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton, nullptr, &widget)
            .pixmap(QSize(32, 32), 1.0)
            .toImage();
    };
    const QImage forward = arrows(leftToRight);
    QCOMPARE(forward.size(), QSize(32, 32));
    QVERIFY(forward != QImage(forward.size(), forward.format()));
    // The mirror image, up to the antialiasing of single edge pixels.
    const QImage backward = arrows(rightToLeft);
    const QImage mirrored = forward.mirrored(true, false);
    int differing = 0;
    int inked = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            inked += qAlpha(mirrored.pixel(x, y)) > 128;
            differing += std::abs(qAlpha(backward.pixel(x, y)) - qAlpha(mirrored.pixel(x, y))) > 96;
        }
    }
    QVERIFY(inked > 20);
    QVERIFY2(differing * 10 < inked, qPrintable(QString::number(differing)));
    QVERIFY(backward != forward);
}

void TestDrawnPictures::symbolsDrawAtTheAskedSize_data()
{
    QTest::addColumn<SymbolFactory>("symbol");
    QTest::addColumn<int>("side");
    const QList<std::pair<const char*, SymbolFactory>> symbols{
        {"tray", symbols::squareAndArrowDown},
        {"check", symbols::checkmarkCircleFill},
        {"cross", symbols::xmarkCircleFill}};
    for (const auto& [name, factory] : symbols) {
        for (const int side : {13, 16, 24, 48, 96})
            QTest::addRow("%s at %d", name, side) << factory << side;
    }
}

void TestDrawnPictures::symbolsDrawAtTheAskedSize()
{
    QFETCH(SymbolFactory, symbol);
    QFETCH(int, side);
    const QIcon icon = symbol(Qt::black);
    QVERIFY(!icon.isNull());
    const QPixmap pixmap = icon.pixmap(QSize(side, side), 1.0);
    QCOMPARE(pixmap.size(), QSize(side, side));
    const QImage image = pixmap.toImage();
    // Something is drawn, and the corners stay clear.
    bool inked = false;
    for (int y = 0; y < side && !inked; ++y) {
        for (int x = 0; x < side && !inked; ++x)
            inked = qAlpha(image.pixel(x, y)) > 200;
    }
    QVERIFY(inked);
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(side - 1, side - 1)), 0);
    // Asked again, the same picture.
    QCOMPARE(icon.pixmap(QSize(side, side), 1.0).toImage(), image);
}

void TestDrawnPictures::aMarkIsCutOutOfItsDisc_data()
{
    QTest::addColumn<SymbolFactory>("symbol");
    QTest::addColumn<QPointF>("onTheMark");
    QTest::addColumn<QPointF>("onTheDisc");
    QTest::newRow("check") << SymbolFactory(symbols::checkmarkCircleFill) << QPointF(7.1, 10.3)
                           << QPointF(8, 3.5);
    QTest::newRow("cross") << SymbolFactory(symbols::xmarkCircleFill) << QPointF(8, 8)
                           << QPointF(8, 3.5);
}

void TestDrawnPictures::aMarkIsCutOutOfItsDisc()
{
    QFETCH(SymbolFactory, symbol);
    QFETCH(QPointF, onTheMark);
    QFETCH(QPointF, onTheDisc);
    const int side = 64;
    const QImage image = symbol(QColor(0x1a, 0x7f, 0x37)).pixmap(QSize(side, side), 1.0).toImage();
    // Whatever lies beneath shows through the mark, in light and dark
    // themes alike.
    QCOMPARE(qAlpha(image.pixel(scaled(onTheMark, side))), 0);
    const QRgb disc = image.pixel(scaled(onTheDisc, side));
    QCOMPARE(qAlpha(disc), 255);
    QCOMPARE(QColor(disc), QColor(0x1a, 0x7f, 0x37));
}

void TestDrawnPictures::eachIconKeepsItsOwnColour()
{
    // A theme change makes new icons in new colours; none may show an
    // older one's picture.
    for (const QColor& colour : {QColor(Qt::red), QColor(Qt::blue), QColor(Qt::red)}) {
        const QIcon icon = symbols::checkmarkCircleFill(colour);
        const QImage image = icon.pixmap(QSize(32, 32), 1.0).toImage();
        QCOMPARE(QColor(image.pixel(scaled({8, 3.5}, 32))), colour);
    }
}

void TestDrawnPictures::aDisabledSymbolLooksDisabled()
{
    const QIcon icon = symbols::squareAndArrowDown(Qt::black);
    const QImage normal = icon.pixmap(QSize(32, 32), 1.0, QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(QSize(32, 32), 1.0, QIcon::Disabled).toImage();
    QCOMPARE(disabled.size(), normal.size());
    QVERIFY(disabled != normal);
}

void TestDrawnPictures::afterFirstPaintWaitsForThePaint()
{
    QWidget window;
    new QLabel(QStringLiteral("Profiles"), &window);
    window.resize(200, 100);
    int calls = 0;
    bool paintedBefore = false;
    first_paint::afterFirstPaint(window, [&] {
        ++calls;
        paintedBefore = window.isVisible();
    });
    QTest::qWait(50);
    QCOMPARE(calls, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(calls, 1);
    QVERIFY(paintedBefore);
    // Later paints call nothing.
    window.repaint();
    window.update();
    QTest::qWait(50);
    QCOMPARE(calls, 1);
}

QTEST_MAIN(TestDrawnPictures)
#include "tst_drawnpictures.moc"
