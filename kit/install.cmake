# Installation of the whole kit in components, which `cmake --install
# --component NAME` installs one at a time and cpack packs one Debian package
# each from:
#   Runtime        programs, manual pages of sections 1 and 5
#   libNAMEMAJOR   one per shared client library, named after its SONAME as
#                  Debian's library packages are (libqomsg.so.1: libqomsg1,
#                  libqokit_nls.so.1: libqokit-nls1), so that a client's
#                  package depends on the libraries it uses and no other
#   Development    C headers, static libraries, the shared libraries' link
#                  names, the CMake package, the pkg-config file, manual
#                  pages of section 3
#   Documentation  README, ARCHITECTURE and the example clients
include(CMakePackageConfigHelpers)

set(QOKIT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/qokit)
set(QOKIT_PACKAGE_CONTACT "qokit developers <maintainers@users.noreply.c-seed-f6be07fc.example>"
    CACHE STRING "Maintainer of the Debian packages cpack makes (name <address>)")

install(TARGETS ${qokit_exported_programs} EXPORT qokitTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
set(qokit_library_packages "")
foreach(target ${qokit_library_targets})
  if(target MATCHES "_shared$")
    get_target_property(name ${target} OUTPUT_NAME)
    string(REPLACE "_" "-" package "lib${name}${PROJECT_VERSION_MAJOR}")
    install(TARGETS ${target} EXPORT qokitTargets
      LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${package} NAMELINK_COMPONENT Development)
    list(APPEND qokit_library_packages ${package})
    set(qokit_${package}_library lib${name}.so.${PROJECT_VERSION_MAJOR})
  else()
    install(TARGETS ${target} EXPORT qokitTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
  endif()
endforeach()
foreach(entry ${qokit_header_installs})
  string(REPLACE ":" ";" entry "${entry}")
  list(GET entry 0 source)
  list(GET entry 1 subdir)
  install(FILES ${source} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qokit/${subdir} COMPONENT Development)
endforeach()

install(EXPORT qokitTargets NAMESPACE qokit:: DESTINATION ${QOKIT_CMAKE_DIR} COMPONENT Development)
configure_package_config_file(cmake/qokitConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/qokitConfig.cmake INSTALL_DESTINATION ${QOKIT_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/qokitConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qokitConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/qokitConfigVersion.cmake
              cmake/qokitFunctions.cmake cmake/qokitRun.cmake
        DESTINATION ${QOKIT_CMAKE_DIR} COMPONENT Development)

# The pkg-config file finds its prefix relative to itself, so the install
# prefix may be chosen at install time.
file(RELATIVE_PATH QOKIT_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(cmake/qokit.pc.in ${CMAKE_CURRENT_BINARY_DIR}/qokit.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qokit.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT Development)

# Manual pages are installed compressed (gzip -n: no name or time inside, so
# two builds give the same bytes).
find_program(QOKIT_GZIP gzip REQUIRED)
set(compressed_pages "")
foreach(section 1 3 5)
  file(GLOB pages ${CMAKE_CURRENT_SOURCE_DIR}/man/*.${section})
  foreach(page ${pages})
    get_filename_component(leaf ${page} NAME)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/man/${leaf}.gz)
    add_custom_command(OUTPUT ${out} COMMAND ${QOKIT_GZIP} -9n -c ${page} > ${out} DEPENDS ${page} VERBATIM)
    list(APPEND compressed_pages ${out})
    if(section EQUAL 3)
      set(component Development)
    else()
      set(component Runtime)
    endif()
    install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT ${component})
  endforeach()
endforeach()
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/man)
add_custom_target(qokit_man_pages ALL DEPENDS ${compressed_pages})

# Each Debian package carries the copyright and the changelog in its own
# documentation folder.
set(qokit_package_names qokit qokit-dev qokit-doc ${qokit_library_packages})
set(qokit_package_components Runtime Development Documentation ${qokit_library_packages})
configure_file(package/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  COMMAND ${QOKIT_GZIP} -9n -c ${CMAKE_CURRENT_BINARY_DIR}/changelog > ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog VERBATIM)
add_custom_target(qokit_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
foreach(package component IN ZIP_LISTS qokit_package_names qokit_package_components)
  install(FILES package/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/ARCHITECTURE.md
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/qokit-doc COMPONENT Documentation)
# examples/translate builds against the source tree it lies in: not an installed example.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/qokit-doc/examples
        COMPONENT Documentation PATTERN translate EXCLUDE)

# `cpack` in the build folder makes one Debian package per component (the
# first line of each description is its synopsis) and a
# tarball of the whole install that can be used as a prefix where it is
# unpacked (package/cpack_options.cmake). The programs' Debian dependencies
# are read off them by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME qokit)
set(CPACK_PACKAGE_VENDOR "qokit developers")
set(CPACK_PACKAGE_CONTACT "${QOKIT_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/package/cpack_options.cmake)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME qokit)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "message, help and file-status tools for backup clients
The message catalogue compiler qogenmsg (message sources to a C header of
message numbers and a binary message object file), the help-text compilers
vexproc and vexproc-legacy, the file-status agent statagent that clients
start to stat files without hanging on a dead file system, and the tools
around them: qomsgcheck, qomsgpo (PO files for translators), qomsgsig,
qomsgdump, vexdump and qostamp.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME qokit-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The link names in this package point into the library packages.
set(qokit_dev_depends "qokit (= ${PROJECT_VERSION})")
foreach(package ${qokit_library_packages})
  string(APPEND qokit_dev_depends ", ${package} (= ${PROJECT_VERSION})")
endforeach()
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${qokit_dev_depends}")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "development files of the qokit client libraries
C headers, static libraries, the CMake package (find_package(qokit) with the
build functions qokit_add_messages, qokit_add_translations and
qokit_add_help), the pkg-config file and the manual pages of the libraries
that read message catalogues and help files and drive the file-status
agent.")
set(CPACK_DEBIAN_DOCUMENTATION_PACKAGE_NAME qokit-doc)
# The shared client libraries: each package has a shlibs file, so packages
# built against it depend on it, and refreshes the loader's cache by a trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(qokit_libqomsg1_summary "reader of qokit message catalogues")
set(qokit_libqomsg1_body "opens the message object files that qogenmsg writes and formats their
messages, in the language the user's locale asks for (qomsg(3)).")
set(qokit_libqohlp1_summary "reader of qokit help files")
set(qokit_libqohlp1_body "opens the help files that vexproc writes and reads their topics and
sections (qohlp(3)).")
set(qokit_libqokit-agentclient1_summary "client of the qokit file-status agent")
set(qokit_libqokit-agentclient1_body "starts statagent and asks it for stat, lstat and statfs results, so a
backup client does not hang on a dead file system (qoagent(3)).")
set(qokit_libqokit-nls1_summary "national-language string layer of qokit")
set(qokit_libqokit-nls1_body "string functions for single-byte, double-byte, multi-byte and Unicode
code sets, chosen by the locale through one table of entry points.")
set(qokit_libqokit-commutil1_summary "canonical integers of qokit")
set(qokit_libqokit-commutil1_body "stores and reads two- and four-byte unsigned values most significant
byte first, so files that hold them read the same on every processor.")
foreach(package ${qokit_library_packages})
  string(TOUPPER ${package} component)
  set(CPACK_DEBIAN_${component}_PACKAGE_NAME ${package})
  set(CPACK_DEBIAN_${component}_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_${component}_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_${component}_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/package/triggers)
  set(CPACK_DEBIAN_${component}_DESCRIPTION "${qokit_${package}_summary}
The shared library ${qokit_${package}_library} of the qokit kit: it
${qokit_${package}_body}")
endforeach()
set(CPACK_DEBIAN_DOCUMENTATION_PACKAGE_SECTION doc)
set(CPACK_DEBIAN_DOCUMENTATION_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DOCUMENTATION_DESCRIPTION "documentation and example clients of qokit
The README with the build and use instructions, the architecture notes, and
the bundled example clients of the message and help readers and of the
file-status agent.")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build[^/]*/;/\\\\.git/")
include(CPack)
