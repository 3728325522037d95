# Cross toolchain for the shipped 32-bit quillan.exe: the win32 thread variant,
# so that no winpthreads (and none of the newer kernel calls it imports) is
# linked into a program that must start on Windows 98 SE and 2000.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLAN_MINGW_TRIPLE i686-w64-mingw32)
set(QUILLAN_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
