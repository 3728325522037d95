// Which keyboard messages reach the main window's key preview (FormKeyDown).
#include <cstdint>

#include <gtest/gtest.h>

#include "app/toolkit/key_preview.h"

namespace quillan {
namespace {

using toolkit::PreviewsKey;

// F9 shows its figures whatever shift keys are held: with Alt held Windows
// sends it as a system key. No other system key is taken from the system,
// and no character message passes for a key ('x' is 0x78, as F9 is).
TEST(KeyPreview, F9WithOrWithoutAltAndNoOtherSystemKey) {
    constexpr uint32_t kKeyDown = 0x0100, kKeyUp = 0x0101, kChar = 0x0102;
    constexpr uint32_t kSysKeyDown = 0x0104, kSysKeyUp = 0x0105, kSysChar = 0x0106;
    const struct Case {
        const char* name;
        uint32_t message;
        uint16_t key;
        bool previewed;
    } cases[] = {
        {"F9", kKeyDown, 0x78, true},
        {"Alt+F9", kSysKeyDown, 0x78, true},
        {"a plain letter (FormKeyDown ignores it)", kKeyDown, 'A', true},
        {"Alt+F4 closes by the system", kSysKeyDown, 0x73, false},
        {"Alt alone", kSysKeyDown, 0x12, false},
        {"F10, a system key without Alt", kSysKeyDown, 0x79, false},
        {"Alt+Space, the system menu", kSysKeyDown, 0x20, false},
        {"F9 released", kKeyUp, 0x78, false},
        {"Alt+F9 released", kSysKeyUp, 0x78, false},
        {"the character x", kChar, 'x', false},
        {"Alt+x as a character", kSysChar, 'x', false},
    };
    for (const Case& c : cases) EXPECT_EQ(PreviewsKey(c.message, c.key), c.previewed) << c.name;
}

}  // namespace
}  // namespace quillan
