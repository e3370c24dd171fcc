// SPDX-License-Identifier: GPL-3.0-or-later
// A plot: a child widget that owns drawable elements (buttons, check boxes, labels, charts, scroll-and-zoom
// bars) and draws them into a back-buffer image, which reaches the screen in one copy per frame. Only
// dirty elements are drawn again (with the elements above them). It forwards mouse and keyboard input to
// the elements, shows their tool tips, saves screenshots and copies an element's text to the clipboard.
#pragma once

#include <QFont>
#include <QImage>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "plot/plot_element.h"

namespace k470::plot {

enum class PlotFont { Title, Normal, Bold, VerticalTitle, BoldSmall };

class PlotWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PlotWindow(QWidget* parent = nullptr);
    ~PlotWindow() override;

    // Creates an element of type T (constructed with this window and args), appended to the drawing order.
    // Elements that an element creates in its constructor (its buttons) come after it, so they are drawn
    // on top of it and take the mouse first.
    template <class T, class... Args>
    T& Add(Args&&... args) {
        const size_t place = elements_.size();
        auto element = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T& ref = *element;
        elements_.insert(elements_.begin() + static_cast<std::ptrdiff_t>(place), std::move(element));
        scheduleRedraw();
        return ref;
    }
    const std::vector<std::unique_ptr<PlotElement>>& elements() const { return elements_; }

    QFont font(PlotFont which) const;

    // The current frame, drawn up to date.
    const QImage& frame();
    // Saves the frame as a bitmap named after the day, hour, minute and second into directory; returns the
    // file's path, or an empty string when it could not be written.
    QString SaveScreenshot(const QString& directory);
    // Places the text of the element under the mouse (or else the first element that has one) on the
    // clipboard; returns whether there was text.
    bool CopyToClipboard();

    // Lays out the elements now and whenever the plot's size changes; layout gets the plot's size.
    void SetLayout(std::function<void(QSize)> layout);
    // The element fills the whole plot, at least minimum in each direction.
    void Fill(PlotElement& element, QSize minimum = QSize(0, 0));

    void scheduleRedraw();
    void invalidateArea(QRect area);
    // Draws one element completely (frame, contents, text) into any painter.
    static void DrawElement(PlotElement& element, QPainter& painter);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void renderDirty();
    PlotElement* elementAt(QPoint pos) const;

    std::vector<std::unique_ptr<PlotElement>> elements_;
    std::function<void(QSize)> layout_;
    QImage buffer_;
    bool fullRedraw_ = true;
    QRect invalid_;
    PlotElement* grabber_ = nullptr;  // the element that took the last mouse press
    QPoint lastMouse_;
    QColor background_ = QColor(0xC0, 0xC0, 0xC0);
};

}  // namespace k470::plot
