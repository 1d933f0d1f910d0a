# Per-generator settings, read by cpack for each generator it runs: the
# tarball holds the install tree itself (bin/, lib/, share/ at its top), so
# it can be used as a prefix where it is unpacked; the Debian packages
# install under /usr.
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
endif()
