#include "F_editorrows.h"

#include "U_modellists.h"
#include "U_shownvalues.h"

#include "Zvc_access.h"
#include "Zvc_editor.h"
#include "Zvc_knob.h"
#include "Zvc_label.h"
#include "Zvc_panel.h"
#include "Zvc_static.h"

#include <QPointer>
#include <QResizeEvent>
#include <QTimer>

#include <cmath>
#include <limits>

namespace views {

namespace {

// Shows the stored value again in an editor without it counting as a change.
void ShowStored(ZVCL::TZEditor& edt, SViewFlags& flags, const QString& text) {
    const CLoadingScope loading(flags);
    edt.SetText(text);
}

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Enter selects the whole text, so that typing replaces it.
void SelectAllOnEnter(ZVCL::TZEditor& edt) {
    edt.OnKeyDown = [&edt](int& key, Qt::KeyboardModifiers) {
        if (!IsEnter(key)) return;
        edt.selectAll();
        key = 0;
    };
}

// The next control in the tab order that can take the focus.
QWidget* NextFocusable(QWidget& from) {
    for (QWidget* w = from.nextInFocusChain(); w && w != &from; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) return w;
    return nullptr;
}

// Keeps its children as large as itself, a knob (if any) square at the right end.
class TFillHolder : public QWidget {
  public:
    explicit TFillHolder(QWidget* parent) : QWidget(parent) {}
    QPointer<QWidget> knob;

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        const int side = knob ? height() : 0;
        for (QObject* child : children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (!w) continue;
            if (w == knob)
                w->setGeometry(width() - side, 0, side, side);
            else
                w->setGeometry(0, 0, width() - side, height());
        }
    }
};

}  // namespace

bool IsNumberLineChar(QChar ch) {
    return ch.unicode() < 32 || (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'));
}

QChar DecimalChar(QChar ch, const QString& current) {
    if (ch.unicode() < 32 || (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))) return ch;
    if (ch == QLatin1Char(',') || ch == QLatin1Char('.')) {
        if (current.contains(QLatin1Char(','))) return QChar();
        return QLatin1Char(',');
    }
    return QChar();
}

// The models' own texts, so that the page, the printed list and the comparison agree.
QString DecimalText(double value, int decimals) {
    return QString::fromStdString(models::DecimalText(value, decimals));
}

double ParseDecimal(const QString& text) {
    bool ok = false;
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const double value = t.toDouble(&ok);
    return ok ? value : std::numeric_limits<double>::quiet_NaN();
}

QChar DtmfChar(QChar ch) {
    if (ch.unicode() < 32) return ch;
    const QChar upper = ch.toUpper();
    static const QString allowed = QStringLiteral("0123456789ABCDEF*#");
    return allowed.contains(upper) ? upper : QChar();
}

QString DtmfText(const QString& text) {
    QString clean;
    for (const QChar ch : text) {
        const QChar kept = DtmfChar(ch);
        if (!kept.isNull() && kept.unicode() >= 32) clean += kept;
    }
    return clean;
}

std::uint8_t KeyByteFromText(const QString& text) {
    QString t = text.trimmed().toUpper();
    if (t.size() < 2) t.prepend(QLatin1Char('0'));
    static const QString digits = QStringLiteral("123456789ABCDEF");
    const auto digit = [&t](int i) {
        return i < t.size() ? static_cast<int>(digits.indexOf(t[i])) + 1 : 0;
    };
    return static_cast<std::uint8_t>(16 * digit(0) + digit(1));
}

QString KeyByteText(std::uint8_t value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString PasswordText(int value) {
    return QString::fromStdString(models::PasswordText(value));
}

void ShowText(ZVCL::TZStatic& stc, const QString& text) {
    stc.SetText(text);
}

void ShowText(ZVCL::TZEditor& edt, const QString& text) {
    edt.SetText(text);
}

void ShowNumber(ZVCL::TZEditor& edt, int value) {
    edt.SetText(QString::number(value));
}

TPageBuilder::TPageBuilder(QWidget& panel, int rowWidth, int groupRowWidth, SViewFlags& flags)
    : panel_(panel), rowWidth_(rowWidth), groupRowWidth_(groupRowWidth), flags_(flags) {}

QWidget* TPageBuilder::FinishPage(int height) {
    panel_.resize(rowWidth_, height);
    return &panel_;
}

void TPageBuilder::MoveTo(int top) {
    top_ = top;
}

QWidget& TPageBuilder::Parent() const {
    return group_ ? static_cast<QWidget&>(*group_) : panel_;
}

int TPageBuilder::RowWidth() const {
    return group_ ? groupRowWidth_ : rowWidth_;
}

ZVCL::TZPanel* TPageBuilder::BeginGroup(const QString& name, const QString& caption) {
    auto* group = new ZVCL::TZPanel(&panel_);
    group->setObjectName(name);
    group->setAccessibleName(ZVCL::CaptionName(caption));
    group->setGeometry(0, top_, rowWidth_, kRowHeight);
    auto* title = new ZVCL::TZLabel(group);
    title->setObjectName(name + QStringLiteral("_caption"));
    title->SetColor(ZVCL::kPanelColor);
    title->SetLabelText(caption);
    title->SetLabelWidth(rowWidth_);
    title->setGeometry(1, 1, rowWidth_ - 2, kRowHeight - 2);
    groupTop_ = top_;
    group_ = group;
    top_ = kRowHeight;
    return group;
}

void TPageBuilder::EndGroup() {
    if (!group_) return;
    group_->resize(rowWidth_, top_);
    top_ = groupTop_ + top_;
    bottom_ = std::max(bottom_, top_);
    group_ = nullptr;
}

ZVCL::TZLabel* TPageBuilder::AddRow(const SRowSpec& rowSpec, QWidget* editor, ZVCL::TZKnob* knob) {
    auto* row = new ZVCL::TZLabel(&Parent());
    row->setObjectName(QStringLiteral("lbl_") + rowSpec.name);
    row->SetLabelText(rowSpec.label);
    row->SetLabelWidth(rowSpec.labelWidth);
    row->SetHint(rowSpec.hint);
    const int left = group_ ? rowWidth_ - groupRowWidth_ - 1 : 0;
    row->setGeometry(left, top_, RowWidth(), kRowHeight - 1);
    if (editor) row->SetEditor(editor, knob);
    top_ += kRowHeight;
    if (!group_) bottom_ = std::max(bottom_, top_);
    return row;
}

ZVCL::TZKnob* TPageBuilder::DropKnob(const QString& name, QWidget* focusing) {
    auto* knob = new ZVCL::TZKnob(&Parent());
    knob->setObjectName(QStringLiteral("knb_") + name);
    knob->SetDropDown(true);
    knob->SetGlyphKind(ZVCL::gk_ArrowDown);
    knob->SetFocusing(focusing);
    return knob;
}

ZVCL::TZStatic* TPageBuilder::NewSelector(QWidget& parent, const QString& name,
                                          const QStringList& list,
                                          std::function<void(const QString&)> store) const {
    auto* stc = new ZVCL::TZStatic(&parent);
    stc->setObjectName(QStringLiteral("stc_") + name);
    stc->SetList(list);
    stc->SetAlignment(ZVCL::ta_LeftCenter);
    stc->SetIndents(4, 0, 0, 0);
    // The builder is gone by the time the user picks anything; the flags live with the view.
    SViewFlags& flags = flags_;
    stc->OnSelect = [&flags, stc, store = std::move(store)] {
        if (!flags.loading && store) store(stc->Text());
    };
    return stc;
}

ZVCL::TZStatic* TPageBuilder::AddSelector(const SRowSpec& rowSpec, const QStringList& list,
                                          std::function<void(const QString&)> store) {
    ZVCL::TZStatic* stc = NewSelector(Parent(), rowSpec.name, list, std::move(store));
    AddRow(rowSpec, stc, DropKnob(rowSpec.name, stc));
    return stc;
}

ZVCL::TZEditor* TPageBuilder::AddNumberLine(const SRowSpec& rowSpec, SNumberLineRule rule) {
    auto* edt = new ZVCL::TZEditor(&Parent());
    edt->setObjectName(QStringLiteral("edt_") + rowSpec.name);
    edt->SetMaxLength(rule.maxLength);
    edt->SetList(rule.suggestions);
    edt->OnKeyPress = [](QChar& ch) {
        if (!IsNumberLineChar(ch)) ch = QChar();
    };
    SViewFlags& flags = flags_;
    const auto showStored = [edt, &flags, get = rule.get] {
        ShowStored(*edt, flags, QString::number(get()));
    };
    edt->OnChange = [edt, &flags, rule] {
        if (flags.loading) return;
        rule.set(models::ParseIntClamped(edt->Text().toStdString(), rule.low, rule.high));
    };
    edt->OnKeyDown = [edt, showStored](int& key, Qt::KeyboardModifiers) {
        // With the suggestions open, Enter first takes the highlighted one.
        if (!IsEnter(key) || edt->IsListOpen()) return;
        showStored();
        edt->selectAll();
        key = 0;
    };
    edt->OnExit = showStored;
    AddRow(rowSpec, edt, DropKnob(rowSpec.name, edt));
    return edt;
}

ZVCL::TZEditor* TPageBuilder::AddDecimal(const SRowSpec& rowSpec, SDecimalRule rule) {
    auto* edt = new ZVCL::TZEditor(&Parent());
    edt->setObjectName(QStringLiteral("edt_") + rowSpec.name);
    edt->OnKeyPress = [edt](QChar& ch) {
        QString rest = edt->text();
        if (edt->hasSelectedText()) rest.remove(edt->selectionStart(), edt->selectedText().size());
        ch = DecimalChar(ch, rest);
    };
    SViewFlags& flags = flags_;
    edt->OnChange = [edt, &flags, set = rule.set] {
        if (!flags.loading) set(ParseDecimal(edt->Text()));
    };
    edt->OnKeyDown = [edt, &flags](int& key, Qt::KeyboardModifiers) {
        if (!IsEnter(key)) return;
        key = 0;
        QWidget* next = NextFocusable(*edt);
        if (!next) return;
        flags.enterPressed = true;
        next->setFocus(Qt::TabFocusReason);
    };
    edt->OnExit = [edt, &flags, rule] {
        ShowStored(*edt, flags, DecimalText(rule.shown(), rule.decimals));
        if (!flags.enterPressed) return;
        flags.enterPressed = false;
        // Back into the field once the focus change that left it is over.
        QTimer::singleShot(0, edt, [edt] { edt->setFocus(Qt::OtherFocusReason); });
    };
    AddRow(rowSpec, edt);
    return edt;
}

ZVCL::TZEditor* TPageBuilder::AddDtmfText(const SRowSpec& rowSpec, int maxLength,
                                          std::function<void(const std::string&)> store) {
    auto* edt = new ZVCL::TZEditor(&Parent());
    edt->setObjectName(QStringLiteral("edt_") + rowSpec.name);
    edt->SetMaxLength(maxLength);
    edt->OnKeyPress = [](QChar& ch) { ch = DtmfChar(ch); };
    SViewFlags& flags = flags_;
    edt->OnChange = [edt, &flags, store = std::move(store)] {
        if (flags.loading) return;
        // Pasted text bypasses the key filter; the radio has no codes for other characters.
        const QString text = edt->Text();
        const QString clean = DtmfText(text);
        if (clean != text) {
            const int caret = std::min(edt->cursorPosition(), static_cast<int>(clean.size()));
            edt->setText(clean);  // comes back here with the clean text, which is stored
            edt->setCursorPosition(caret);
            return;
        }
        store(text.toStdString());
    };
    SelectAllOnEnter(*edt);
    AddRow(rowSpec, edt);
    return edt;
}

ZVCL::TZEditor* TPageBuilder::AddPassword(const SRowSpec& rowSpec, std::function<void(int)> store) {
    auto* edt = new ZVCL::TZEditor(&Parent());
    edt->setObjectName(QStringLiteral("edt_") + rowSpec.name);
    edt->SetEditMask(QStringLiteral("9999;0"));
    SViewFlags& flags = flags_;
    edt->OnChange = [edt, &flags, store = std::move(store)] {
        if (!flags.loading) store(edt->Text().toInt());
    };
    SelectAllOnEnter(*edt);
    AddRow(rowSpec, edt);
    return edt;
}

TPageBuilder::SHideableSelector TPageBuilder::AddHideableSelector(
    const SRowSpec& rowSpec, const QStringList& list, std::function<void(const QString&)> store,
    const QString& textName, const QString& text) {
    auto* holder = new TFillHolder(&Parent());
    auto* behind = new ZVCL::TZStatic(holder);
    behind->setObjectName(textName);
    behind->SetText(text);
    behind->SetAlignment(ZVCL::ta_LeftCenter);
    behind->SetIndents(4, 0, 0, 0);
    behind->setFocusPolicy(Qt::NoFocus);
    auto* panel = new TFillHolder(holder);
    panel->setObjectName(QStringLiteral("pnl_") + rowSpec.name);
    ZVCL::TZStatic* stc = NewSelector(*panel, rowSpec.name, list, std::move(store));
    ZVCL::TZKnob* knob = DropKnob(rowSpec.name, stc);
    knob->setParent(panel);
    panel->knob = knob;
    ZVCL::TZLabel* row = AddRow(rowSpec, holder);
    row->SetFocusing(stc);
    return {stc, panel, behind};
}

}  // namespace views
