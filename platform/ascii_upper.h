// Upper-casing as the program does it for drive codes, file names and the
// command line: the letters a to z only, whatever else the text holds.
#pragma once

#include <string>

namespace quillan {

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Up to the terminating zero.
inline void UpperCaseAscii(char* text) {
    for (; *text != '\0'; ++text) *text = UpperAscii(*text);
}

inline void UpperCaseAscii(std::string& text) {
    for (char& c : text) c = UpperAscii(c);
}

}  // namespace quillan
