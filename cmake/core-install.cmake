# Installs the converter core for other programs (component "dev"): the
# header <flowsvg/flowsvg.h>, the static library libflowsvg.a, a CMake
# package (find_package(flowsvg CONFIG) gives flowsvg::core) and flowsvg.pc
# for pkg-config. The Debian packages take only their own components, so
# none of this lands in them.
include(CMakePackageConfigHelpers)
set_target_properties(flowsvg_core PROPERTIES EXPORT_NAME core
                                              OUTPUT_NAME flowsvg)
install(TARGETS flowsvg_core EXPORT flowsvgTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(FILES ${PROJECT_SOURCE_DIR}/include/flowsvg/flowsvg.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/flowsvg COMPONENT dev)
set(flowsvg_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/flowsvg)
install(EXPORT flowsvgTargets NAMESPACE flowsvg::
        DESTINATION ${flowsvg_cmake_dir} COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/flowsvgConfig.cmake.in
  ${PROJECT_BINARY_DIR}/flowsvgConfig.cmake
  INSTALL_DESTINATION ${flowsvg_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/flowsvgConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/flowsvgConfig.cmake
              ${PROJECT_BINARY_DIR}/flowsvgConfigVersion.cmake
        DESTINATION ${flowsvg_cmake_dir} COMPONENT dev)
# The prefix is the one given to cmake --install (--prefix), so the file is
# written at install time.
install(CODE "
  set(CMAKE_INSTALL_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(CMAKE_INSTALL_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  set(PROJECT_HOMEPAGE_URL \"${PROJECT_HOMEPAGE_URL}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/cmake/flowsvg.pc.in\"
                 \"${PROJECT_BINARY_DIR}/flowsvg.pc\" @ONLY)
  file(INSTALL \"${PROJECT_BINARY_DIR}/flowsvg.pc\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\")
  " COMPONENT dev)
