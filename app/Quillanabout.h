// The About box. Created hidden right after the main window; shown modally
// from the main window's About button.
#pragma once

#include "app/toolkit/backend.h"

namespace quillan {

class TAboutForm {
public:
    explicit TAboutForm(toolkit::Backend& backend) : backend_(backend) {}
    toolkit::Backend& Backend() { return backend_; }

private:
    toolkit::Backend& backend_;
};

}  // namespace quillan
