# The 64-bit program (x86-64), for the systems that run no 32-bit program: Windows PE and
# Server Core without WoW64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
