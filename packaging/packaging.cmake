# Manual pages, AppStream metadata, the Debian copyright file and changelog,
# and the Debian package (cpack -G DEB in the build folder). Included by the
# top-level CMakeLists.txt after the programs are defined.

set(TESSALINE_APPSTREAM_ID "org.tessaline.tessaline")
set(TESSALINE_SCREENSHOT_URL "https://tessaline.invalid/docs" CACHE STRING
  "Web address where the pictures of the repository's docs/ folder are published")
set(TESSALINE_PACKAGE_MAINTAINER "Tessaline developers <tessaline@packages.invalid>" CACHE STRING
  "Maintainer field of the Debian package")

set(TESSALINE_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TESSALINE_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
set(TESSALINE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tessaline)
file(MAKE_DIRECTORY ${TESSALINE_PACKAGING_OUT})

# Installed documentation is gzipped without a name or time stamp (gzip -9n),
# as Debian wants it. That happens here, when CMake configures, so the build
# runs no program to make installed files; configure_file and
# CMAKE_CONFIGURE_DEPENDS make an edit to a source configure again.
find_program(TESSALINE_GZIP gzip)
function(tessaline_gzip source target)
  execute_process(COMMAND ${TESSALINE_GZIP} -9nc ${source}
    OUTPUT_FILE ${target} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${source}")
  endif()
endfunction()

if(TESSALINE_GZIP)
  set(pages tessaline-process)
  if(TARGET tessaline)
    list(APPEND pages tessaline)
  endif()
  foreach(page IN LISTS pages)
    configure_file(${TESSALINE_PACKAGING_DIR}/${page}.1.in ${TESSALINE_PACKAGING_OUT}/${page}.1 @ONLY)
    tessaline_gzip(${TESSALINE_PACKAGING_OUT}/${page}.1 ${TESSALINE_PACKAGING_OUT}/${page}.1.gz)
    install(FILES ${TESSALINE_PACKAGING_OUT}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()

  # The package is native (the packaging lives with the program, so its
  # version has no Debian revision): Debian policy names its changelog, in
  # Debian's format, changelog.gz.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TESSALINE_PACKAGING_DIR}/changelog)
  tessaline_gzip(${TESSALINE_PACKAGING_DIR}/changelog ${TESSALINE_PACKAGING_OUT}/changelog.gz)
  install(FILES ${TESSALINE_PACKAGING_OUT}/changelog.gz DESTINATION ${TESSALINE_DOC_DIR})
else()
  message(WARNING "gzip not found: the manual pages and the changelog are not installed")
endif()
install(FILES ${TESSALINE_PACKAGING_DIR}/copyright DESTINATION ${TESSALINE_DOC_DIR})

if(TARGET tessaline)
  set(TESSALINE_METAINFO ${TESSALINE_PACKAGING_OUT}/${TESSALINE_APPSTREAM_ID}.metainfo.xml)
  configure_file(${TESSALINE_PACKAGING_DIR}/tessaline.metainfo.xml.in ${TESSALINE_METAINFO} @ONLY)
  install(FILES ${TESSALINE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The Debian package. Its dependencies come from the programs themselves
# (dpkg-shlibdeps), so they follow whatever libraries the build links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tessaline developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare texts for reading on TI-89 and TI-92 Plus calculators")
# One element per line of the extended description (Debian wants lines of at
# most 80 characters); an empty element is an empty line.
set(description
  "Tessaline breaks the lines of a text so that it reads well on the screen"
  "of a TI-89 or TI-92 Plus calculator, in the Folivane reader or in the"
  "calculator's Text Editor: it inserts CR LF so that no line is wider than"
  "the target allows, measured in pixels of the calculator's small font or"
  "counted in characters."
  ""
  "The package holds the window program tessaline, where texts are typed or"
  "opened, marked up for Folivane and processed, and the batch tool"
  "tessaline-process, which does the same to files.")
list(JOIN description "\n" CPACK_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TESSALINE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

if(BUILD_TESTING OR NOT DEFINED BUILD_TESTING)
  add_subdirectory(tests/packaging)
endif()
