# Installation of the whole kit: programs, libraries with their C headers, a
# CMake package with imported targets and build functions, a pkg-config file,
# the manual pages and the packages cpack makes of them.
include(CMakePackageConfigHelpers)

set(QOKIT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/qokit)

install(TARGETS ${qokit_exported_programs} EXPORT qokitTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${qokit_library_targets} EXPORT qokitTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(entry ${qokit_header_installs})
  string(REPLACE ":" ";" entry "${entry}")
  list(GET entry 0 source)
  list(GET entry 1 subdir)
  install(FILES ${source} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qokit/${subdir})
endforeach()

install(EXPORT qokitTargets NAMESPACE qokit:: DESTINATION ${QOKIT_CMAKE_DIR})
configure_package_config_file(cmake/qokitConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/qokitConfig.cmake INSTALL_DESTINATION ${QOKIT_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/qokitConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qokitConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/qokitConfigVersion.cmake
              cmake/qokitFunctions.cmake cmake/qokitRun.cmake
        DESTINATION ${QOKIT_CMAKE_DIR})

# The pkg-config file finds its prefix relative to itself, so the install
# prefix may be chosen at install time.
file(RELATIVE_PATH QOKIT_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(cmake/qokit.pc.in ${CMAKE_CURRENT_BINARY_DIR}/qokit.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qokit.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

foreach(section 1 3 5)
  file(GLOB pages ${CMAKE_CURRENT_SOURCE_DIR}/man/*.${section})
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# `cpack` in the build folder makes a Debian package and a tarball of the
# install. The Debian dependencies are read off the programs by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME qokit)
set(CPACK_PACKAGE_VENDOR "qokit developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Build tools and run-time readers for the backup clients' messages, help and file status")
set(CPACK_PACKAGE_CONTACT "qokit developers <qokit@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build[^/]*/;/\\\\.git/")
include(CPack)
