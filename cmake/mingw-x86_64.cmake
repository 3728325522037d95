# Cross toolchain for the 64-bit Windows test tree: the same sources, run under
# 64-bit Wine on machines whose kernel runs no 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLAN_MINGW_TRIPLE x86_64-w64-mingw32)
set(QUILLAN_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
