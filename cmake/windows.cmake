# What the Windows build (preset `windows`, cmake/mingw-w64.cmake) needs beyond the Linux one.
# Included by the top-level CMakeLists.txt before the sources.

# One self-contained .exe: the C++ and C run-time and the thread library linked in, so that
# the program runs on a bare Windows with nothing beside it but the system's own DLLs.
add_link_options(-static)
# The Windows API in its UTF-16 form, as of Windows 7; windows.h without min/max macros.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# CLI11 and nlohmann-json are header-only, installed for the host in /usr/include. Their CMake
# packages would put all of /usr/include on the cross compiler's path, ahead of the target's
# own C library headers; instead, a folder of the build holds links to just their two folders
# and the two targets point there. The packages' own files then find the targets defined and
# add nothing.
set(COMPATTATORE_INTESTAZIONI_HOST ${CMAKE_BINARY_DIR}/intestazioni_host)
file(MAKE_DIRECTORY ${COMPATTATORE_INTESTAZIONI_HOST})
foreach(cartella nlohmann CLI)
  if(NOT IS_DIRECTORY /usr/include/${cartella})
    message(FATAL_ERROR "/usr/include/${cartella} is missing: run scripts/setup.sh")
  endif()
  file(CREATE_LINK /usr/include/${cartella} ${COMPATTATORE_INTESTAZIONI_HOST}/${cartella} SYMBOLIC)
endforeach()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json CLI11::CLI11 PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${COMPATTATORE_INTESTAZIONI_HOST})
set(nlohmann_json_DIR /usr/share/cmake/nlohmann_json CACHE PATH "")
set(CLI11_DIR /usr/share/cmake/CLI11 CACHE PATH "")

# GoogleTest is built for the target from Debian's source package.
set(COMPATTATORE_SORGENTI_GOOGLETEST /usr/src/googletest CACHE PATH
    "GoogleTest's sources, built for the target")
