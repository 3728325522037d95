// Upper-casing as the program does it for drive codes, file names and the
// command line: the letters a to z only, whatever else the text holds.
#pragma once

#include <cstddef>
#include <string>

namespace quillan {

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Exactly `count` bytes: a drive code is three bytes, and a zero byte among
// them is part of the code, not its end.
inline void UpperCaseAscii(char* text, size_t count) {
    for (size_t i = 0; i < count; ++i) text[i] = UpperAscii(text[i]);
}

inline void UpperCaseAscii(std::string& text) {
    for (char& c : text) c = UpperAscii(c);
}

}  // namespace quillan
