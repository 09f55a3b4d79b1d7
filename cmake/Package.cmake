# The release zip for moderators: what goes in it (install rules of the component
# "release") and the CPack ZIP configuration. `cpack -G ZIP` in the build tree makes
# the zip; scripts/package runs it and rewrites the result with fixed timestamps and
# order, so that the same build gives the same bytes.
#
#   vostrel-1.0/vostrel.exe
#   vostrel-1.0/README.txt                         for moderators, in Chinese
#   vostrel-1.0/morvath.txt                        a sample text library, loaded at start-up
#   vostrel-1.0/standin-client/standin-client.exe  a stand-in client to practise on

set(VOSTREL_RELEASE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
set(VOSTREL_RELEASE_NAME "vostrel-${VOSTREL_RELEASE_VERSION}")

# No link time in the PE header: the same sources give the same exe, and so the same zip.
if(MINGW)
  target_link_options(vostrel PRIVATE -Wl,--no-insert-timestamp)
  target_link_options(standin-client PRIVATE -Wl,--no-insert-timestamp)
endif()

# Visual Studio's linker writes a default manifest of its own; ours comes from the .rc.
if(MSVC)
  target_link_options(vostrel PRIVATE /MANIFEST:NO)
endif()

# Notepad on Windows 7 and 8 neither reads LF-only lines nor guesses UTF-8 without a
# byte-order mark: the README is shipped as UTF-8 with BOM (kept in the source) and CRLF.
configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt ${CMAKE_BINARY_DIR}/package-files/README.txt
               @ONLY NEWLINE_STYLE CRLF)

install(TARGETS vostrel RUNTIME DESTINATION . COMPONENT release)
install(FILES ${CMAKE_BINARY_DIR}/package-files/README.txt ${PROJECT_SOURCE_DIR}/packaging/morvath.txt
        DESTINATION . COMPONENT release)
install(TARGETS standin-client RUNTIME DESTINATION standin-client COMPONENT release)

# cpack packs what is built and builds nothing itself (it would otherwise build every
# target, tests included, first): scripts/package builds the two programs before it.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vostrel)
set(CPACK_PACKAGE_VENDOR "Morvath")
set(CPACK_PACKAGE_VERSION ${VOSTREL_RELEASE_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${VOSTREL_RELEASE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# One folder in the zip: unpacking it anywhere gives vostrel-1.0\ with everything inside.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_COMPONENTS_ALL release)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
include(CPack)
