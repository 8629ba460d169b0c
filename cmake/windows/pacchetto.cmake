# Installing on Windows and the two Windows packages: `cpack -G ZIP` (a portable folder) and
# `cpack -G NSIS` (an installer for the person who runs it, cmake/windows/NSIS.template.in).
# Everything goes into one flat folder: the program writes its files beside itself. Both
# programs go: compattatore.exe for Explorer, compattatore.com for a console.
install(TARGETS compattatore compattatore_console RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
foreach(licenza LICENSE LICENSE.txt COPYING)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${licenza})
    install(FILES ${PROJECT_SOURCE_DIR}/${licenza} DESTINATION .)
    set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/${licenza})
  endif()
endforeach()

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME compattatore)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Redazione scenari")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "compactor of scenarios for a train-driving simulator")
set(CPACK_PACKAGE_FILE_NAME compattatore-${PROJECT_VERSION}-windows-x64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY compattatore)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY compattatore)
set(CPACK_STRIP_FILES ON)
set(CPACK_NSIS_PACKAGE_NAME compattatore)
set(CPACK_NSIS_DISPLAY_NAME compattatore)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# Our own installer script, found before CPack's.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
include(CPack)
