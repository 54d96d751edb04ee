// The look the radio views share: the colours of channel rows and headers, the six tick images,
// and the painting of channel cells, frames and merged header blocks.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

class QPainter;

namespace ZVCL {
class TZ_Grid;
}

namespace views {

inline const QColor kRowOddColor{255, 250, 240};
inline const QColor kRowEvenColor{251, 246, 236};
inline const QColor kRowCurrentColor{235, 230, 220};
inline const QColor kCellBorderColor{215, 210, 200};
inline const QColor kHeaderTopColor{230, 225, 215};
inline const QColor kHeaderBottomColor{210, 205, 195};
inline const QColor kHeaderFrameColor{135, 130, 120};
inline const QColor kDisabledTextColor{195, 190, 180};
inline const QColor kDisabledNumberColor{135, 130, 120};

// Tick images, 16 by 16 pixels: an empty box, a ticked box and a box with "=", each also drawn
// dotted for a channel that is not in use.
enum TTickImage {
    ti_Empty = 0,
    ti_EmptyDotted = 1,
    ti_Ticked = 2,
    ti_TickedDotted = 3,
    ti_Equal = 4,
    ti_EqualDotted = 5
};
inline constexpr int kTickImageSize = 16;
const QImage& TickImage(int index);
// The dotted form of a tick image when the channel is not in use.
inline int TickFor(int image, bool channelEnabled) {
    return channelEnabled ? image : image + 1;
}

// The font every cell is painted in.
QFont CellFont(bool bold = false);
QFont HeaderFont();

// A vertical gradient in bands from top colour to bottom colour.
void PaintGradient(QPainter& p, const QRect& rect, const QColor& top, const QColor& bottom,
                   int bands = 64);
// A one-pixel frame one pixel inside the rectangle.
void PaintInnerFrame(QPainter& p, const QRect& rect, const QColor& color);
// Corner marks of the given length in the four corners of the rectangle.
void PaintCornerMarks(QPainter& p, const QRect& rect, const QColor& color, int length = 5);
void PaintOuterFrame(QPainter& p, const QRect& rect, const QColor& color);

// The channel number cell of a channel row.
void PaintNumberCell(QPainter& p, const QRect& rect, const QString& number, bool enabled);

// What a channel cell shows and how it stands out.
struct SCellLook {
    QColor fill;
    QString text;    // drawn centred when not empty
    int image = -1;  // tick image drawn centred when not negative
    bool enabled = true;
    enum TMark { None, Frame, Corners } mark = None;
};
void PaintCanalCell(QPainter& p, const QRect& rect, const SCellLook& look);

// The fill of a channel row cell: the open editor's cell, the current row, or the zebra.
QColor CanalCellFill(int row, bool isCurrentCell, bool isCurrentRow, bool gridActive, bool editing);

// A merged block of header cells and its text; "\n" breaks lines.
struct SHeaderBlock {
    int col0, col1;
    int row0, row1;
    QString text;
};
// Paints the header rows (the gradient over all of them, then each block framed with its text).
void PaintHeader(const ZVCL::TZ_Grid& grid, QPainter& p, const std::vector<SHeaderBlock>& blocks);
// The rectangle a block covers on screen, empty when none of it is shown.
QRect BlockRect(const ZVCL::TZ_Grid& grid, const SHeaderBlock& block);

}  // namespace views
