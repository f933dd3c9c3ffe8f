#pragma once
// The progress sink. Packing, unpacking and the instrument protocol report through it; every caller
// accepts a null sink, which reports nothing.

#include <string>

namespace wl {

class I_InfoWnd {
  public:
    virtual ~I_InfoWnd() = default;
    virtual void SetText(const std::u16string& text) = 0;
    // A percentage, 0 to 100.
    virtual void SetProgress(double percent) = 0;
    virtual void SetTextAndProgress(const std::u16string& text, double percent) = 0;
    virtual void SetTitle(const std::u16string& title) = 0;
};

}  // namespace wl
