// The about box "О программе...": the logo, the version label and the support service; a click on the
// logo uncovers the credits, a click anywhere else closes the box.
#pragma once
#include <windows.h>

#include <string>

#include "settings/DialogWindow.h"

namespace kw {

class AboutBox final : public DialogWindow {
  public:
    bool create(HINSTANCE instance, HWND owner);

    static constexpr int kCollapsedHeight = 108, kExpandedHeight = 520, kWidth = 420;
    static constexpr int kLogoId = 100;    // Image2
    static constexpr int kVersionId = 101; // the version label
    static constexpr int kServiceId = 102; // the support service line
    static constexpr int kCreditsId = 103; // the credits text
    static constexpr int kOkId = 104;      // "Ok"

    bool expanded() const;
    void Image2Click(); // expands the box
    void boxClick();    // a click anywhere else: collapses an expanded box, then closes it

  private:
    void buildControls() override;
    bool handle(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) override;
    void drawLogo(const DRAWITEMSTRUCT& d);
    void setHeight(int clientHeight);
    int clientHeight() const;

    Font versionFont_;
};

// The version label's text: "Информация о системе и", a line break, "ПО ТАВИР V" and the version.
std::string aboutVersionText();

} // namespace kw
