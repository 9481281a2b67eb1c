# Run by cpack on the staged files before it packs them. A .deb installs under
# /usr, where the loader finds libtolk64 by itself, so the programs' run path
# (set for installs into other prefixes) is dropped; and the pkg-config file
# is pointed at the packaging prefix whatever prefix the install wrote into it.
# The policies are this script's own (cpack runs it without a project): keep
# the empty lines of the pkg-config file as they are.
cmake_policy(PUSH)
cmake_policy(VERSION 3.25)
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
set(programs ${staged})
list(FILTER programs INCLUDE REGEX "/bin/[^/]+$")
set(pc_files ${staged})
list(FILTER pc_files INCLUDE REGEX "/pkgconfig/[^/]+\\.pc$")
foreach(program IN LISTS programs)
  if(NOT IS_SYMLINK "${program}")
    file(RPATH_REMOVE FILE "${program}")
  endif()
endforeach()

foreach(pc IN LISTS pc_files)
  file(STRINGS "${pc}" lines)
  list(TRANSFORM lines REPLACE "^prefix=.*" "prefix=${CPACK_PACKAGING_INSTALL_PREFIX}")
  list(JOIN lines "\n" text)
  file(WRITE "${pc}" "${text}\n")
endforeach()
cmake_policy(POP)
