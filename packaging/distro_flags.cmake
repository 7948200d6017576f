# The hardening a Debian package gets: dpkg-buildflags' compiler, preprocessor
# and linker flags with every hardening feature asked for (stack protector,
# _FORTIFY_SOURCE, RELRO with BIND_NOW; the compiler makes PIE by default).
# The optimisation and debug flags stay the build type's own. Fortified
# functions need the optimiser, so a Debug build goes without them.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: the program is built without Debian's hardening flags")
  return()
endif()
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  # Run from the source's top: the file paths it maps become relative, the same in every checkout.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g|O.*)$")
  set(distro_${kind} ${flags})
endforeach()
add_compile_options("$<$<NOT:$<CONFIG:Debug>>:${distro_CPPFLAGS}>" ${distro_CXXFLAGS})
add_link_options(${distro_LDFLAGS})
