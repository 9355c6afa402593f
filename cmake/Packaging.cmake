# Install layout and the Debian package (cmake --build build --target package).
#
# Everything goes under /usr: the programs in bin, the desktop entry and icon
# where desktops look for them, the guide in share/doc/zelcrm, the example
# configurations in share/zelcrm, the OLT service's unit in lib/systemd/system.
# Included last from the top CMakeLists, so every program target exists here.

include(GNUInstallDirs)

set(ZEL_PACKAGE_PREFIX "/usr")

install(TARGETS zelcrm zelcrm-admin zelcrm-oltd RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET zelcrm-sandbox)
  install(TARGETS zelcrm-sandbox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES data/zelcrm.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/icons/zelcrm.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

file(GLOB zel_example_configs ${CMAKE_SOURCE_DIR}/etc/*.example.ini
     ${CMAKE_SOURCE_DIR}/etc/*.example.secrets)
install(FILES ${zel_example_configs} DESTINATION ${CMAKE_INSTALL_DATADIR}/zelcrm)

# The unit in etc/ names the program where a hand install puts it; the
# packaged one must name the program the package installs.
file(READ ${CMAKE_SOURCE_DIR}/etc/zelcrm-oltd.service zel_oltd_unit)
string(REPLACE "/usr/local/bin/zelcrm-oltd" "${ZEL_PACKAGE_PREFIX}/bin/zelcrm-oltd" zel_oltd_unit
               "${zel_oltd_unit}")
string(REPLACE "# Install: copy to /etc/systemd/system/, put" "# Before enabling, put" zel_oltd_unit
               "${zel_oltd_unit}")
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/packaging/zelcrm-oltd.service CONTENT "${zel_oltd_unit}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/etc/zelcrm-oltd.service)
install(FILES ${CMAKE_BINARY_DIR}/packaging/zelcrm-oltd.service DESTINATION lib/systemd/system)

install(FILES README.md docs/guide.md data/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian wants the manual pages and the changelog gzipped, and reproducibly
# (-n: no name or time in the header, so the same sources give the same .deb).
find_program(ZEL_GZIP gzip REQUIRED)
set(zel_gzipped)
function(zel_gzip source output)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${ZEL_GZIP} -9 -n -c ${source} > ${output}
                     DEPENDS ${source} VERBATIM)
  set(zel_gzipped ${zel_gzipped} ${output} PARENT_SCOPE)
endfunction()

set(zel_manual_pages zelcrm zelcrm-admin zelcrm-oltd)
if(TARGET zelcrm-sandbox)
  list(APPEND zel_manual_pages zelcrm-sandbox)
endif()
foreach(program ${zel_manual_pages})
  zel_gzip(${CMAKE_SOURCE_DIR}/data/man/${program}.1 ${CMAKE_BINARY_DIR}/packaging/${program}.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
zel_gzip(${CMAKE_SOURCE_DIR}/data/debian/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_target(zel_package_docs ALL DEPENDS ${zel_gzipped})
install(DIRECTORY docs/screenshots DESTINATION ${CMAKE_INSTALL_DOCDIR} FILES_MATCHING
        PATTERN "*.png")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "zelcrm")
set(CPACK_PACKAGE_VENDOR "ZEL")
set(CPACK_PACKAGE_CONTACT "ZEL NOC tools <noc-tools@zel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "NOC and customer-care desk client for a broadband franchise")
# Debian shows the description as it is: lines of at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Registers subscribers and their network resources, logs and closes
complaints, follows site faults and OLT outages with SMS, WhatsApp and mail
notices, and configures subscribers' ONUs through the OLT management web
service (zelcrm-oltd, included with its systemd unit). Works on SQL Server
through ODBC or on an embedded SQLite database (zelcrm-admin creates one).")
set(CPACK_PACKAGING_INSTALL_PREFIX "${ZEL_PACKAGE_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "net")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zel.invalid/crm")
# Libraries the programs link come from dpkg-shlibdeps; the list below is what
# is loaded at run time instead: the Qt SQL drivers (SQLite, ODBC, PostgreSQL), the ODBC
# driver for SQL Server, adduser for the service account of zelcrm-oltd, and
# openssl, which zelcrm-sandbox runs to make its certificate.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-odbc, libqt6sql6-psql, tdsodbc, adduser, openssl")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_SOURCE_DIR}/data/debian/postinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
