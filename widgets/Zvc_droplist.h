// What a knob with DropDown needs of the control it serves, so that the knob does not depend on
// the pop-up list itself.
#pragma once

namespace ZVCL {

// A widget that owns a drop list (TZStatic, TZEditor); knobs with DropDown open it.
class IZDropListOwner {
  public:
    virtual void DropList() = 0;
    virtual void CloseList() = 0;
    virtual bool IsListOpen() const = 0;

  protected:
    ~IZDropListOwner() = default;
};

}  // namespace ZVCL
