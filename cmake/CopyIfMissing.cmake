# cmake -DSRC=<file or dir> -DDEST=<dir> -P CopyIfMissing.cmake
# Copies files into DEST only where DEST has no file of that name yet, so that what a user changed
# in the program's folder (a template laid out anew) survives every rebuild.
file(GLOB files LIST_DIRECTORIES false "${SRC}")
foreach(f ${files})
  get_filename_component(name "${f}" NAME)
  if(NOT EXISTS "${DEST}/${name}")
    file(COPY "${f}" DESTINATION "${DEST}")
  endif()
endforeach()
