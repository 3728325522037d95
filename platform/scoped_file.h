// A C file that is closed on every way out of the scope that opened it.
#pragma once

#include <cstdio>
#include <memory>

namespace quillan {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Empty when the file could not be opened.
using ScopedFile = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace quillan
