# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts where, and the Debian package `cpack` makes of it.
#
#   bin/snipola, bin/snipola-cli
#   share/snipola/manual/                 the HTML user manual ("Help ...")
#   share/snipola/demo/snipola-demo.wav   the demo clip scripts/run opens
#   share/applications/snipola.desktop    menu entry and "Open with" for MP3/WAV
#   share/icons/hicolor/*/apps/snipola.*  the icon (assets/icons/)
#   share/metainfo/<id>.metainfo.xml      AppStream description for software centres
#   share/man/man1/snipola.1.gz, snipola-cli.1.gz
#   share/doc/snipola/copyright           the licence (GPL-3.0-or-later, the
#                                         machine-readable Debian format)
#   share/doc/snipola/changelog.gz        made from CHANGELOG.md
#
# The programs find their data files relative to their own location
# (base/data_files.h: <bin>/../share/snipola/), so a DESTDIR, /usr/local or
# packaged install works without rebuilding. scripts/check-install checks an
# installed tree.
include(GNUInstallDirs)

set(SNIPOLA_APP_ID "org.snipola.snipola")
set(SNIPOLA_MAINTAINER "Varnell <snipola@example.org>")
# The Debian changelog, and SNIPOLA_RELEASE_DATE: the date CHANGELOG.md gives
# the version project() names.
include(${CMAKE_CURRENT_LIST_DIR}/SnipolaChangelog.cmake)

file(RELATIVE_PATH snipola_bin_to_data "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_DATADIR}")
if(NOT snipola_bin_to_data STREQUAL "../share")
  message(WARNING "The programs look for their data in ../share/snipola beside their bin folder; "
                  "CMAKE_INSTALL_BINDIR=${CMAKE_INSTALL_BINDIR} with CMAKE_INSTALL_DATADIR="
                  "${CMAKE_INSTALL_DATADIR} puts it elsewhere, so help and the demo clip will be missing.")
endif()
set(snipola_data ${CMAKE_INSTALL_DATADIR}/snipola)

install(TARGETS snipola snipola-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The installed programs resolve every symbol at start and then keep their
# relocation tables read-only (Debian's "bindnow" hardening).
foreach(program snipola snipola-cli)
  target_link_options(${program} PRIVATE LINKER:-z,relro,-z,now)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/demo/snipola-demo.wav DESTINATION ${snipola_data}/demo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/manual/ DESTINATION ${snipola_data}/manual)

install(FILES ${PROJECT_SOURCE_DIR}/assets/desktop/snipola.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${PROJECT_SOURCE_DIR}/assets/desktop/snipola.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/desktop/${SNIPOLA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${SNIPOLA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/snipola.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/snipola-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME snipola.png)
endforeach()

# Manual pages and the changelog are installed compressed, as Debian's policy
# asks: gzip -9n, with no name or time stamp, so equal sources give equal bytes.
find_program(SNIPOLA_GZIP gzip REQUIRED)
set(snipola_gzipped)
function(snipola_gzip source)
  add_custom_command(
    OUTPUT ${source}.gz
    COMMAND ${SNIPOLA_GZIP} -9nkf ${source}
    DEPENDS ${source}
    VERBATIM)
  set(snipola_gzipped ${snipola_gzipped} ${source}.gz PARENT_SCOPE)
endfunction()

foreach(page snipola snipola-cli)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  snipola_gzip(${CMAKE_BINARY_DIR}/man/${page}.1)
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(snipola_doc ${CMAKE_INSTALL_DATADIR}/doc/snipola)
snipola_gzip(${SNIPOLA_DEBIAN_CHANGELOG})
install(FILES ${PROJECT_SOURCE_DIR}/assets/package/copyright ${SNIPOLA_DEBIAN_CHANGELOG}.gz
        DESTINATION ${snipola_doc})
add_custom_target(snipola-gzipped-docs ALL DEPENDS ${snipola_gzipped})

# The Debian package: `cpack --config build/CPackConfig.cmake -B build/package`
# in a Release build. dpkg-shlibdeps works out the library dependencies; the
# Qt platform plugins are loaded at run time, so they are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME snipola)
set(CPACK_PACKAGE_VENDOR "Varnell")
set(CPACK_PACKAGE_CONTACT ${SNIPOLA_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cut pieces out of MP3 and WAV files")
set(CPACK_PACKAGE_DESCRIPTION
    "Snipola opens an MP3 or WAV file, plays it, marks a begin and an end with\n"
    "millisecond precision and exports the marked piece, or everything outside\n"
    "it, as a constant-bitrate MP3 or a 16-bit WAV with optional fades. The\n"
    "command-line tool snipola-cli describes and cuts files the same way.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, xdg-utils")
# Purging the package also removes the install record a run as root wrote.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/assets/desktop/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
