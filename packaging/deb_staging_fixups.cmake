# Run by cpack on the staged files before it packs them. A .deb installs under
# /usr, where the loader finds libtolk64 by itself, so the programs' run path
# (set for installs into other prefixes) is dropped; and the pkg-config file,
# written for the staging directory, is pointed at the packaging prefix.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
  if(NOT IS_SYMLINK "${program}")
    file(RPATH_REMOVE FILE "${program}")
  endif()
endforeach()

file(GLOB_RECURSE pc_files "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/pkgconfig/*.pc")
foreach(pc IN LISTS pc_files)
  file(STRINGS "${pc}" lines)
  list(TRANSFORM lines REPLACE "^prefix=.*" "prefix=${CPACK_PACKAGING_INSTALL_PREFIX}")
  list(JOIN lines "\n" text)
  file(WRITE "${pc}" "${text}\n")
endforeach()
