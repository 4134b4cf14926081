# The part of both MinGW-w64 toolchains that only differs by QM_TRIPLE.
find_program(QM_CXX ${QM_TRIPLE}-g++-posix)
find_program(QM_CC ${QM_TRIPLE}-gcc-posix)
find_program(QM_RC ${QM_TRIPLE}-windres)
if(NOT QM_CXX OR NOT QM_CC)
    message(FATAL_ERROR "${QM_TRIPLE}-g++-posix not found: install g++-mingw-w64 (make test does)")
endif()
set(CMAKE_C_COMPILER ${QM_CC})
set(CMAKE_CXX_COMPILER ${QM_CXX})
set(CMAKE_RC_COMPILER ${QM_RC})

set(CMAKE_FIND_ROOT_PATH /usr/${QM_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every Windows program the build makes runs through this wrapper (ctest puts
# it in front of add_test commands given by target name).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
