// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window/tool_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <functional>
#include <map>

#include "frame/commands.h"

namespace k470::app {

namespace {

using Draw = std::function<void(QPainter&)>;

// Draws a picture given on a 16 x 16 grid at any size the icon is asked for.
class DrawnIconEngine : public QIconEngine {
  public:
    explicit DrawnIconEngine(Draw draw) : draw_(std::move(draw)) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        if (mode == QIcon::Disabled) painter->setOpacity(0.35);
        draw_(*painter);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        QPixmap pm = pixmap((QSizeF(size) * scale).toSize(), mode, state);
        pm.setDevicePixelRatio(scale);
        return pm;
    }
    QIconEngine* clone() const override { return new DrawnIconEngine(draw_); }

  private:
    Draw draw_;
};

QIcon drawn(Draw draw) {
    return QIcon(new DrawnIconEngine(std::move(draw)));
}

const QColor kInk(0x30, 0x30, 0x38);
const QColor kPaper(0xFA, 0xFA, 0xF5);
const QColor kBlue(0x2F, 0x6F, 0xC0);
const QColor kGreen(0x2E, 0x9A, 0x48);
const QColor kRed(0xC8, 0x32, 0x2E);
const QColor kYellow(0xF0, 0xC0, 0x40);

QPen ink(qreal width = 1.0, QColor c = kInk) {
    QPen p(c, width);
    p.setJoinStyle(Qt::RoundJoin);
    p.setCapStyle(Qt::RoundCap);
    return p;
}

void page(QPainter& p, qreal left = 3, qreal right = 13) {
    QPainterPath path;
    path.moveTo(left, 1.5);
    path.lineTo(right - 3, 1.5);
    path.lineTo(right, 4.5);
    path.lineTo(right, 14.5);
    path.lineTo(left, 14.5);
    path.closeSubpath();
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawPath(path);
}

void lines(QPainter& p, qreal left, qreal right, std::initializer_list<qreal> ys) {
    p.setPen(ink(1.0, QColor(0x70, 0x70, 0x80)));
    for (qreal y : ys) p.drawLine(QPointF(left, y), QPointF(right, y));
}

}  // namespace

namespace {

void drawOpen(QPainter& p) {
    p.setPen(ink());
    p.setBrush(kYellow.darker(115));
    p.drawRect(QRectF(1.5, 3.5, 12, 10));
    p.setBrush(kYellow);
    QPolygonF front{{3.5, 6.5}, {15, 6.5}, {13, 13.5}, {1.5, 13.5}};
    p.drawPolygon(front);
}

void drawCopyToClipboard(QPainter& p) {
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 1.5, 8, 10));
    p.drawRect(QRectF(6.5, 4.5, 8, 10));
    lines(p, 8.5, 12.5, {7.5, 9.5, 11.5});
}

void drawNotepad(QPainter& p) {
    page(p, 2.5, 13.5);
    lines(p, 4.5, 11.5, {6.5, 8.5, 10.5, 12.5});
    p.setPen(ink(1.6, kBlue));
    p.drawLine(QPointF(9, 11), QPointF(15, 3));
}

void drawSaveAsText(QPainter& p) {
    page(p);
    p.setPen(ink(1.4, kBlue));
    p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 5.5));
    p.drawLine(QPointF(8, 5.5), QPointF(8, 12));
    lines(p, 5, 11, {13});
}

void drawSaveAsBinary(QPainter& p) {
    p.setPen(ink());
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 1.5, 8, 5));
    p.drawRect(QRectF(3.5, 9, 9, 5.5));
    p.setPen(ink(1.0, kInk));
    p.setFont(QFont(QStringLiteral("Sans"), 1));
    QFont f = p.font();
    f.setPixelSize(5);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(3.5, 9, 9, 5.5), Qt::AlignCenter, QStringLiteral("01"));
}

void drawStartStop(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawPolygon(QPolygonF{{1.5, 2.5}, {8.5, 8}, {1.5, 13.5}});
    p.setBrush(kRed);
    p.drawRect(QRectF(9.5, 3.5, 5.5, 9));
}

void drawReset(QPainter& p) {
    p.setPen(ink(1.8, kBlue));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 100 * 16, 290 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF{{6.5, 0.5}, {6.5, 6}, {2, 3}});
}

void drawData(QPainter& p) {
    // A hand-held meter with its display and microphone.
    p.setPen(ink());
    p.setBrush(QColor(0x50, 0x58, 0x60));
    p.drawRoundedRect(QRectF(4.5, 4.5, 7, 11), 1.5, 1.5);
    p.setBrush(QColor(0xB8, 0xE0, 0xB0));
    p.drawRect(QRectF(5.5, 6, 5, 3.5));
    p.setBrush(kInk);
    p.drawEllipse(QRectF(6, 0.5, 4, 4));
}

void drawSignal(QPainter& p) {
    QPainterPath path;
    path.moveTo(1, 8);
    for (int i = 1; i <= 28; ++i) path.lineTo(1 + i * 0.5, 8 - 5.5 * std::sin(i * 0.5));
    p.setPen(ink(1.5, kBlue));
    p.drawPath(path);
    p.setPen(ink(0.8));
    p.drawLine(QPointF(1, 8), QPointF(15, 8));
}

void drawFft(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    const qreal heights[] = {5, 11, 8, 13, 6, 3};
    for (int i = 0; i < 6; ++i) p.drawRect(QRectF(1.5 + i * 2.3, 15 - heights[i], 1.8, heights[i]));
    p.setPen(ink(0.8));
    p.drawLine(QPointF(1, 15), QPointF(15, 15));
}

void drawRt60(QPainter& p) {
    QPainterPath path;
    path.moveTo(2, 2.5);
    path.lineTo(4, 2.5);
    path.cubicTo(7, 10, 9, 12.5, 14.5, 13);
    p.setPen(ink(1.5, kRed));
    p.drawPath(path);
    p.setPen(ink(0.8));
    p.drawLine(QPointF(1.5, 1), QPointF(1.5, 14.5));
    p.drawLine(QPointF(1.5, 14.5), QPointF(15, 14.5));
}

}  // namespace

QIcon ToolIcon(Command id) {
    static const std::map<Command, void (*)(QPainter&)> pictures = {
        {Command::Open, drawOpen},
        {Command::CopyToClipboard, drawCopyToClipboard},
        {Command::Notepad, drawNotepad},
        {Command::SaveAsText, drawSaveAsText},
        {Command::SaveAsBinary, drawSaveAsBinary},
        {Command::StartStop, drawStartStop},
        {Command::Reset, drawReset},
        {Command::Data, drawData},
        {Command::Signal, drawSignal},
        {Command::Fft, drawFft},
        {Command::Rt60, drawRt60},
    };
    const auto it = pictures.find(id);
    return it == pictures.end() ? QIcon() : drawn(it->second);
}

QIcon ApplicationIcon() {
    return drawn([](QPainter& p) {
        p.setPen(ink(0.8));
        p.setBrush(QColor(0x26, 0x3A, 0x52));
        p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
        // Dial of a level meter with the pointer in the upper range.
        p.setPen(ink(1.3, kPaper));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 4, 11, 11), 20 * 16, 140 * 16);
        p.setPen(ink(1.3, kRed));
        p.drawArc(QRectF(2.5, 4, 11, 11), 20 * 16, 35 * 16);
        p.setPen(ink(1.4, kYellow));
        p.drawLine(QPointF(8, 11), QPointF(12, 5.5));
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(8, 11), 1.3, 1.3);
    });
}

}  // namespace k470::app
