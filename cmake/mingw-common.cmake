# Shared part of the MinGW-w64 toolchain files; the caller sets MINGW_TRIPLET.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Libraries Debian does not package for MinGW are built by scripts/bootstrap.sh.
if(DEFINED ENV{CONTAVO_DEPS_DIR})
  set(CONTAVO_DEPS_DIR $ENV{CONTAVO_DEPS_DIR})
else()
  set(CONTAVO_DEPS_DIR $ENV{HOME}/.cache/contavo-lite-deps)
endif()

set(CMAKE_FIND_ROOT_PATH
    /usr/${MINGW_TRIPLET}
    ${CONTAVO_DEPS_DIR}/googletest/${MINGW_TRIPLET}
    ${CONTAVO_DEPS_DIR}/libjpeg-turbo/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
