# Installation and the Debian package: the two programs, their manual pages in English and
# Spanish, the user's guide, the window's menu entry and icon, the example registry file
# and the units of the scheduled run.
# Included at the end of the top-level CMakeLists.txt, once the programs are defined.
include(GNUInstallDirs)

set(KALVORA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KALVORA_PACKAGE_MAINTAINER "kalvora-envio maintainers <maintainers@kalvora-envio.invalid>"
    CACHE STRING "Maintainer named in the Debian package")

# Installing builds nothing: scripts/package.sh builds the programs first, and the tests and
# tools are not part of an installation.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# The version the programs answer with and the packages carry; a test of an upgrade builds
# the same sources with a higher one.
set(KALVORA_VERSION ${PROJECT_VERSION} CACHE STRING "Version of the programs and packages")

set(installed_programs)
foreach(program kalvora-envio kalvora-envio-batch)
  if(TARGET ${program})
    target_compile_definitions(${program} PRIVATE KALVORA_VERSION="${KALVORA_VERSION}")
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    list(APPEND installed_programs ${program})
  endif()
endforeach()

# The rest is for Linux: manual pages, freedesktop menu entry, /etc, systemd, Debian.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

# Manual pages, compressed without name or time stamp so that the package is reproducible.
set(manual_pages)
set(manual_pages_es)
foreach(program ${installed_programs})
  set(page ${PROJECT_BINARY_DIR}/packaging/${program}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${KALVORA_PACKAGING_DIR}/${program}.1 ${page}
    COMMAND gzip -9nf ${page}
    DEPENDS ${KALVORA_PACKAGING_DIR}/${program}.1 VERBATIM)
  list(APPEND manual_pages ${page}.gz)
  # The same page in Spanish, /usr/share/man/es/man1.
  set(page_es ${PROJECT_BINARY_DIR}/packaging/es/${program}.1)
  add_custom_command(OUTPUT ${page_es}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${KALVORA_PACKAGING_DIR}/es/${program}.1 ${page_es}
    COMMAND gzip -9nf ${page_es}
    DEPENDS ${KALVORA_PACKAGING_DIR}/es/${program}.1 VERBATIM)
  list(APPEND manual_pages_es ${page_es}.gz)
endforeach()
set(changelog ${PROJECT_BINARY_DIR}/packaging/changelog)
add_custom_command(OUTPUT ${changelog}.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${KALVORA_PACKAGING_DIR}/debian/changelog ${changelog}
  COMMAND gzip -9nf ${changelog}
  DEPENDS ${KALVORA_PACKAGING_DIR}/debian/changelog VERBATIM)
# Everything an installation takes; scripts/package.sh builds this target alone.
add_custom_target(kalvora-installation ALL DEPENDS ${manual_pages} ${manual_pages_es} ${changelog}.gz)
if(installed_programs)
  add_dependencies(kalvora-installation ${installed_programs})
endif()
install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${KALVORA_PACKAGING_DIR}/debian/copyright ${changelog}.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kalvora-envio)
install(FILES ${manual_pages_es} DESTINATION ${CMAKE_INSTALL_MANDIR}/es/man1)
# The user's guide, where the window's F1 looks for it (user_guide.cpp).
install(FILES ${PROJECT_SOURCE_DIR}/docs/guia.html DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kalvora-envio)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kalvora-envio/images
        FILES_MATCHING PATTERN "*.png")

if(TARGET kalvora-envio)
  install(FILES ${KALVORA_PACKAGING_DIR}/kalvora-envio.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${KALVORA_PACKAGING_DIR}/kalvora-envio.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# The registry file and the units name absolute paths that depend on the prefix, which is
# only known at install time (cmake --install --prefix, CPack): install_system_files.cmake
# places them then.
if(installed_programs)
  find_package(PkgConfig QUIET)
  set(systemd_unit_dir "")
  if(PkgConfig_FOUND)
    pkg_get_variable(systemd_unit_dir systemd systemdsystemunitdir)
  endif()
  set(KALVORA_SYSTEMD_UNIT_DIR "${systemd_unit_dir}" CACHE PATH
      "Folder of the systemd units when installing to /usr (others use PREFIX/lib/systemd/system)")
  set(install_batch_units OFF)
  if(TARGET kalvora-envio-batch)
    set(install_batch_units ON)
  endif()
  install(CODE "
    set(KALVORA_PACKAGING_DIR \"${KALVORA_PACKAGING_DIR}\")
    set(KALVORA_STAGING_DIR \"${PROJECT_BINARY_DIR}/packaging\")
    set(KALVORA_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(KALVORA_SYSTEMD_UNIT_DIR \"${KALVORA_SYSTEMD_UNIT_DIR}\")
    set(KALVORA_INSTALL_UNITS ${install_batch_units})
  ")
  install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install_system_files.cmake)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalvora-envio)
set(CPACK_PACKAGE_VERSION ${KALVORA_VERSION})
set(CPACK_PACKAGE_CONTACT "${KALVORA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sends accounting data between Kalvora company databases")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
kalvora-envio takes up the pending audit entries of source company databases
(vouchers, accounts, third parties) and applies them to a destination company
database of the Kalvora accounting suite, all Firebird 3 databases.
.
The package holds the window program kalvora-envio, the unattended program
kalvora-envio-batch, and systemd units that run it every evening for a
destination company.]=])
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# With DESTDIR the install scripts see the real prefix, /usr, and write the units for it.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; Qt finds no display without its platform plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The toolkit's own buttons and calendars read Spanish with Qt's translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# Server entries without a host open the databases with the embedded engine.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "firebird3.0-server-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${KALVORA_PACKAGING_DIR}/debian/conffiles ${KALVORA_PACKAGING_DIR}/debian/postinst
    ${KALVORA_PACKAGING_DIR}/debian/prerm ${KALVORA_PACKAGING_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
