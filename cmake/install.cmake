# Installing the program and its manual page, and the Debian package built from them.
include(GNUInstallDirs)

install(TARGETS compattatore RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The desktop window's module, in the program's own library directory, where the program
# looks for it (src/CMakeLists.txt).
install(TARGETS compattatore_finestra LIBRARY DESTINATION ${COMPATTATORE_CARTELLA_MODULI})

# The manual page is made from the program's own --help and --version at build time.
find_program(HELP2MAN_PROGRAM help2man)
find_program(GZIP_PROGRAM gzip)
if(HELP2MAN_PROGRAM AND GZIP_PROGRAM)
  set(COMPATTATORE_MAN ${CMAKE_BINARY_DIR}/compattatore.1)
  set(COMPATTATORE_MAN_COMANDI ${CMAKE_BINARY_DIR}/compattatore-comandi.h2m)
  add_custom_command(
    OUTPUT ${COMPATTATORE_MAN} ${COMPATTATORE_MAN}.gz
    COMMAND ${CMAKE_COMMAND} -DPROGRAMMA=$<TARGET_FILE:compattatore>
            -DUSCITA=${COMPATTATORE_MAN_COMANDI}
            -P ${CMAKE_CURRENT_LIST_DIR}/manuale_comandi.cmake
    COMMAND ${HELP2MAN_PROGRAM} --no-info --section=1
            "--name=compact a train-driving scenario into the files the simulator loads"
            --include=${COMPATTATORE_MAN_COMANDI}
            --output=${COMPATTATORE_MAN} $<TARGET_FILE:compattatore>
    COMMAND ${GZIP_PROGRAM} -9 -n -k -f ${COMPATTATORE_MAN}
    DEPENDS compattatore ${CMAKE_CURRENT_LIST_DIR}/manuale_comandi.cmake
    COMMENT "Generating the manual page compattatore.1"
    VERBATIM)
  add_custom_target(compattatore_man ALL DEPENDS ${COMPATTATORE_MAN}.gz)
  install(FILES ${COMPATTATORE_MAN}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man or gzip not found: the manual page is not built or installed")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME compattatore)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Redazione scenari")
set(CPACK_PACKAGE_CONTACT "Redazione scenari <redazione@scenari.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "compactor of scenarios for a train-driving simulator")
set(CPACK_PACKAGE_DESCRIPTION
    "compattatore turns the text description of a railway line and of a train into
the three binary files a train-driving simulator loads: the track plan, the
scenario table and the track cell array. Run without arguments it compiles its
built-in scenario next to the program; its commands let scenario authors compile
their own, get a JSON report of the run, decode the compiled files to JSON and
draw them as SVG.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${COMPATTATORE_PREFISSO_PACCHETTO})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Redazione scenari <redazione@scenari.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The run-time libraries (C++ runtime; FLTK and X11 for the window's module) are found by
# dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
