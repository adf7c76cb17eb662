# The packages `cpack` builds from the install rules (packaging/CMakeLists.txt).
# Settings every package shares come first; then one block per platform with
# its generators and their settings: Debian's .deb for Linux here. Another
# platform's generators go in a block of their own (if(WIN32) ... endif())
# before include(CPack).

set(CPACK_PACKAGE_NAME flowsvg)
set(CPACK_PACKAGE_VENDOR "The flowsvg authors")
set(CPACK_PACKAGE_CONTACT "${FLOWSVG_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)

if(UNIX AND NOT APPLE)
  # One package, flowsvg_VERSION_ARCH.deb, with both programs. The installed
  # window's compiled-in folders must be the ones the package installs to.
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries, as dpkg-shlibdeps finds them, and the font the window
  # draws its buttons' symbols with.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
  # The long description under the summary line (PROJECT_DESCRIPTION).
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"A person writes a flowchart by hand as a small INI-like text file: sections
for the bands of the chart, and in them boxes with an id, the ids of their
parent boxes, a title and any key = value lines. flowsvg turns it into one
self-contained SVG drawing: a header, one band per section, white boxes with
a green title bar, curved connectors with arrowheads and a summary panel.
.
The package holds the command flowsvg, for scripts and pipelines, and
flowsvg-desktop, the same converter in a small window with a menu entry.")
  # Folders the package makes get the usual rwxr-xr-x, whatever the umask.
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()

include(CPack)
