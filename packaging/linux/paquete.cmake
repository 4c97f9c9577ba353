# The Debian package pontexa_<version>_<arch>.deb (cpack -G DEB): the dialog
# with its desktop entry and icon, pontexa-cli with its manual page, the help
# (SAGA.chm and its HTML pages) and the documents Debian asks for.

set(paquete ${CMAKE_CURRENT_LIST_DIR})
set(documentos ${CMAKE_INSTALL_DATADIR}/doc/pontexa)

find_program(PONTEXA_GZIP gzip REQUIRED)
set(registro ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(
  OUTPUT ${registro}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND ${PONTEXA_GZIP} -9 -n -c ${paquete}/changelog > ${registro}
  DEPENDS ${paquete}/changelog)
set(manual_dialogo ${PROJECT_BINARY_DIR}/packaging/pontexa.1.gz)
add_custom_command(
  OUTPUT ${manual_dialogo}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND ${PONTEXA_GZIP} -9 -n -c ${paquete}/pontexa.1 > ${manual_dialogo}
  DEPENDS ${paquete}/pontexa.1)
add_custom_target(pontexa_paquete_documentos ALL DEPENDS ${registro} ${manual_dialogo})

install(FILES ${paquete}/copyright ${registro} ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${documentos})
if(PONTEXA_BUILD_APP)
  install(FILES ${manual_dialogo} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${paquete}/pontexa.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${paquete}/pontexa.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arquitectura
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT arquitectura)
  set(arquitectura amd64)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pontexa)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "intercambio de datos entre SAGA y Mirvane")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Pontexa pasa los datos de planificación de un centro educativo
entre SAGA, el sistema de gestión escolar que intercambia un archivo XML, y
Mirvane, el programa de horarios que guarda tablas dBase en C:\\QORDA. La
exportación escribe las tablas de asignaturas, profesorado, aulas, grupos y
asignaciones con códigos cortos únicos; la importación lleva a SAGA el
horario que Mirvane ha resuelto.
.
Incluye el diálogo pontexa, la orden pontexa-cli y la ayuda en español.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Equipo de Pontexa <equipo@pontexa.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${arquitectura})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The help opens in the browser through xdg-open, or in a CHM viewer; Qt's
# own dialogs speak Spanish with its translations; Liberation Sans stands in
# for Arial where it is missing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xchm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME pontexa_${PROJECT_VERSION}_${arquitectura}.deb)
include(CPack)
