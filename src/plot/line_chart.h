// SPDX-License-Identifier: GPL-3.0-or-later
// A line chart: axes with ticks and labels, a grid, curves over a window of sample indices, two cursors
// with their readouts (x and the first curve's value), a readout of the value under the pointer, named
// markers, and buttons to put the cursors back and to save the chart as a picture (SVG or PNG, asked for
// with a save dialog) or its data as a text table. The x axis is either even (x0 + i * xStep) or given
// per sample, and its labels are numbers or, with a clock origin, the time of day. Left click places cursor
// 1, right click cursor 2; the wheel zooms and a left drag moves the window of an attached ScrollZoomBar, as
// do the keys: Left/Right small shifts, Page Up/Page Down large shifts, +/- zoom, Home the whole data.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "base/result.h"
#include "plot/axis_map.h"
#include "plot/axis_ticks.h"
#include "plot/clock_ticks.h"
#include "plot/plot_element.h"

namespace k470::plot {

class PlotButton;
class ScrollZoomBar;

struct Curve {
    std::vector<double> values;  // one value per sample index
    QColor colour = Qt::blue;
    QString name;
};

// A named place on the x axis, drawn as a vertical line with its name at the top.
struct Marker {
    double x = 0.0;
    QString name;
};

class LineChart : public PlotElement {
  public:
    enum Option : unsigned {
        ShowCursorSample = 0x1,  // the cursor readouts carry the sample number
        ShowLegend = 0x2,        // a legend in the plot's top right corner names the curves drawn
    };

    LineChart(PlotWindow& window, QRect rect, int digitBudget = 6, unsigned options = 0);

    void SetCurves(std::vector<Curve> curves);
    const std::vector<Curve>& curves() const { return curves_; }
    int64_t sampleCount() const;
    void SetYRange(double lo, double hi);
    // The axis titles; the x column of the text table is headed xColumnTitle, or else the x title.
    void SetTitles(QString xTitle, QString yTitle, QString xColumnTitle = {});
    // The x value of every sample, rising (uneven samples, such as records taken at their own times);
    // empty for an even axis. Render's x0 and xStep then only place the scroll-and-zoom bar's window.
    void SetXValues(std::vector<double> xs);
    // With an origin (clock seconds of x = 0, see ClockSeconds) the x labels are clock times; without,
    // numbers.
    void SetClockOrigin(std::optional<int64_t> origin);
    // A logarithmic x axis (ticks at 1, 2, 5 times the powers of ten); samples at x <= 0 are not drawn
    // and the axis starts at the first positive sample shown.
    void SetLogarithmicX(bool on);
    bool logarithmicX() const { return logX_; }
    // Where an x value lies on the axis (what xMap() maps): the value itself, or its logarithm on a
    // logarithmic axis (minus infinity for x <= 0).
    double axisX(double x) const;
    std::optional<int64_t> clockOrigin() const { return clockOrigin_; }
    void SetMarkers(std::vector<Marker> markers);
    const std::vector<Marker>& markers() const { return markers_; }
    // Shows samples first..last, sample 0 at x0 and xStep apart.
    void Render(int64_t first, int64_t last, double x0, double xStep);

    int64_t visibleFirst() const { return first_; }
    int64_t visibleLast() const { return last_; }
    double xOf(int64_t sample) const;
    // The x labels as they are drawn, left to right.
    QStringList xTickLabels() const;

    // Cursor 0 or 1: placed on a sample (and shown), or hidden.
    void SetCursor(int which, int64_t sample);
    void HideCursors();
    bool cursorVisible(int which) const { return cursors_[index(which)].visible; }
    int64_t cursorSample(int which) const { return cursors_[index(which)].sample; }
    // The x value of a cursor; 0 when it is not shown.
    double cursorX(int which) const;
    // Puts cursor 1 on the first and cursor 2 on the last visible sample.
    void SetCursorsToOrigin();

    // The names in the legend, in the curves' order: the named curves with something to draw (a fit
    // line that has no values stays out); empty without ShowLegend.
    QStringList legendEntries() const;

    // The readout texts as they are drawn.
    QString pointerReadout() const { return pointerReadout_; }
    QString cursorReadout(int which) const;
    QString cursorPairReadout() const;

    // Writes the chart as a picture: PNG for a ".png" name, SVG otherwise. The file appears complete or
    // not at all.
    Status SavePicture(const QString& path);
    // "Save picture": asks for the file (proposing a name after the time of day in the current
    // directory), writes it and tells where it went, or what failed.
    void SavePictureAsked();
    // Writes the visible data as a tab-separated table (a header line of the x title and the curve names,
    // then x and every curve per row).
    Status SaveText(const QString& path);
    QString TextTable() const;
    QString ClipboardText() const override { return TextTable(); }

    QRect plotArea() const;
    AxisMap xMap() const;
    AxisMap yMap() const;
    const AxisTicks& xTicks() const { return xTicks_; }
    const AxisTicks& yTicks() const { return yTicks_; }
    PlotButton& originButton() const { return *origin_; }
    PlotButton& pictureButton() const { return *picture_; }
    PlotButton& textButton() const { return *text_; }

    void setScrollZoomBar(ScrollZoomBar* bar) { bar_ = bar; }

    // The save dialog of "Save picture": the title and proposed path in, the chosen path out (empty for
    // Cancel). Replaceable so that a caller (or a test) decides without a modal dialog.
    std::function<QString(const QString& title, const QString& proposed)> askPicturePath;
    // Tells the user a result of "Save picture" (where it went, or the error), as an information (true) or
    // a warning (false).
    std::function<void(const QString& text, bool information)> tell;
    // Called after a cursor is placed or the cursors are hidden, so a page can offer what needs cursors.
    std::function<void()> onCursorsChanged;
    bool anyCursorVisible() const { return cursors_[0].visible || cursors_[1].visible; }

    void DrawFrame(QPainter& painter) override;
    void DrawContents(QPainter& painter) override;
    void DrawText(QPainter& painter) override;
    bool MousePress(QPoint pos, Qt::MouseButton button) override;
    bool MouseMove(QPoint pos, Qt::MouseButtons buttons) override;
    bool MouseRelease(QPoint pos, Qt::MouseButton button) override;
    bool Wheel(QPoint pos, int steps) override;
    bool Key(QKeyEvent& event) override;
    void MouseLeave() override;
    void RectChanged() override {
        layout();
        computeTicks();
    }

    QColor plotBackground = Qt::white;
    QColor gridColour = QColor(0xD0, 0xD0, 0xD0);
    std::array<QColor, 2> cursorColours = {QColor(0xC0, 0x00, 0x00), QColor(0x00, 0x70, 0x00)};
    QColor markerColour = QColor(0x90, 0x50, 0x00);

  private:
    struct Cursor {
        int64_t sample = 0;
        bool visible = false;
    };
    static size_t index(int which) { return which == 0 ? 0 : 1; }
    void layout();
    void computeTicks();
    int64_t sampleAt(int px) const;
    double curveValue(int64_t sample) const;
    // An x value in a readout: the clock time on a clock axis, else the number.
    std::string xText(double x) const;
    // The x value at the left end of the shown window (on a logarithmic axis the first positive one).
    double shownXLow() const;
    int xTickCount() const;
    double xTick(int i) const;
    QString xTickLabel(double value) const;
    void drawCurve(QPainter& painter, const Curve& curve, const AxisMap& xm, const AxisMap& ym) const;
    void drawGrid(QPainter& painter, const AxisMap& xm, const AxisMap& ym) const;
    void drawCursorsAndMarkers(QPainter& painter, const AxisMap& xm, const AxisMap& ym) const;
    void drawAxisTexts(QPainter& painter, const AxisMap& xm, const AxisMap& ym) const;
    void drawReadouts(QPainter& painter) const;
    void drawLegend(QPainter& painter) const;
    std::vector<const Curve*> legendCurves() const;
    void saveTextWithDialog();

    int digitBudget_;
    unsigned options_;
    std::vector<Curve> curves_;
    double yLo_ = 0.0;
    double yHi_ = 1.0;
    int64_t first_ = 0;
    int64_t last_ = -1;
    double x0_ = 0.0;
    double xStep_ = 1.0;
    QString xTitle_;
    QString xColumnTitle_;
    QString yTitle_;
    std::vector<double> xs_;
    std::optional<int64_t> clockOrigin_;
    bool logX_ = false;
    LogAxisTicks xLog_;
    std::vector<Marker> markers_;
    AxisTicks xTicks_;
    ClockTicks xClock_;
    AxisTicks yTicks_;
    std::array<Cursor, 2> cursors_{};
    QString pointerReadout_;
    PlotButton* origin_ = nullptr;
    PlotButton* picture_ = nullptr;
    PlotButton* text_ = nullptr;
    ScrollZoomBar* bar_ = nullptr;
    QPoint dragStart_;
    int64_t dragFirst_ = 0;
    bool dragging_ = false;
    bool leftDown_ = false;
};

}  // namespace k470::plot
