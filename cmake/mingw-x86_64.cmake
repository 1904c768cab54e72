# The same sources as a 64-bit Windows build, for hosts whose kernel runs no 32-bit process and
# therefore no 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LUMO_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
