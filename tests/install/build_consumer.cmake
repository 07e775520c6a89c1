# Installs the build tree into a fresh prefix, then builds the consumer program against it
# through find_package (shared and static) and through pkg-config, and runs each build.
# Arguments: BUILD_DIR, CONSUMER_DIR, CXX, FLAGS (compile and link flags, a list),
# PKGCONFIG_DIR (relative to the prefix), PKG_CONFIG (empty when pkg-config is missing).
set(work ${BUILD_DIR}/install-test)
set(prefix ${work}/prefix)
file(REMOVE_RECURSE ${work})

# Runs the command; stops the test with its output when it fails.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "${command}\n${output}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

list(JOIN FLAGS " " flags)
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${work}/cmake -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${flags}")
run(${CMAKE_COMMAND} --build ${work}/cmake)
run(${work}/cmake/read_drawn_symbol)
run(${work}/cmake/read_drawn_symbol_static)

if(NOT PKG_CONFIG)
  message(STATUS "pkg-config not found: the pkg-config build is skipped")
  return()
endif()
set(ENV{PKG_CONFIG_PATH} ${prefix}/${PKGCONFIG_DIR})
execute_process(COMMAND ${PKG_CONFIG} --cflags --libs idread OUTPUT_VARIABLE package
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${PKG_CONFIG} --variable=libdir idread OUTPUT_VARIABLE libdir
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(package UNIX_COMMAND "${package}")
run(${CXX} -std=c++20 ${FLAGS} ${CONSUMER_DIR}/read_drawn_symbol.cpp ${package}
    -Wl,-rpath,${libdir} -o ${work}/read_drawn_symbol_pkg)
run(${work}/read_drawn_symbol_pkg)
