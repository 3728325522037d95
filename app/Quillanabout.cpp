#include "app/Quillanabout.h"

#include <vector>

#include "app/picture_file.h"

namespace quillan {

using toolkit::TextAlign;

// Every caption is centred on the box's middle line, x = 159.
TAboutForm::TAboutForm(toolkit::Backend& backend)
    : form_(backend, "About Quillan", 318, 163),
      Image1(backend, "Image1", {142, 34, 33, 33}, &form_),
      Label1(backend, "Label1", {59, 17, 200, 13}, "QUILLAN 3.23.3", TextAlign::Center, &form_),
      Label2(backend, "Label2", {59, 73, 200, 13}, "Quillan", TextAlign::Center, &form_),
      Label4(backend, "Label4", {59, 94, 200, 13}, "2004.09.", TextAlign::Center, &form_),
      Label5(backend, "Label5", {59, 115, 200, 13}, "Orvane Corporation", TextAlign::Center, &form_),
      Button1(backend, "Button1", {130, 140, 57, 17}, "&OK", &form_) {
    const std::vector<uint8_t> icon = backend.ResourceBytes("ICONPICTURE");
    DecodedPicture picture;
    if (DecodePpm(icon.data(), icon.size(), picture, 64))
        Image1.SetPicture(picture.width, picture.height, std::move(picture.rgb));
    Image1.transparent = true;
    Button1.onClick = [this] { Button1Click(); };
}

void TAboutForm::Button1Click() { form_.Hide(); }

}  // namespace quillan
