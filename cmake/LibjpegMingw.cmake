# libjpeg-turbo for the Windows build: Debian's source package, cross-built
# static once and cached in the build tree (never committed). The shipped exe's
# own build reuses the test tree's copy: plain C, the same for either thread
# variant of the compiler.
set(QUILLAN_JPEG_ROOT ${CMAKE_BINARY_DIR}/libjpeg-turbo CACHE PATH "Where libjpeg-turbo is cross-built")
set(_jpeg_root ${QUILLAN_JPEG_ROOT})
set(_jpeg_lib ${_jpeg_root}/build/libjpeg.a)
if(NOT EXISTS ${_jpeg_lib})
  message(STATUS "libjpeg-turbo: fetching Debian's source package and cross-building it")
  file(MAKE_DIRECTORY ${_jpeg_root})
  file(GLOB _jpeg_src LIST_DIRECTORIES true ${_jpeg_root}/libjpeg-turbo-*)
  if(NOT _jpeg_src)
    execute_process(COMMAND apt-get source -qq libjpeg-turbo
                    WORKING_DIRECTORY ${_jpeg_root} RESULT_VARIABLE _rc OUTPUT_QUIET)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "apt-get source libjpeg-turbo failed: run scripts/setup.sh as root first")
    endif()
    file(GLOB _jpeg_src LIST_DIRECTORIES true ${_jpeg_root}/libjpeg-turbo-*)
  endif()
  list(FILTER _jpeg_src EXCLUDE REGEX "\\.(tar\\..*|dsc)$")
  list(GET _jpeg_src 0 _jpeg_src)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${_jpeg_src} -B ${_jpeg_root}/build
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
            -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON
            -DCMAKE_ASM_NASM_COMPILER=nasm -DCMAKE_INSTALL_PREFIX=${_jpeg_root}/install
    RESULT_VARIABLE _rc OUTPUT_QUIET)
  if(_rc EQUAL 0)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${_jpeg_root}/build -j2 --target jpeg-static
                    RESULT_VARIABLE _rc OUTPUT_QUIET)
  endif()
  if(NOT _rc EQUAL 0 OR NOT EXISTS ${_jpeg_lib})
    message(FATAL_ERROR "cross-building libjpeg-turbo failed (see ${_jpeg_root}/build)")
  endif()
  file(WRITE ${_jpeg_root}/source-dir.txt ${_jpeg_src})
endif()
file(READ ${_jpeg_root}/source-dir.txt _jpeg_src)
add_library(JPEG::JPEG STATIC IMPORTED GLOBAL)
set_target_properties(JPEG::JPEG PROPERTIES
  IMPORTED_LOCATION ${_jpeg_lib}
  INTERFACE_INCLUDE_DIRECTORIES "${_jpeg_src};${_jpeg_root}/build")
