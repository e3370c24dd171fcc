// SPDX-License-Identifier: GPL-3.0-or-later
// The base of everything drawn inside a PlotWindow: a rectangle in plot pixels, colours, a visible flag
// and a needs-redraw flag. The window draws its elements in creation order (frame, contents, text) and
// offers them the mouse and the keyboard in reverse order, so an element drawn on top acts first.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

class QKeyEvent;
class QPainter;

namespace k470::plot {

class PlotWindow;

class PlotElement {
  public:
    PlotElement(PlotWindow& window, QRect rect);
    virtual ~PlotElement() = default;
    PlotElement(const PlotElement&) = delete;
    PlotElement& operator=(const PlotElement&) = delete;

    PlotWindow& window() const { return window_; }
    QRect rect() const { return rect_; }
    void setRect(QRect rect);
    bool isVisible() const { return visible_; }
    void setVisible(bool visible);
    bool isDirty() const { return dirty_; }
    // Asks the window to redraw this element with its next frame.
    void markDirty();
    void clearDirty() { dirty_ = false; }

    QColor background = QColor(0xC0, 0xC0, 0xC0);
    QColor frameLight = QColor(0xFF, 0xFF, 0xFF);
    QColor frameDark = QColor(0x80, 0x80, 0x80);

    // Drawing, in this order, into the painter of the back buffer or of a picture.
    virtual void DrawFrame(QPainter& painter);
    virtual void DrawContents(QPainter& painter) { (void)painter; }
    virtual void DrawText(QPainter& painter) { (void)painter; }

    // Input; each returns whether the element acted on it. Positions are in plot pixels.
    virtual bool MousePress(QPoint pos, Qt::MouseButton button) { return (void)pos, (void)button, false; }
    virtual bool MouseMove(QPoint pos, Qt::MouseButtons buttons) { return (void)pos, (void)buttons, false; }
    virtual bool MouseRelease(QPoint pos, Qt::MouseButton button) { return (void)pos, (void)button, false; }
    virtual bool Wheel(QPoint pos, int steps) { return (void)pos, (void)steps, false; }
    virtual bool Key(QKeyEvent& event) { return (void)event, false; }
    virtual void MouseLeave() {}

    // The tool tip at a position inside the element (empty for none).
    virtual QString ToolTipAt(QPoint pos) const { return (void)pos, QString(); }
    // Called after the rectangle changed, to lay out what depends on it.
    virtual void RectChanged() {}

    // The text this element places on the clipboard (empty for none).
    virtual QString ClipboardText() const { return {}; }

  protected:
    // A raised (or, with sunken, a pressed) 3-D frame just inside r.
    void drawBevel(QPainter& painter, QRect r, bool sunken) const;

  private:
    PlotWindow& window_;
    QRect rect_;
    bool visible_ = true;
    bool dirty_ = true;
};

}  // namespace k470::plot
