// Editor rows of the single-parameter pages: a caption row (label on the left, editor and knob
// on the right, a hint) for each parameter, the five kinds of editor, and the rule by which
// each kind hands its value to the parameter set.
#pragma once

#include "F_viewflags.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

class QWidget;

namespace ZVCL {
class TZLabel;
class TZStatic;
class TZEditor;
class TZKnob;
class TZPanel;
}  // namespace ZVCL

namespace views {

inline constexpr int kRowHeight = 23;

// The texts of a row: its parameter name (the widgets become lbl_<name>, stc_<name>,
// edt_<name>, knb_<name>), the caption, the caption's width and the hint.
struct SRowSpec {
    QString name;
    QString label;
    int labelWidth = 0;
    QString hint;
};

// A number typed in digits, with suggestions; every change is stored clamped to low..high.
struct SNumberLineRule {
    int maxLength = 0;
    QStringList suggestions;
    int low = 0;
    int high = 0;
    std::function<int()> get;
    std::function<void(int)> set;
};

// A decimal number with a fixed number of decimals; shown converts the stored value into the
// unit typed (Hz, ms), set takes a typed value (NaN when the text is not a number).
struct SDecimalRule {
    int decimals = 1;
    std::function<double()> shown;
    std::function<void(double)> set;
};

// Pure rules of the editors, apart from the widgets.
// A number line takes digits and control characters only.
bool IsNumberLineChar(QChar ch);
// A decimal editor takes digits, one separator (either mark becomes the comma) and control
// characters; returns the character to insert, or a null character to drop it.
QChar DecimalChar(QChar ch, const QString& current);
// "101,0", "93,66": the decimal comma, a fixed number of decimals.
QString DecimalText(double value, int decimals);
// Reads a decimal with a comma or a point; NaN for a text that is not a number.
double ParseDecimal(const QString& text);
// DTMF digits: upper case; of the printable characters only 0-9, A-F, "*" and "#" stay.
QChar DtmfChar(QChar ch);
// A whole DTMF text with the same rule; control characters are dropped too.
QString DtmfText(const QString& text);
// A two-character key field back to its byte: blanks trimmed, "0" put in front of a single
// character, each hexadecimal digit counted, any other character as 0.
std::uint8_t KeyByteFromText(const QString& text);
QString KeyByteText(std::uint8_t value);
// A password shown in its four positions, with leading zeros.
QString PasswordText(int value);

// Builds the rows of one page panel from top to bottom. Rows outside a group are rowWidth wide;
// a group spans rowWidth with its caption, and its rows are groupRowWidth wide, set in from the
// left.
class TPageBuilder {
  public:
    TPageBuilder(QWidget& panel, int rowWidth, int groupRowWidth, SViewFlags& flags);

    // The next row or group starts at this height of the panel (or of the open group).
    void MoveTo(int top);
    // A page laid out at fixed places: the tops of its rows and groups, in order.
    void SetPlaces(std::span<const int> places) { places_ = places; }
    // The next row or group starts at the place of that number.
    void MoveToPlace(std::size_t place) { MoveTo(places_[place]); }
    int Top() const { return top_; }
    ZVCL::TZPanel* BeginGroup(const QString& name, const QString& caption);
    void EndGroup();
    // Height of everything placed so far in the panel.
    int Bottom() const { return bottom_; }

    ZVCL::TZLabel* AddRow(const SRowSpec& rowSpec, QWidget* editor, ZVCL::TZKnob* knob = nullptr);
    // A drop-list selector; store receives every change of the shown item (not while loading).
    ZVCL::TZStatic* AddSelector(const SRowSpec& rowSpec, const QStringList& list,
                                std::function<void(const QString&)> store);
    ZVCL::TZEditor* AddNumberLine(const SRowSpec& rowSpec, SNumberLineRule rule);
    ZVCL::TZEditor* AddDecimal(const SRowSpec& rowSpec, SDecimalRule rule);
    // Up to maxLength DTMF characters; every change stores the whole text.
    ZVCL::TZEditor* AddDtmfText(const SRowSpec& rowSpec, int maxLength,
                                std::function<void(const std::string&)> store);
    // Four digit positions; every change stores the number they make.
    ZVCL::TZEditor* AddPassword(const SRowSpec& rowSpec, std::function<void(int)> store);
    // A selector on a panel that can be hidden to uncover a text behind it (the priority
    // editors, which have nothing to offer while no channel is scanned).
    struct SHideableSelector {
        ZVCL::TZStatic* selector;
        QWidget* panel;
        ZVCL::TZStatic* textBehind;
    };
    SHideableSelector AddHideableSelector(const SRowSpec& rowSpec, const QStringList& list,
                                          std::function<void(const QString&)> store,
                                          const QString& textName, const QString& text);

    QWidget& Panel() const { return panel_; }
    // Sizes the panel as wide as a row and height tall (by default down to everything placed),
    // and hands it over to become a page.
    QWidget* FinishPage(int height);
    QWidget* FinishPage() { return FinishPage(bottom_); }
    SViewFlags& Flags() const { return flags_; }

  private:
    QWidget& Parent() const;
    int RowWidth() const;
    ZVCL::TZKnob* DropKnob(const QString& name, QWidget* focusing);
    // A drop-list selector stc_<name> on parent that stores every change of its item.
    ZVCL::TZStatic* NewSelector(QWidget& parent, const QString& name, const QStringList& list,
                                std::function<void(const QString&)> store) const;

    QWidget& panel_;
    int rowWidth_;
    int groupRowWidth_;
    SViewFlags& flags_;
    std::span<const int> places_;
    ZVCL::TZPanel* group_ = nullptr;
    int groupTop_ = 0;
    int top_ = 0;
    int bottom_ = 0;
};

// Showing a stored value in an editor while the page is filled.
void ShowText(ZVCL::TZStatic& stc, const QString& text);
void ShowText(ZVCL::TZEditor& edt, const QString& text);
void ShowNumber(ZVCL::TZEditor& edt, int value);

}  // namespace views
