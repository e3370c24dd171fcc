// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
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
    // Each cursor reads out its x, its sample and the curve's value there.
    EXPECT_EQ(chart->cursorReadout(0), QStringLiteral("20.000000 (40); 20.000000"));
    EXPECT_EQ(chart->cursorReadout(1), QStringLiteral("30.000000 (60); 30.000000"));
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

TEST_F(ChartFixture, SavePictureAsksForTheFileAndTellsWhereItWent) {
    test::TempDir dir;
    QString answer;
    QString proposed;
    QStringList told;
    chart->askPicturePath = [&](const QString&, const QString& p) {
        proposed = p;
        return answer;
    };
    chart->tell = [&](const QString& text, bool information) {
        told << (information ? QStringLiteral("i:") : QStringLiteral("w:")) + text;
    };
    struct Case {
        std::string answer;  // "" = Cancel
        bool written;
        const char* format;  // of the written file
    } cases[] = {{"", false, nullptr},
                 {"chart.png", true, "png"},
                 {"chart.svg", true, "svg"},
                 {"no/dir/chart.svg", false, nullptr}};
    for (const Case& c : cases) {
        told.clear();
        answer = c.answer.empty() ? QString() : QString::fromStdString(dir.file(c.answer));
        click(chart->pictureButton().rect().center());
        // The proposal is a name after the time of day in the working directory; nothing is written there.
        EXPECT_TRUE(
            QFileInfo(proposed).fileName().contains(QRegularExpression(QStringLiteral("^[0-9]{8}\\.svg$"))));
        EXPECT_FALSE(QFileInfo::exists(proposed));
        if (c.answer.empty()) {
            EXPECT_TRUE(told.isEmpty());
            continue;
        }
        EXPECT_EQ(QFileInfo::exists(answer), c.written) << c.answer;
        ASSERT_EQ(told.size(), 1) << c.answer;
        EXPECT_TRUE(told[0].startsWith(c.written ? QStringLiteral("i:") : QStringLiteral("w:")));
        EXPECT_TRUE(told[0].contains(c.answer.c_str())) << told[0].toStdString();
        if (c.format) {
            QFile f(answer);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QByteArray head = f.read(8);
            EXPECT_EQ(head.startsWith("\x89PNG"), std::string(c.format) == "png") << c.answer;
        }
    }
}

TEST_F(ChartFixture, TextHeaderNamesTheAxisAndTheCurves) {
    chart->SetTitles(QStringLiteral("T[sec]"), QStringLiteral("L[dB]"));
    chart->SetCurves({Curve{{1.0, 2.0, 3.0}, kCurveColour, QStringLiteral("L[dB]")}});
    ASSERT_TRUE(bar->SetView(0, 2));
    EXPECT_TRUE(chart->TextTable().startsWith(QStringLiteral("T[sec]\tL[dB]\n0\t1\t\n")));
}

TEST_F(ChartFixture, MarkersAreDrawnInsideTheShownWindowOnly) {
    chart->SetMarkers({Marker{10.0, QStringLiteral("M1")}, Marker{45.0, QStringLiteral("M2")}});
    ASSERT_TRUE(bar->SetView(0, 60));  // x 0 .. 29.5
    const QImage& image = window.frame();
    const qreal dpr = image.devicePixelRatio();
    auto colourAt = [&](double x) {
        const QPoint p(chart->xMap().pixelOf(x), chart->plotArea().bottom() - 3);
        return image.pixelColor(p * dpr);
    };
    EXPECT_EQ(colourAt(10.0), chart->markerColour);
    EXPECT_NE(colourAt(20.0), chart->markerColour);
    EXPECT_EQ(chart->markers().size(), 2u);
}

// Records taken at their own times: the x values are uneven, the labels are clock times, a click picks
// the nearest record and "Zoom into hole" spans the records between the cursors.
TEST(PlotElements, UnevenSamplesOnAClockAxis) {
    PlotWindow window;
    window.resize(700, 440);
    auto& chart = window.Add<LineChart>(QRect(0, 0, 700, 390));
    auto& bar = window.Add<ScrollZoomBar>(QRect(0, 400, 400, 26));
    const std::vector<double> xs = {0.0, 60.0, 130.0, 600.0, 1800.0};
    chart.SetCurves({Curve{{50.0, 51.0, 52.0, 53.0, 54.0}, kCurveColour, QStringLiteral("L")}});
    chart.SetXValues(xs);
    chart.SetClockOrigin(int64_t{20788} * 86400 + 9 * 3600);  // 2026-12-01 09:00:00
    bar.Attach(chart);
    bar.SetDataRange(0, 4, 0.0, 1.0);
    ASSERT_TRUE(bar.ZoomFull());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QStringList labels = chart.xTickLabels();
    ASSERT_GE(labels.size(), 2);
    EXPECT_EQ(labels.front(), QStringLiteral("09:00:00"));
    EXPECT_EQ(labels.back(), QStringLiteral("09:30:00"));
    EXPECT_DOUBLE_EQ(chart.xOf(3), 600.0);
    // A click a little right of 09:02:10 takes the record taken then.
    const QPoint near(chart.xMap().pixelOf(160.0), chart.plotArea().center().y());
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, near);
    EXPECT_EQ(chart.cursorSample(0), 2);
    EXPECT_EQ(chart.cursorReadout(0), QStringLiteral("01.12 09:02:10; 52.000000"));
    chart.SetCursor(1, 3);
    ASSERT_TRUE(bar.ZoomIntoHole());
    EXPECT_EQ(chart.visibleFirst(), 2);
    EXPECT_EQ(chart.visibleLast(), 4);
    // Without the origin the same axis is labelled in seconds.
    chart.SetClockOrigin(std::nullopt);
    EXPECT_FALSE(chart.xTickLabels().join(' ').contains(QLatin1Char(':')));
    EXPECT_EQ(chart.cursorReadout(0), QStringLiteral("130.000000; 52.000000"));
}

// A spectrum of 4097 bins 6 Hz apart (0 Hz to 24.576 kHz) on a logarithmic frequency axis: decades take
// equal widths, the 0 Hz bin is left out, the low bins far apart are joined, and clicks find the bin under
// the pointer.
// A chart with a legend names the curves it draws: not an unnamed one, nor a fit line without values;
// a chart without the option has none.
TEST(PlotElements, LegendNamesTheCurvesDrawn) {
    PlotWindow window;
    window.resize(500, 300);
    auto& chart = window.Add<LineChart>(QRect(0, 0, 500, 300), 6, LineChart::ShowLegend);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    chart.SetCurves({Curve{{0.0, -10.0, -20.0}, kCurveColour, QStringLiteral("Decay")},
                     Curve{{nan, -9.0, -19.0}, Qt::green, QStringLiteral("T20")},
                     Curve{{nan, nan, nan}, Qt::red, QStringLiteral("T30")},
                     Curve{{-30.0, -30.0, -30.0}, Qt::gray, QString()}});
    chart.SetYRange(-40.0, 5.0);
    chart.Render(0, 2, 0.0, 0.001);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(chart.legendEntries(), (QStringList{QStringLiteral("Decay"), QStringLiteral("T20")}));
    auto& plain = window.Add<LineChart>(QRect(0, 0, 500, 300));
    plain.SetCurves({Curve{{1.0}, kCurveColour, QStringLiteral("Decay")}});
    EXPECT_TRUE(plain.legendEntries().isEmpty());
}

TEST(PlotElements, LogarithmicFrequencyAxis) {
    PlotWindow window;
    window.resize(700, 440);
    auto& chart = window.Add<LineChart>(QRect(0, 0, 700, 390));
    std::vector<double> levels(4097, 10.0);
    levels[40] = 80.0;  // 240 Hz
    chart.SetCurves({Curve{levels, kCurveColour, QStringLiteral("L")}});
    chart.SetYRange(0, 100);
    chart.Render(0, 4096, 0.0, 6.0);
    chart.SetLogarithmicX(true);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QStringList labels = chart.xTickLabels();
    EXPECT_TRUE(labels.contains(QStringLiteral("100"))) << labels.join(' ').toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("1k")));
    EXPECT_TRUE(labels.contains(QStringLiteral("10k")));
    EXPECT_FALSE(labels.contains(QStringLiteral("0")));
    const AxisMap xm = chart.xMap();
    const int p100 = xm.pixelOf(chart.axisX(100.0));
    const int p1k = xm.pixelOf(chart.axisX(1000.0));
    const int p10k = xm.pixelOf(chart.axisX(10000.0));
    EXPECT_NEAR(p1k - p100, p10k - p1k, 1);
    // The axis runs from the first bin above 0 Hz (6 Hz) at the left edge to 24.576 kHz at the right one.
    EXPECT_EQ(xm.pixelOf(chart.axisX(6.0)), chart.plotArea().left());
    EXPECT_EQ(xm.pixelOf(chart.axisX(24576.0)), chart.plotArea().right());
    // More bins than pixels are drawn a pixel column at a time; the first columns, 6 and 12 Hz, lie far
    // apart and the line between them is whole.
    const int y10 = chart.yMap().pixelOf(10.0);
    ASSERT_GT(xm.pixelOf(chart.axisX(12.0)) - xm.pixelOf(chart.axisX(6.0)), 20);
    for (double f : {7.0, 8.5, 10.0})
        EXPECT_TRUE(colourNear(window.frame(), QPoint(xm.pixelOf(chart.axisX(f)), y10), kCurveColour)) << f;
    // The peak is drawn at 240 Hz.
    const QPoint peak(xm.pixelOf(chart.axisX(240.0)), chart.yMap().pixelOf(80.0));
    EXPECT_TRUE(colourNear(window.frame(), peak, kCurveColour));
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier,
                      QPoint(peak.x(), chart.plotArea().center().y()));
    EXPECT_EQ(chart.cursorSample(0), 40);
    EXPECT_EQ(chart.cursorReadout(0), QStringLiteral("240.000000; 80.000000"));

    // Back on a linear axis the ticks are even again and start at 0.
    chart.SetLogarithmicX(false);
    EXPECT_EQ(chart.xTickLabels().front(), QStringLiteral("0"));
    EXPECT_EQ(chart.xMap().pixelOf(0.0), chart.plotArea().left());
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
    // The axis titles are drawn with the chart.
    bars.SetAxisTitles(QStringLiteral("Freq band [Hz] "), QStringLiteral("Level [dB]"));
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    {
        QPainter painter(&generator);
        PlotWindow::DrawElement(bars, painter);
    }
    EXPECT_TRUE(svg.data().contains("Freq band [Hz]"));
    EXPECT_TRUE(svg.data().contains("Level [dB]"));
}

// A plot lays out its elements itself: a filled chart follows every size the plot takes, never below
// its minimum, and a layout set later takes over.
TEST(PlotWindowLayout, AFilledElementFollowsThePlotsSize) {
    PlotWindow window;
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto& chart = window.Add<LineChart>(QRect(0, 0, 10, 10), 6, 0u);
    window.Fill(chart, QSize(0, 150));
    EXPECT_EQ(chart.rect(), QRect(0, 0, 300, 200));
    window.resize(640, 100);
    EXPECT_EQ(chart.rect(), QRect(0, 0, 640, 150));
    window.SetLayout(
        [&chart](QSize size) { chart.setRect(QRect(0, 20, size.width() / 2, size.height() - 20)); });
    EXPECT_EQ(chart.rect(), QRect(0, 20, 320, 80));
    window.resize(400, 220);
    EXPECT_EQ(chart.rect(), QRect(0, 20, 200, 200));
}

}  // namespace
}  // namespace k470::plot
