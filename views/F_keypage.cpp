#include "F_keypage.h"

#include "F_viewpaint.h"
#include "U_modellists.h"
#include "Zvc_editor.h"
#include "Zvc_knob.h"
#include "Zvc_label.h"
#include "Zvc_static.h"

#include <QPainter>

#include <algorithm>
#include <random>

namespace views {

namespace {

constexpr int kFieldGap = 2;
constexpr int kButtonSize = 16;

QStringList YesNoItems() {
    QStringList items;
    for (std::string_view name : models::kYesNoList)
        items << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    return items;
}

// The face of the random-key button: a die showing five.
void DrawDie(QPainter& p, const QRect& rect, bool pressed) {
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF face = QRectF(rect).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(kHeaderFrameColor, 1));
    p.setBrush(pressed ? kRowCurrentColor : QColor(255, 255, 255));
    p.drawRoundedRect(face, 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    const QPointF c = face.center();
    const qreal d = face.width() / 4;
    for (const QPointF& at :
         {c, c + QPointF(-d, -d), c + QPointF(d, -d), c + QPointF(-d, d), c + QPointF(d, d)})
        p.drawEllipse(at, 1.3, 1.3);
}

}  // namespace

TKeyPage::TKeyPage(TPageBuilder& builder, TLayout layout, SKeyAccess access)
    : flags_(builder.Flags()), panel_(builder.Panel()), access_(std::move(access)) {
    builder.BeginGroup(QStringLiteral("grp_Key"), QStringLiteral(" Ключ маскирования"));
    const QString caption = layout == TLayout::Compact
                                ? QStringLiteral(" Ключ, 16-ричный формат:")
                                : QStringLiteral(" Ключ, шестнадцатеричный формат:");
    const bool compact = layout == TLayout::Compact;
    const int labelWidth = compact ? 175 : 250;
    const int fieldWidth = compact ? 18 : 20;
    const int groupGap = compact ? 6 : 8;
    ZVCL::TZLabel* row =
        builder.AddRow({QStringLiteral("Key"), caption, labelWidth, QString()}, nullptr);
    // The random-key button stands at the row's left, before its caption.
    constexpr int kButtonPlace = kButtonSize + 6;
    row->setGeometry(row->x() + kButtonPlace, row->y(), row->width() - kButtonPlace, row->height());
    randomKey_ = new ZVCL::TZ_Knob(row->parentWidget());
    randomKey_->setObjectName("imgCreateRandomKey");
    randomKey_->setGeometry(row->x() - kButtonPlace + 3,
                            row->y() + (row->height() - kButtonSize) / 2, kButtonSize, kButtonSize);
    randomKey_->setCursor(Qt::PointingHandCursor);
    randomKey_->setToolTip(QStringLiteral("Сформировать случайный ключ"));
    randomKey_->OnDrawKnob = DrawDie;
    randomKey_->OnMousePress = [this](ZVCL::TZ_Knob& knob) {
        knob.EndPress();
        CreateRandomKey(std::time(nullptr));
    };

    // Four groups of four fields, evenly spaced, wider apart between groups, filling the row.
    const int area = row->width() - labelWidth - 6;
    const int natural = kKeyFields * fieldWidth + 12 * kFieldGap + 3 * groupGap;
    const int spare = std::max(0, area - natural) / kKeyFields;
    int x = labelWidth + 3 + spare / 2;
    for (int group = 1; group <= kKeyFields; ++group) {
        auto* edt = new ZVCL::TZEditor(row);
        edt->setObjectName(QStringLiteral("edKey%1").arg(group));
        edt->setAccessibleName(QStringLiteral("Ключ, группа %1").arg(group));
        edt->SetEditMask(QStringLiteral("NN; "));
        edt->setAlignment(Qt::AlignCenter);
        edt->setGeometry(x, 3, fieldWidth, row->height() - 6);
        edt->OnKeyPress = [this, edt](QChar& ch) {
            if (ch.unicode() < 32) return;
            static const QString hex = QStringLiteral("0123456789ABCDEFabcdef");
            if (!hex.contains(ch)) {
                ch = QChar();
                return;
            }
            if (typed_++ == 0) {
                showing_ = true;  // emptied for the new byte: not a change to act on
                edt->clear();
                showing_ = false;
            }
        };
        edt->OnKeyDown = [this](int& key, Qt::KeyboardModifiers) {
            // Editing the byte shown (deleting, moving the cursor) keeps what is left of it.
            if (key == Qt::Key_Backspace || key == Qt::Key_Delete || key == Qt::Key_Left ||
                key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End)
                typed_ = std::max(typed_, 1);
        };
        edt->OnEnter = [this] { typed_ = 0; };
        edt->OnChange = [this, group] { FieldChanged(group); };
        edt->OnExit = [this, group] { FieldLeft(group); };
        fields_[static_cast<size_t>(group - 1)] = edt;
        x += fieldWidth + spare + (group % 4 == 0 ? groupGap : kFieldGap);
    }
    modifikator_ =
        builder.AddSelector({QStringLiteral("Modifikator"),
                             QStringLiteral(" Изменение ключа по каналам:"), 350, QString()},
                            YesNoItems(), [this](const QString& text) {
                                if (access_.hasData())
                                    access_.setModifikator(models::IsYes(text.toStdString()));
                            });
    builder.EndGroup();
    panel_.setFocusPolicy(Qt::ClickFocus);
}

void TKeyPage::ShowByte(int group, std::uint8_t value) {
    showing_ = true;
    KeyField(group).SetText(KeyByteText(value));
    showing_ = false;
}

void TKeyPage::ParkFocus() {
    panel_.setFocus(Qt::OtherFocusReason);
}

void TKeyPage::Fill() {
    if (!access_.hasData()) return;
    for (int group = 1; group <= kKeyFields; ++group) ShowByte(group, access_.get(group));
    modifikator_->SetText(QString::fromStdString(models::YesNoName(access_.modifikator())));
    ParkFocus();
}

void TKeyPage::FieldChanged(int group) {
    if (flags_.loading || showing_ || typed_ == 0) return;
    if (KeyField(group).Text().trimmed().size() < 2) return;
    if (group < kKeyFields)
        KeyField(group + 1).setFocus(Qt::TabFocusReason);
    else
        ParkFocus();
}

void TKeyPage::FieldLeft(int group) {
    if (flags_.loading || !access_.hasData()) return;
    const std::uint8_t value = KeyByteFromText(KeyField(group).Text());
    access_.set(group, value);
    ShowByte(group, value);
}

void TKeyPage::CreateRandomKey(std::time_t now) {
    if (!access_.hasData()) return;
    KeyField(1).setFocus(Qt::OtherFocusReason);
    std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(now));
    for (int group = 1; group <= kKeyFields; ++group) {
        const auto value = static_cast<std::uint8_t>(generator() % 256);
        ShowByte(group, value);
        access_.set(group, value);
    }
    ParkFocus();
}

}  // namespace views
