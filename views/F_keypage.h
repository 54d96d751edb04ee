// The speech-scrambler key page: sixteen two-digit hexadecimal key fields, the button that makes
// a random key, and the key modifier selector.
#pragma once

#include "F_editorrows.h"

#include <QPointer>

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>

#include "Zvc_editor.h"
#include "Zvc_knob.h"
#include "Zvc_static.h"

namespace views {

inline constexpr int kKeyFields = 16;

struct SKeyAccess {
    std::function<bool()> hasData;
    std::function<std::uint8_t(int group)> get;  // group = 1..16
    std::function<void(int group, std::uint8_t value)> set;
    std::function<bool()> modifikator;
    std::function<void(bool)> setModifikator;
};

class TKeyPage {
  public:
    // Builds the group " Ключ маскирования" with its two rows at the builder's position.
    TKeyPage(TPageBuilder& builder, TLayout layout, SKeyAccess access);
    TKeyPage(const TKeyPage&) = delete;
    TKeyPage& operator=(const TKeyPage&) = delete;

    // Shows the stored key and modifier, then parks the focus on the page's panel.
    void Fill();
    // A new key from a generator seeded with the time in whole seconds.
    void CreateRandomKey(std::time_t now);

    ZVCL::TZEditor& KeyField(int group) const { return *fields_[static_cast<size_t>(group - 1)]; }
    ZVCL::TZStatic& ModifikatorSelector() const { return *modifikator_; }
    ZVCL::TZ_Knob& RandomKeyButton() const { return *randomKey_; }

  private:
    void FieldChanged(int group);
    void FieldLeft(int group);
    void ShowByte(int group, std::uint8_t value);
    void ParkFocus();

    SViewFlags& flags_;
    QWidget& panel_;
    SKeyAccess access_;
    std::array<QPointer<ZVCL::TZEditor>, kKeyFields> fields_;
    QPointer<ZVCL::TZStatic> modifikator_;
    QPointer<ZVCL::TZ_Knob> randomKey_;
    // Set while a field is filled by the page itself: its change does not move the focus.
    bool showing_ = false;
    // The digits typed into the field that has the focus since it got it. The first one
    // replaces the byte shown, and the focus moves on only after the second, wherever the
    // click left the cursor.
    int typed_ = 0;
};

}  // namespace views
