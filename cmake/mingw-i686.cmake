# Cross toolchain for the 32-bit Windows build (MinGW-w64, posix threads so that
# std::thread and GoogleTest work).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLAN_MINGW_TRIPLE i686-w64-mingw32)
set(QUILLAN_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
