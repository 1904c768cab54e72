# Cross-build for Windows with mingw-w64; test programs run under Wine. The -posix compilers,
# because GoogleTest's headers need std::mutex and std::condition_variable, which the win32
# thread model lacks; the program itself starts no thread. Set LUMO_MINGW_TRIPLE before including
# this file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${LUMO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMO_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LUMO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
