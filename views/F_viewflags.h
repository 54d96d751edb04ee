// The state a radio view keeps besides its widgets, and the screen layout it is built for.
#pragma once

#include <QSize>

namespace views {

struct SViewFlags {
    // Set while a page is filled from the parameter set: change handlers store nothing then.
    bool loading = false;
    // Set while an in-cell editor of the channel table is open.
    bool editing = false;
    // Enter was pressed in a decimal-number editor; its leaving brings the focus back.
    bool enterPressed = false;
};

// Sets the loading flag for the life of the scope and puts back what it was.
class CLoadingScope {
  public:
    explicit CLoadingScope(SViewFlags& flags) : flags_(flags), was_(flags.loading) {
        flags_.loading = true;
    }
    ~CLoadingScope() { flags_.loading = was_; }
    CLoadingScope(const CLoadingScope&) = delete;
    CLoadingScope& operator=(const CLoadingScope&) = delete;

  private:
    SViewFlags& flags_;
    bool was_;
};

enum class TLayout { Normal, Compact };

// Small screens (up to 800 by 600) get the compact layout.
constexpr TLayout LayoutForScreen(QSize screen) {
    return screen.width() < 801 || screen.height() <= 600 ? TLayout::Compact : TLayout::Normal;
}
// The layout of this plug-in's views, decided from the primary screen on first use.
TLayout ScreenLayout();

}  // namespace views
