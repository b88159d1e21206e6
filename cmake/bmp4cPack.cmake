# The install's documents and the packages CPack makes of it: a Debian
# package, a Linux archive or a Windows zip, one per configuration (the
# presets in CMakePresets.json; `cmake -P cmake/pack.cmake` makes all three).
#
# With BMP4C_DEBIAN the install is laid out as Debian asks: the manual pages
# gzipped, the licence as share/doc/bmp4c/copyright and a changelog beside
# it; dpkg-shlibdeps works out the package's dependencies.
option(BMP4C_DEBIAN "Lay the install out as a Debian package, and pack it as one" OFF)
set(BMP4C_MAINTAINER "bmp4c maintainers <maintainers@users.noreply.c-seed-50ed57c8.example>"
  CACHE STRING "The Debian package's maintainer, a name and an address")

set(manpages bmp4c.1 bmp4c-preview.1)
if(TARGET bmp4c-grey)
  list(APPEND manpages bmp4c-grey.1)
endif()
list(TRANSFORM manpages PREPEND "${PROJECT_SOURCE_DIR}/doc/" OUTPUT_VARIABLE sources)
if(BMP4C_DEBIAN)
  # gzip -n leaves out the name and time, so the same page packs the same.
  find_program(BMP4C_GZIP gzip REQUIRED)
  list(TRANSFORM manpages PREPEND "doc/" OUTPUT_VARIABLE copies)
  list(TRANSFORM manpages PREPEND "${PROJECT_BINARY_DIR}/doc/" OUTPUT_VARIABLE gzipped)
  list(TRANSFORM gzipped APPEND .gz)
  add_custom_command(OUTPUT ${gzipped} "${PROJECT_BINARY_DIR}/doc/changelog.gz"
    COMMAND "${CMAKE_COMMAND}" -E make_directory doc
    COMMAND "${CMAKE_COMMAND}" -E copy ${sources} "${PROJECT_SOURCE_DIR}/doc/changelog" doc
    COMMAND "${BMP4C_GZIP}" -9nf ${copies} doc/changelog
    DEPENDS ${sources} "${PROJECT_SOURCE_DIR}/doc/changelog"
    WORKING_DIRECTORY "${PROJECT_BINARY_DIR}" VERBATIM)
  add_custom_target(bmp4c_documents ALL DEPENDS ${gzipped})
  install(FILES ${gzipped} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES "${PROJECT_BINARY_DIR}/doc/changelog.gz" "${PROJECT_BINARY_DIR}/doc/copyright"
    README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # Debian's machine-readable form: the MIT text, indented, under its
  # Debian name, Expat.
  file(READ LICENSE licence)
  string(STRIP "${licence}" licence)
  string(REPLACE "\n\n" "\n.\n" licence "${licence}")
  string(REPLACE "\n" "\n " licence " ${licence}")
  file(WRITE "${PROJECT_BINARY_DIR}/doc/copyright"
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: bmp4c\n\nFiles: *\nCopyright: 2026 the bmp4c authors\nLicense: Expat\n${licence}\n")
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BMP4C_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
else()
  install(FILES ${sources} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # Unpacked into a folder of its own, an archive is a prefix (bin/, lib/)
  # with README.md and LICENSE beside them; an install into a prefix such
  # as /usr/local leaves them out.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  configure_file(README.md archiveroot/README.md COPYONLY)
  configure_file(LICENSE archiveroot/LICENSE COPYONLY)
  set(CPACK_INSTALLED_DIRECTORIES "${PROJECT_BINARY_DIR}/archiveroot;.")
  if(WIN32)
    math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME bmp4c-${PROJECT_VERSION}-win${bits})
  else()
    set(CPACK_GENERATOR TGZ)
    set(CPACK_PACKAGE_FILE_NAME bmp4c-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  endif()
endif()

set(CPACK_PACKAGE_VENDOR "the bmp4c authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert 16-colour Windows bitmaps into C source")
set(CPACK_PACKAGE_DESCRIPTION [[
bmp4c turns an uncompressed 4-bit (16-colour) Windows bitmap into C source
for firmware, games and small displays: #define WIDTH and HEIGHT, and a char
array of the pixels, top row first, two to a byte. It asks for the two file
names on the console. bmp4c-grey makes such a bitmap of 16 greys from a
PNG, JPEG or other picture, and bmp4c-preview draws a header as a PNG, to
see what the display will show. A CMake package converts images as part of
a build.]])
set(CPACK_STRIP_FILES ON)
include(CPack)
