# Cross build for 64-bit Windows with mingw-w64 (posix thread model, for
# std::thread and std::mutex) and a static runtime. The cross-built programs
# and tests run under Wine.
#
# Libraries that Debian does not ship for mingw are built by
# scripts/windows/build-wx-msw.sh, build-sqlite-msw.sh, build-openssl-msw.sh,
# build-libpq-msw.sh, build-xlsxwriter-msw.sh, build-httplib-msw.sh and
# build-googletest.sh into a cache directory outside the clone (MORVA_CACHE,
# by default /var/cache/morva_reporter); this file finds them there unless
# MORVA_WX_PREFIX, MORVA_SQLITE_PREFIX, MORVA_OPENSSL_PREFIX,
# MORVA_LIBPQ_PREFIX, MORVA_XLSXWRITER_PREFIX, MORVA_HTTPLIB_PREFIX and
# MORVA_GTEST_PREFIX are given.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MORVA_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MORVA_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORVA_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${MORVA_MINGW_HOST}-windres)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Where the cached libraries are.
if(DEFINED ENV{MORVA_CACHE})
  set(_morva_cache "$ENV{MORVA_CACHE}")
else()
  set(_morva_cache "/var/cache/morva_reporter")
endif()

function(_morva_newest_prefix var pattern)
  if(${var})
    return()
  endif()
  file(GLOB candidates LIST_DIRECTORIES true "${_morva_cache}/${pattern}")
  set(found "")
  foreach(c IN LISTS candidates)
    if(EXISTS "${c}/.complete")
      set(found "${c}")
    endif()
  endforeach()
  set(${var} "${found}" CACHE PATH "" FORCE)
endfunction()

_morva_newest_prefix(MORVA_WX_PREFIX "wx-msw-*")
_morva_newest_prefix(MORVA_GTEST_PREFIX "googletest-mingw-*")
_morva_newest_prefix(MORVA_SQLITE_PREFIX "sqlite-mingw-*")
_morva_newest_prefix(MORVA_OPENSSL_PREFIX "openssl-mingw-*")
_morva_newest_prefix(MORVA_LIBPQ_PREFIX "libpq-openssl-mingw-*")
_morva_newest_prefix(MORVA_XLSXWRITER_PREFIX "libxlsxwriter-mingw-*")
_morva_newest_prefix(MORVA_HTTPLIB_PREFIX "httplib-mingw-*")

if(MORVA_WX_PREFIX)
  set(WX_CONFIG "${MORVA_WX_PREFIX}/bin/wx-config" CACHE STRING "wx-config executable")
endif()

# Boost is header-only here: Debian's headers, seen through a directory of
# their own so that the host's other headers stay out of the cross build.
set(_morva_boost_root "${CMAKE_BINARY_DIR}/morva-host-boost")
if(EXISTS /usr/include/boost/version.hpp AND NOT EXISTS "${_morva_boost_root}/include/boost")
  file(MAKE_DIRECTORY "${_morva_boost_root}/include")
  file(CREATE_LINK /usr/include/boost "${_morva_boost_root}/include/boost" SYMBOLIC)
endif()
set(Boost_NO_BOOST_CMAKE ON)
set(Boost_INCLUDE_DIR "${_morva_boost_root}/include" CACHE PATH "Boost headers")

set(CMAKE_FIND_ROOT_PATH /usr/${MORVA_MINGW_HOST} ${MORVA_GTEST_PREFIX} ${MORVA_SQLITE_PREFIX} ${MORVA_OPENSSL_PREFIX}
    ${MORVA_LIBPQ_PREFIX} ${MORVA_XLSXWRITER_PREFIX} ${MORVA_HTTPLIB_PREFIX} ${_morva_boost_root})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(MORVA_WINE NAMES wine wine64)
if(MORVA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${MORVA_WINE}")
endif()
