#include "F_viewpaint.h"

#include "Zvc_grid.h"
#include "Zvc_main.h"
#include "Zvc_scrollbar.h"

#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <array>

namespace views {

namespace {

QImage DrawTick(int index) {
    QImage image(kTickImageSize, kTickImageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const bool dotted = index % 2 == 1;
    const QColor ink = dotted ? kDisabledNumberColor : QColor(64, 60, 56);
    const QRect box(2, 2, 11, 11);
    p.fillRect(box, dotted ? kRowOddColor : QColor(255, 255, 255));
    QPen pen(ink, 1, dotted ? Qt::DotLine : Qt::SolidLine);
    p.setPen(pen);
    p.drawRect(box);
    p.setRenderHint(QPainter::Antialiasing, true);
    const int kind = index / 2;
    if (kind == 1) {  // tick
        QPen tick(dotted ? kDisabledNumberColor : QColor(0, 0, 0), 2);
        tick.setCapStyle(Qt::RoundCap);
        p.setPen(tick);
        const QPointF points[] = {{4.5, 7.5}, {6.8, 10.0}, {11.0, 4.5}};
        p.drawPolyline(points, 3);
    } else if (kind == 2) {  // "="
        p.setRenderHint(QPainter::Antialiasing, false);
        const QColor bar = dotted ? kDisabledNumberColor : QColor(0, 0, 0);
        p.fillRect(QRect(5, 5, 6, 2), bar);
        p.fillRect(QRect(5, 9, 6, 2), bar);
    }
    return image;
}

}  // namespace

const QImage& TickImage(int index) {
    static const std::array<QImage, 6> images = [] {
        std::array<QImage, 6> all;
        for (int i = 0; i < 6; ++i) all[static_cast<std::size_t>(i)] = DrawTick(i);
        return all;
    }();
    return images[static_cast<std::size_t>(std::clamp(index, 0, 5))];
}

QFont CellFont(bool bold) {
    return ZVCL::TahomaFont(12, bold);
}

QFont HeaderFont() {
    return ZVCL::ArialFont(12);
}

void PaintGradient(QPainter& p, const QRect& rect, const QColor& top, const QColor& bottom,
                   int bands) {
    if (rect.isEmpty() || bands <= 0) return;
    for (int i = 0; i < bands; ++i) {
        const int y0 = rect.top() + rect.height() * i / bands;
        const int y1 = rect.top() + rect.height() * (i + 1) / bands;
        if (y1 <= y0) continue;
        const auto mix = [i, bands](int a, int b) { return a + (b - a) * i / (bands - 1); };
        const QColor c(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()),
                       mix(top.blue(), bottom.blue()));
        p.fillRect(QRect(rect.left(), y0, rect.width(), y1 - y0), c);
    }
}

void PaintOuterFrame(QPainter& p, const QRect& rect, const QColor& color) {
    p.setPen(color);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect.adjusted(0, 0, -1, -1));
}

void PaintInnerFrame(QPainter& p, const QRect& rect, const QColor& color) {
    PaintOuterFrame(p, rect.adjusted(1, 1, -1, -1), color);
}

void PaintCornerMarks(QPainter& p, const QRect& rect, const QColor& color, int length) {
    const QRect r = rect.adjusted(1, 1, -2, -2);
    p.setPen(color);
    const int l = length - 1;
    p.drawLine(r.left(), r.top(), r.left() + l, r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.top() + l);
    p.drawLine(r.right(), r.top(), r.right() - l, r.top());
    p.drawLine(r.right(), r.top(), r.right(), r.top() + l);
    p.drawLine(r.left(), r.bottom(), r.left() + l, r.bottom());
    p.drawLine(r.left(), r.bottom(), r.left(), r.bottom() - l);
    p.drawLine(r.right(), r.bottom(), r.right() - l, r.bottom());
    p.drawLine(r.right(), r.bottom(), r.right(), r.bottom() - l);
}

void PaintNumberCell(QPainter& p, const QRect& rect, const QString& number, bool enabled) {
    PaintGradient(p, rect, kHeaderTopColor, kHeaderBottomColor);
    PaintOuterFrame(p, rect, kHeaderFrameColor);
    p.setFont(CellFont(true));
    p.setPen(enabled ? QColor(0, 0, 0) : kDisabledNumberColor);
    p.drawText(rect, Qt::AlignCenter, number);
}

void PaintCanalCell(QPainter& p, const QRect& rect, const SCellLook& look) {
    p.fillRect(rect, look.fill);
    PaintOuterFrame(p, rect, kCellBorderColor);
    if (!look.text.isEmpty()) {
        p.setFont(CellFont());
        p.setPen(look.enabled ? QColor(0, 0, 0) : kDisabledTextColor);
        p.drawText(rect, Qt::AlignCenter, look.text);
    }
    if (look.image >= 0) {
        const QImage& image = TickImage(look.image);
        p.drawImage(rect.left() + (rect.width() - image.width()) / 2,
                    rect.top() + (rect.height() - image.height()) / 2, image);
    }
    const QColor highlight = QPalette().color(QPalette::Highlight);
    if (look.mark == SCellLook::Frame) PaintInnerFrame(p, rect, highlight);
    if (look.mark == SCellLook::Corners) PaintCornerMarks(p, rect, highlight);
}

QColor CanalCellFill(int row, bool isCurrentCell, bool isCurrentRow, bool gridActive,
                     bool editing) {
    if (editing && isCurrentCell) return kRowOddColor;
    if (isCurrentRow && (gridActive || editing)) return kRowCurrentColor;
    return row % 2 == 1 ? kRowOddColor : kRowEvenColor;
}

QRect BlockRect(const ZVCL::TZ_Grid& grid, const SHeaderBlock& block) {
    QRect area;
    for (int col = block.col0; col <= block.col1; ++col)
        for (int row = block.row0; row <= block.row1; ++row) {
            const QRect cell = grid.CellRect(col, row);
            if (cell.width() > 0 && cell.height() > 0) area = area.united(cell);
        }
    return area;
}

void PaintHeader(const ZVCL::TZ_Grid& grid, QPainter& p, const std::vector<SHeaderBlock>& blocks) {
    QRect header;
    for (const SHeaderBlock& block : blocks) header = header.united(BlockRect(grid, block));
    if (header.isEmpty()) return;
    p.setClipping(false);
    PaintGradient(p, header, kHeaderTopColor, kHeaderBottomColor);
    p.setFont(HeaderFont());
    for (const SHeaderBlock& block : blocks) {
        const QRect rect = BlockRect(grid, block);
        if (rect.isEmpty()) continue;
        PaintOuterFrame(p, rect, kHeaderFrameColor);
        p.setPen(QColor(0, 0, 0));
        p.drawText(rect, Qt::AlignCenter, block.text);
    }
}

}  // namespace views
