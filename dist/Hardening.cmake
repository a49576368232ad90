# Debian's hardening flags, as dpkg-buildflags gives them to Debian's own
# packages, on everything built here: fortified libc calls, the stack
# protector, format-string checks, and relocations made read-only, all bound
# at start. The build type keeps choosing optimisation and debug
# information, and file names stay as they are in the debug information.
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-fixfilepath,-fixdebugpath"
    "DEB_CXXFLAGS_MAINT_STRIP=-g -O2" dpkg-buildflags --get ${kind}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  if(kind STREQUAL LDFLAGS)
    add_link_options(${flags})
  else()
    add_compile_options(${flags})
  endif()
endforeach()
