# What the POSIX platform files need from the build: dlopen is in the C library itself since
# glibc 2.34; older ones need libdl.
include(CheckCXXSymbolExists)
check_cxx_symbol_exists(dlopen dlfcn.h COMPATTATORE_DLOPEN_IN_LIBC)
if(NOT COMPATTATORE_DLOPEN_IN_LIBC)
  target_link_libraries(compattatore_core PRIVATE ${CMAKE_DL_LIBS})
endif()
