# pt_public_headers(<target> <scope> <prefix> <header>...)
#
# Gives <target> an include folder of its own that holds only the listed
# headers, under <prefix>/, so `#include "<prefix>/x.h"` works for the target
# and for whatever links it -- and a file that includes a header of a library
# it does not link fails to build instead of compiling by accident. The
# headers are linked, not copied, so an edit is seen at once.
function(pt_public_headers target scope prefix)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(MAKE_DIRECTORY ${root}/${prefix})
  foreach(header IN LISTS ARGN)
    get_filename_component(path ${header} ABSOLUTE)
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${path} ${root}/${prefix}/${name} SYMBOLIC COPY_ON_ERROR)
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()
