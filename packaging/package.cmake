# The packages `cpack` builds from the install rules (packaging/CMakeLists.txt).
# Settings every package shares come first; then one block per platform with
# its generators and their settings: Debian's .deb for Linux here. Another
# platform's generators go in a block of their own (if(WIN32) ... endif())
# before include(CPack).

set(CPACK_PACKAGE_NAME flowsvg)
set(CPACK_PACKAGE_VENDOR "The flowsvg authors")
set(CPACK_PACKAGE_CONTACT "${FLOWSVG_MAINTAINER}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)

if(UNIX AND NOT APPLE)
  # Two packages, as Debian users expect: flowsvg_VERSION_ARCH.deb, the
  # command line, which needs no GTK; and flowsvg-desktop_VERSION_ARCH.deb,
  # the window, which depends on that very version of flowsvg. Each holds
  # one install component (packaging/CMakeLists.txt). The installed window's
  # compiled-in folders must be the ones the package installs to.
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL cli)
  if(TARGET flowsvg-desktop)
    list(APPEND CPACK_COMPONENTS_ALL desktop)
  endif()
  set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries of each, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Each package's description below starts with its own summary line;
  # an empty common summary keeps CPack from putting the project's before
  # both.
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")

  set(CPACK_DEBIAN_CLI_PACKAGE_NAME flowsvg)
  # PNG and PDF output open librsvg, cairo and fontconfig with dlopen when
  # a picture is asked for, so dpkg-shlibdeps cannot see them: they are
  # named here (the oldest versions with the functions used). The pictures
  # are drawn in Liberation Sans, which has the widths of Arial, the
  # drawing's font, that the width warnings were measured with; with it a
  # browser on Linux draws the SVG's text as wide as flowsvg expects too.
  set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS
    "librsvg2-2 (>= 2.52), libcairo2 (>= 1.16), libfontconfig1 (>= 2.13), fonts-liberation2")
  set(CPACK_DEBIAN_CLI_DESCRIPTION
"convert flowchart descriptions into SVG drawings
A person writes a flowchart by hand as a small INI-like text file: sections
for the bands of the chart, and in them boxes with an id, the ids of their
parent boxes, a title and any key = value lines. flowsvg turns it into one
self-contained SVG drawing: a header, one band per section, white boxes with
a green title bar, curved connectors with arrowheads and a summary panel.
.
This package holds the command flowsvg, for scripts and pipelines: one
description or many at once, as SVG, PNG or PDF, a check of descriptions,
and a watch that draws again on every save. The window is in
flowsvg-desktop.")

  set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME flowsvg-desktop)
  set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "flowsvg (= ${PROJECT_VERSION})")
  # Open folder runs xdg-open; DejaVu Sans draws the buttons' symbols.
  set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS
    "xdg-utils, fonts-dejavu-core, fonts-liberation2")
  set(CPACK_DEBIAN_DESKTOP_DESCRIPTION
"convert flowchart descriptions into SVG drawings in a window
A person writes a flowchart by hand as a small INI-like text file: sections
for the bands of the chart, and in them boxes with an id, the ids of their
parent boxes, a title and any key = value lines. flowsvg turns it into one
self-contained SVG drawing.
.
This package holds flowsvg-desktop, the same converter in a small GTK window
with a menu entry: pick the description, press Generate, and read the
numbers of sections and items and the warnings about the description.")
  # Folders the package makes get the usual rwxr-xr-x, whatever the umask.
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()

include(CPack)
