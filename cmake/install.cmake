# Installing: the three layers' headers under include/idut, their shared and static
# libraries, the idut program, the CMake package idut (targets idut::kit, idut::idut,
# idut::read and their _static twins) and a pkg-config file per layer.
include(CMakePackageConfigHelpers)

set(IDUT_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/idut)
set(IDUT_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(DIRECTORY kit/include/kit defs/ci_id reader/include/idread
        DESTINATION ${IDUT_INSTALL_INCLUDEDIR})

set_target_properties(idkit PROPERTIES EXPORT_NAME kit)
set_target_properties(idkit_static PROPERTIES EXPORT_NAME kit_static)
set_target_properties(idread PROPERTIES EXPORT_NAME read)
set_target_properties(idread_static PROPERTIES EXPORT_NAME read_static)
install(TARGETS idkit idkit_static idut idut_static idread idread_static EXPORT idutTargets)
if(TARGET idut_cli)
  install(TARGETS idut_cli)
endif()

install(EXPORT idutTargets NAMESPACE idut:: DESTINATION ${IDUT_INSTALL_CMAKEDIR})
configure_package_config_file(cmake/idutConfig.cmake.in idutConfig.cmake
                              INSTALL_DESTINATION ${IDUT_INSTALL_CMAKEDIR})
write_basic_package_version_file(idutConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/idutConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/idutConfigVersion.cmake
        DESTINATION ${IDUT_INSTALL_CMAKEDIR})

# pkg-config: the files locate the prefix from their own folder, so that an installed tree
# may be moved (and `cmake --install --prefix` chosen after configuring).
file(RELATIVE_PATH IDUT_PKGCONFIG_TO_PREFIX /${IDUT_INSTALL_PKGCONFIGDIR} /)
string(REGEX REPLACE "/$" "" IDUT_PKGCONFIG_TO_PREFIX ${IDUT_PKGCONFIG_TO_PREFIX})
function(idut_pkgconfig name description requires private_libs)
  configure_file(cmake/layer.pc.in ${name}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}.pc DESTINATION ${IDUT_INSTALL_PKGCONFIGDIR})
endfunction()
idut_pkgconfig(idkit "Image kit of the ID utilities: images, pixel operations, filters" "" -pthread)
idut_pkgconfig(idut "ID utilities: symbol finding, scanning, edges, error correction" idkit "")
idut_pkgconfig(idread "DataMatrix reader over the ID utilities" idut "")

# The installed package, used from a separate project through find_package and through
# pkg-config; under the sanitizers that project is built with them too.
if(BUILD_TESTING)
  find_program(IDUT_PKG_CONFIG pkg-config)
  if(IDUT_SANITIZE)
    set(consumer_flags ${IDUT_SANITIZE_FLAGS})
  endif()
  add_test(NAME install
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                   -DCONSUMER_DIR=${CMAKE_SOURCE_DIR}/tests/install/consumer
                   -DCXX=${CMAKE_CXX_COMPILER} "-DFLAGS=${consumer_flags}"
                   -DPKGCONFIG_DIR=${IDUT_INSTALL_PKGCONFIGDIR} -DPKG_CONFIG=${IDUT_PKG_CONFIG}
                   -P ${CMAKE_SOURCE_DIR}/tests/install/build_consumer.cmake)
endif()
