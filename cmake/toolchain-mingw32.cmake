# Cross-compiles the product: the 32-bit Windows build (i686). This kernel cannot
# run 32-bit programs, so this build is compiled and linked, not run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOV_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
