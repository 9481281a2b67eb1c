# Run at install time: writes the pkg-config file for the prefix actually
# installed into (cmake --install --prefix DIR), not the one configured.
# Expects PC_TEMPLATE, PC_OUTPUT, TOLK_NAME, PROJECT_VERSION, LIBDIR and
# INCLUDEDIR (relative to the prefix, or absolute).
set(PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${${kind}}")
    set(PC_${kind} "${${kind}}")
  else()
    set(PC_${kind} "\${prefix}/${${kind}}")
  endif()
endforeach()
configure_file("${PC_TEMPLATE}" "${PC_OUTPUT}" @ONLY)
