// The About box: the program's icon, name, version and maker, and an OK
// button. Created hidden right after the main window; shown modally from the
// main window's About button; closing it only hides it.
#pragma once

#include "app/toolkit/backend.h"
#include "app/toolkit/controls.h"

namespace quillan {

class TAboutForm {
public:
    explicit TAboutForm(toolkit::Backend& backend);
    void Button1Click();
    toolkit::Form& Form() { return form_; }

private:
    toolkit::Form form_;

public:
    toolkit::Image Image1;
    toolkit::Label Label1, Label2, Label4, Label5;
    toolkit::PushButton Button1;
};

}  // namespace quillan
