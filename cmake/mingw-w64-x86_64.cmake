# Cross-building for 64-bit Windows with Debian's mingw-w64 (the POSIX thread
# model, for std::thread and std::mutex): cmake -DCMAKE_TOOLCHAIN_FILE=this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLONET_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLONET_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLONET_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLONET_MINGW}-windres)
set(CMAKE_AR ${QUILLONET_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${QUILLONET_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers come from the cross tree only; programs run here.
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLONET_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and test discovery run the Windows programs under Wine.
find_program(QUILLONET_WINE NAMES wine wine64)
if(QUILLONET_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLONET_WINE})
endif()
