set(CMAKE_C_COMPILER ${TOV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOV_MINGW_PREFIX}-windres)
set(TOV_WINDMC ${TOV_MINGW_PREFIX}-windmc)
set(CMAKE_FIND_ROOT_PATH /usr/${TOV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Link the C and C++ runtimes and winpthread statically, so every program runs
# from its own folder (and under Wine) without runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
