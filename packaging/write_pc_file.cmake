# Run at install time: installs the pkg-config file written for the prefix
# actually installed into (cmake --install --prefix DIR), not the one
# configured. Expects PC_TEMPLATE, PC_NAME, WORK_DIR, TOLK_NAME,
# PROJECT_VERSION, LIBDIR and INCLUDEDIR (relative to the prefix, or absolute).
set(PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${${kind}}")
    set(PC_${kind} "${${kind}}")
    set(${kind}_FULL "${${kind}}")
  else()
    set(PC_${kind} "\${prefix}/${${kind}}")
    set(${kind}_FULL "${CMAKE_INSTALL_PREFIX}/${${kind}}")
  endif()
endforeach()
# Installs can run side by side (a test installs while cpack stages), so each
# writes its own copy.
string(RANDOM LENGTH 12 tag)
set(written "${WORK_DIR}/${PC_NAME}.${tag}")
configure_file("${PC_TEMPLATE}" "${written}" @ONLY)
file(INSTALL DESTINATION "${LIBDIR_FULL}/pkgconfig" TYPE FILE RENAME "${PC_NAME}" FILES "${written}")
file(REMOVE "${written}")
