#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>
#include <QWheelEvent>

#include "plot/bar_chart.h"
#include "plot/line_chart.h"
#include "plot/plot_button.h"
#include "plot/plot_check_box.h"
#include "plot/plot_label.h"
#include "plot/plot_window.h"
#include "plot/scroll_zoom_bar.h"
#include "support/temp_dir.h"

namespace k470::plot {
namespace {

const QColor kCurveColour(0x00, 0x00, 0xFF);

// A plot with a chart of 100 samples (value i/2 at x = i/2) over a scroll-and-zoom bar, showing all of it.
class ChartFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        window.resize(700, 440);
        chart = &window.Add<LineChart>(QRect(0, 0, 700, 390), 6, LineChart::ShowCursorSample);
        bar = &window.Add<ScrollZoomBar>(QRect(0, 400, 400, 26));
        std::vector<double> values(100);
        for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<double>(i) / 2;
        chart->SetCurves({Curve{values, kCurveColour, QStringLiteral("level")}});
        chart->SetYRange(0, 50);
        bar->Attach(*chart);
        bar->SetDataRange(0, 99, 0.0, 0.5);
        ASSERT_TRUE(bar->ZoomFull());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void click(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(&window, button, Qt::NoModifier, pos);
    }
    QPoint samplePoint(int64_t sample) const {
        return {chart->xMap().pixelOf(chart->xOf(sample)), chart->plotArea().center().y()};
    }
    void send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(pos), window.mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&window, &e);
    }

    PlotWindow window;
    LineChart* chart = nullptr;
    ScrollZoomBar* bar = nullptr;
};

bool colourNear(const QImage& image, QPoint p, QColor colour) {
    const qreal dpr = image.devicePixelRatio();
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.pixelColor(QPoint(qRound((p.x() + dx) * dpr), qRound((p.y() + dy) * dpr))) == colour)
                return true;
    return false;
}

TEST_F(ChartFixture, CurveIsDrawnWhereTheAxesMapItsValues) {
    const QImage& image = window.frame();
    for (int64_t i : {10, 50, 90}) {
        const QPoint p(chart->xMap().pixelOf(chart->xOf(i)),
                       chart->yMap().pixelOf(static_cast<double>(i) / 2));
        EXPECT_TRUE(colourNear(image, p, kCurveColour)) << i;
    }
    // Far from the diagonal there is no curve.
    const QPoint off(chart->xMap().pixelOf(chart->xOf(90)), chart->yMap().pixelOf(5.0));
    EXPECT_FALSE(colourNear(image, off, kCurveColour));
}

TEST_F(ChartFixture, ScrollZoomButtonsMoveTheChartWindow) {
    // The buttons that the bar and the chart create are drawn above them (the bars of "||" are black).
    EXPECT_TRUE(colourNear(window.frame(), bar->button(5).rect().center() + QPoint(-3, 0), Qt::black));
    EXPECT_TRUE(window.frame().rect().contains(chart->originButton().rect().center()));
    EXPECT_EQ(chart->visibleFirst(), 0);
    EXPECT_EQ(chart->visibleLast(), 99);
    click(bar->button(4).rect().center());  // "+": n = 99/4 + 1 = 25, 50 samples from 49 - 25 + 1
    EXPECT_EQ(chart->visibleFirst(), 25);
    EXPECT_EQ(chart->visibleLast(), 74);
    click(bar->button(1).rect().center());  // ">": + 49/9 + 1
    EXPECT_EQ(chart->visibleFirst(), 31);
    click(bar->button(2).rect().center());  // "<<": - 49/3 - 1
    EXPECT_EQ(chart->visibleFirst(), 14);
    click(bar->button(7).rect().center());  // "F"
    EXPECT_EQ(chart->visibleFirst(), 0);
    EXPECT_EQ(chart->visibleLast(), 99);
    EXPECT_EQ(bar->button(0).ToolTipAt({}), QStringLiteral("Small shift left"));
    EXPECT_EQ(bar->button(5).ToolTipAt({}), QStringLiteral("Zoom into hole"));
    EXPECT_EQ(bar->button(7).ToolTipAt({}), QStringLiteral("Zoom to full scale"));
}

TEST_F(ChartFixture, CursorsFromClicksZoomIntoHoleAndReturnToOrigin) {
    EXPECT_FALSE(chart->cursorVisible(0));
    click(samplePoint(40));
    click(samplePoint(60), Qt::RightButton);
    ASSERT_TRUE(chart->cursorVisible(0) && chart->cursorVisible(1));
    EXPECT_EQ(chart->cursorSample(0), 40);
    EXPECT_EQ(chart->cursorSample(1), 60);
    EXPECT_EQ(chart->cursorReadout(0), QStringLiteral("20.000000 (40)"));
    EXPECT_EQ(chart->cursorPairReadout(), QStringLiteral("10.000000 (20, 30)   21 points"));
    click(bar->button(5).rect().center());  // positions 40 and 60: samples 40..61
    EXPECT_EQ(chart->visibleFirst(), 40);
    EXPECT_EQ(chart->visibleLast(), 61);
    click(chart->originButton().rect().center());
    EXPECT_EQ(chart->cursorSample(0), 40);
    EXPECT_EQ(chart->cursorSample(1), 61);
}

TEST_F(ChartFixture, WheelZoomsAndDragMovesTheWindow) {
    const QPoint middle = chart->plotArea().center();
    QWheelEvent in(QPointF(middle), window.mapToGlobal(QPointF(middle)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&window, &in);
    EXPECT_EQ(chart->visibleFirst(), 25);
    EXPECT_EQ(chart->visibleLast(), 74);
    // Dragging to the left by a fifth of the plot shows later samples; no cursor is placed by a drag.
    const int fifth = chart->plotArea().width() / 5;
    send(QEvent::MouseButtonPress, middle, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, middle - QPoint(fifth, 0), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, middle - QPoint(fifth, 0), Qt::LeftButton, Qt::NoButton);
    EXPECT_GT(chart->visibleFirst(), 25 + 5);
    EXPECT_EQ(chart->visibleLast() - chart->visibleFirst(), 49);
    EXPECT_FALSE(chart->cursorVisible(0));
}

TEST_F(ChartFixture, KeysMoveAndZoomTheWindow) {
    QTest::keyClick(&window, Qt::Key_Plus);  // as "+": 25..74
    EXPECT_EQ(chart->visibleFirst(), 25);
    QTest::keyClick(&window, Qt::Key_Right);  // as ">": + 49/9 + 1
    EXPECT_EQ(chart->visibleFirst(), 31);
    QTest::keyClick(&window, Qt::Key_PageUp);  // as "<<": - 49/3 - 1
    EXPECT_EQ(chart->visibleFirst(), 14);
    QTest::keyClick(&window, Qt::Key_Home);
    EXPECT_EQ(chart->visibleFirst(), 0);
    EXPECT_EQ(chart->visibleLast(), 99);
}

TEST_F(ChartFixture, UnusableValueRangesStillGiveAnAxis) {
    chart->SetYRange(5.0, std::numeric_limits<double>::infinity());
    EXPECT_EQ(chart->yMap().pixelOf(5.0), chart->plotArea().bottom());
    EXPECT_EQ(chart->yMap().pixelOf(6.0), chart->plotArea().top());
    chart->SetYRange(std::nan(""), 3.0);
    EXPECT_EQ(chart->yMap().pixelOf(0.0), chart->plotArea().bottom());
    EXPECT_GE(chart->yTicks().count(), 2);
    window.frame();  // draws without trouble
}

TEST_F(ChartFixture, PointerReadoutShowsTheValuesUnderTheMouse) {
    QPoint p = samplePoint(20);
    p.setY(chart->yMap().pixelOf(25.0));
    send(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
    EXPECT_TRUE(chart->pointerReadout().startsWith(QStringLiteral("x: 10.000000")));
    EXPECT_TRUE(chart->pointerReadout().contains(QStringLiteral("y: 2")))
        << chart->pointerReadout().toStdString();
}

TEST_F(ChartFixture, PicturesAreWrittenAsSvgOrPngAndFailuresLeaveNothing) {
    test::TempDir dir;
    const QString svg = QString::fromStdString(dir.file("chart.svg"));
    const QString png = QString::fromStdString(dir.file("chart.PNG"));
    ASSERT_TRUE(chart->SavePicture(svg).ok());
    ASSERT_TRUE(chart->SavePicture(png).ok());
    QFile f(svg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("<svg"));
    EXPECT_TRUE(text.contains("viewBox=\"0 0 700 390\""));
    QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), qRound(700 * window.devicePixelRatioF()));
    const QString missing = QString::fromStdString(dir.file("no/such/dir/chart.svg"));
    Status s = chart->SavePicture(missing);
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.error().message.find("no/such/dir/chart.svg"), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(ChartFixture, TextTableHoldsTheVisibleSamples) {
    ASSERT_TRUE(bar->SetView(98, 2));
    const QString expected = QStringLiteral("x\tlevel\n49\t49\t\n49.5\t49.5\t\n");
    EXPECT_EQ(chart->TextTable(), expected);
    test::TempDir dir;
    const QString path = QString::fromStdString(dir.file("table.txt"));
    ASSERT_TRUE(chart->SaveText(path).ok());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), expected);
    // Ctrl+C puts the same table on the clipboard.
    send(QEvent::MouseMove, chart->plotArea().center(), Qt::NoButton, Qt::NoButton);
    QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
}

TEST_F(ChartFixture, ScreenshotIsABitmapNamedAfterTheTime) {
    test::TempDir dir;
    const QString path = window.SaveScreenshot(QString::fromStdString(dir.path()));
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(QFileInfo(path).fileName().contains(QRegularExpression(QStringLiteral("^[0-9]{8}\\.bmp$"))));
    QImage image(path);
    EXPECT_EQ(image.size(), window.frame().size());
    EXPECT_TRUE(window.SaveScreenshot(QString::fromStdString(dir.file("missing/dir"))).isEmpty());
}

TEST(PlotElements, ButtonCheckBoxAndLabel) {
    PlotWindow window;
    window.resize(300, 100);
    int clicks = 0;
    auto& button =
        window.Add<PlotButton>(QRect(10, 10, 80, 24), QStringLiteral("Go"), QStringLiteral("Go on"));
    button.onClicked = [&] { ++clicks; };
    auto& box = window.Add<PlotCheckBox>(QRect(100, 10, 120, 24), QStringLiteral("Linear"));
    auto& label = window.Add<PlotLabel>(QRect(10, 50, 200, 20), QStringLiteral("Leq"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, QPoint(50, 20));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button.Clicked());
    EXPECT_FALSE(button.Clicked());  // once per click
    // Pressed on the button but released elsewhere: no click.
    QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, QPoint(50, 20));
    QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, QPoint(250, 80));
    EXPECT_EQ(clicks, 1);

    bool toggled = false;
    box.onToggled = [&](bool on) { toggled = on; };
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, box.boxRect().center());
    EXPECT_TRUE(box.isChecked());
    EXPECT_TRUE(toggled);
    // The checked box is filled with its checked colour.
    const QImage& image = window.frame();
    EXPECT_EQ(image.pixelColor((box.boxRect().center() * image.devicePixelRatio())), box.checkedColour);
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, box.boxRect().center());
    EXPECT_FALSE(box.isChecked());

    label.setText(QStringLiteral("Lmax"));
    EXPECT_EQ(label.ClipboardText(), QStringLiteral("Lmax"));
}

TEST(PlotElements, BarChartFitsItsRangeAndDrawsBarsToTheirValues) {
    PlotWindow window;
    window.resize(400, 300);
    auto& bars = window.Add<BarChart>(QRect(0, 0, 400, 300));
    bars.SetBands({10.0, 40.0, 25.5}, true);
    bars.SetBandLabels({QStringLiteral("63"), QStringLiteral("125"), QStringLiteral("250")});
    EXPECT_DOUBLE_EQ(bars.lo(), 0.0);
    EXPECT_DOUBLE_EQ(bars.hi(), 44.0);
    const AxisMap m = bars.valueMap();
    for (int i = 0; i < 3; ++i) {
        const QRect r = bars.barRect(i);
        EXPECT_EQ(r.top(), m.pixelOf(bars.values()[static_cast<size_t>(i)])) << i;
        EXPECT_EQ(r.bottom(), bars.plotArea().bottom()) << i;
    }
    EXPECT_TRUE(bars.barRect(0).right() < bars.barRect(1).left());
    EXPECT_EQ(bars.ClipboardText(), QStringLiteral("63\t10.00\n125\t40.00\n250\t25.50\n"));
    const QImage& image = window.frame();
    const QPoint inside = bars.barRect(1).center() * image.devicePixelRatio();
    EXPECT_EQ(image.pixelColor(inside), bars.barColour);
    // A fixed range clips bars at the top; values at or below the bottom get no bar.
    bars.SetValueRange(20.0, 30.0);
    EXPECT_TRUE(bars.barRect(0).isEmpty());
    EXPECT_EQ(bars.barRect(1).top(), bars.plotArea().top());
}

}  // namespace
}  // namespace k470::plot
