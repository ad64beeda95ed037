# `cmake --install` puts the three libraries, their headers and a package configuration under
# the prefix, so another project can `find_package(Tapstorm)` and link Tapstorm::Dialogs,
# Tapstorm::LinkLabel or Tapstorm::Framework.
include(CMakePackageConfigHelpers)

set(TAPSTORM_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tapstorm)
set(installed_libraries)
foreach(lib framework controls custdlgs)
  if(TARGET ${lib})
    list(APPEND installed_libraries ${lib})
  endif()
endforeach()

install(TARGETS ${installed_libraries} EXPORT TapstormTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The headers keep their folders: sources include them as "framework/Forms.h" and so on.
foreach(folder framework controls dialogs)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/${folder}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${folder}
          FILES_MATCHING PATTERN "*.h")
endforeach()

install(EXPORT TapstormTargets NAMESPACE Tapstorm:: DESTINATION ${TAPSTORM_CMAKE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/TapstormConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/TapstormConfig.cmake INSTALL_DESTINATION ${TAPSTORM_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TapstormConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/TapstormConfig.cmake ${CMAKE_BINARY_DIR}/TapstormConfigVersion.cmake
        DESTINATION ${TAPSTORM_CMAKE_DIR})
