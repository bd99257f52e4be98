# What a Windows build needs beyond the common setup: the Firebird headers and client, and
# GoogleTest when no Windows build of it is installed. Included from the top CMakeLists.txt.

# The Firebird kit's include folder (firebird/Interface.h, ibase.h, iberror.h, ib_util.h).
# Cross-compiling from Debian, the headers of firebird-dev serve: they are copied into a
# folder of their own, so that the rest of the host's /usr/include stays out of sight.
find_path(FIREBIRD_INCLUDE_DIR firebird/Interface.h)
if(NOT FIREBIRD_INCLUDE_DIR)
  set(host_headers /usr/include)
  if(NOT EXISTS ${host_headers}/firebird/Interface.h)
    message(FATAL_ERROR "No Firebird headers: set FIREBIRD_INCLUDE_DIR to the kit's include folder")
  endif()
  set(copied ${CMAKE_BINARY_DIR}/firebird-include)
  file(COPY ${host_headers}/firebird ${host_headers}/ibase.h ${host_headers}/iberror.h ${host_headers}/ib_util.h
       DESTINATION ${copied})
  set(FIREBIRD_INCLUDE_DIR ${copied} CACHE PATH "Firebird headers" FORCE)
endif()

# The client: an import library of the kit when one is found, otherwise one made from
# fbclient.def. That one is delay-loaded: fbclient.dll is looked for at the first call into
# it, so --help and the tests that need no database run where there is no client at all.
find_library(FBCLIENT_LIBRARY NAMES fbclient fbclient_ms)
if(NOT FBCLIENT_LIBRARY)
  find_program(DLLTOOL NAMES ${CMAKE_DLLTOOL} x86_64-w64-mingw32-dlltool dlltool REQUIRED)
  set(delaylib ${CMAKE_BINARY_DIR}/libfbclient-delay.a)
  add_custom_command(OUTPUT ${delaylib}
    COMMAND ${DLLTOOL} --input-def ${CMAKE_CURRENT_SOURCE_DIR}/cmake/fbclient.def --output-delaylib ${delaylib}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/fbclient.def
    COMMENT "Delay-load import library for fbclient.dll")
  add_custom_target(fbclient_import DEPENDS ${delaylib})
  add_library(fbclient STATIC IMPORTED GLOBAL)
  set_target_properties(fbclient PROPERTIES IMPORTED_LOCATION ${delaylib})
  add_dependencies(fbclient fbclient_import)
  set(FBCLIENT_LIBRARY fbclient)
endif()

if(KALVORA_TESTS)
  find_package(GTest QUIET)
  if(NOT GTest_FOUND)
    set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources, built for the target")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GOOGLETEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()
endif()
