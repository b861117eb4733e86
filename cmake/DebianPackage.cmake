# The Debian package of the Linux program, made by CPack (cpack -G DEB in a
# build folder): the program, its menu entry and icon as the install rules of
# src/ place them, a manual page, and the libraries it needs as dpkg-shlibdeps
# finds them. Included from the top CMakeLists.txt on Linux.

set(QUIBRANT_PACKAGE_MAINTAINER "Quibrant S.L. <soporte@quibrant.es>" CACHE STRING
    "Maintainer field of the Debian package: a name and an address")

# The copyright file, changelog and manual page Debian asks of every package,
# dated by SOURCE_DATE_EPOCH when it is set (a release takes it from the
# commit), so that two packages of one commit are the same.
string(TIMESTAMP QUIBRANT_PACKAGE_YEAR "%Y" UTC)
string(TIMESTAMP QUIBRANT_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(package_files ${CMAKE_CURRENT_BINARY_DIR}/debian)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright.in ${package_files}/copyright @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${package_files}/changelog @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/quibrant-descarga.1.in
    ${package_files}/quibrant-descarga.1 @ONLY)
# gzip -n leaves out the file's name and time.
execute_process(COMMAND gzip -9nf ${package_files}/changelog ${package_files}/quibrant-descarga.1
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress the files in ${package_files}")
endif()
install(FILES ${package_files}/copyright ${package_files}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quibrant-descarga)
install(FILES ${package_files}/quibrant-descarga.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quibrant-descarga)
set(CPACK_PACKAGE_VENDOR "Quibrant S.L.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The program is shipped without symbols, like the Windows one.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "descarga e instala Quibrant Visual")
set(CPACK_PACKAGE_DESCRIPTION
    "Con el código de acceso que Quibrant S.L. da a cada cliente, el programa\n"
    "descarga por HTTPS el instalador de Quibrant Visual que le corresponde,\n"
    "comprueba su firma Authenticode y lo inicia con wine, o deja un acceso\n"
    "directo en el escritorio.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUIBRANT_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The installers it fetches are Windows programs, which it starts through wine.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS wine)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
