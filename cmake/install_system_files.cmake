# Runs at install time, when the prefix is known. Installing to /usr puts the configuration
# in /etc, where the programs look for it; any other prefix keeps everything below it.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(KALVORA_SYSCONFDIR /etc/kalvora)
else()
  set(KALVORA_SYSCONFDIR ${CMAKE_INSTALL_PREFIX}/etc/kalvora)
endif()

# The example registry file is the administrator's once it exists.
if(NOT EXISTS "$ENV{DESTDIR}${KALVORA_SYSCONFDIR}/kalvora.reg")
  file(INSTALL ${KALVORA_PACKAGING_DIR}/kalvora.reg DESTINATION ${KALVORA_SYSCONFDIR})
else()
  message(STATUS "Kept: $ENV{DESTDIR}${KALVORA_SYSCONFDIR}/kalvora.reg")
endif()

if(KALVORA_INSTALL_UNITS)
  set(unit_dir ${CMAKE_INSTALL_PREFIX}/lib/systemd/system)
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr" AND KALVORA_SYSTEMD_UNIT_DIR)
    set(unit_dir ${KALVORA_SYSTEMD_UNIT_DIR})
  endif()
  set(KALVORA_BATCH_PROGRAM ${CMAKE_INSTALL_PREFIX}/${KALVORA_BINDIR}/kalvora-envio-batch)
  configure_file(${KALVORA_PACKAGING_DIR}/systemd/kalvora-envio@.service.in
                 ${KALVORA_STAGING_DIR}/kalvora-envio@.service @ONLY)
  file(INSTALL ${KALVORA_STAGING_DIR}/kalvora-envio@.service
               ${KALVORA_PACKAGING_DIR}/systemd/kalvora-envio@.timer
       DESTINATION ${unit_dir})
endif()
