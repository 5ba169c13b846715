# Installing, and the Debian package made from the same rules (`make deb`).
# The program looks for its window module, copy script and data in its own
# folder, so they all go to lib/raredozud/, and bin/raredozud is a link to
# the program there (it finds its folder through the link). The desktop
# entry, icons, manual page and completion go where the desktop and the
# shell look for them.
set(RD_PROGRAM_DIR lib/raredozud)
install(TARGETS raredozud raredozud_pictures RUNTIME DESTINATION ${RD_PROGRAM_DIR})
if(RAREDOZUD_GUI)
  install(TARGETS raredozud_window LIBRARY DESTINATION ${RD_PROGRAM_DIR})
endif()
install(DIRECTORY data/ DESTINATION ${RD_PROGRAM_DIR} USE_SOURCE_PERMISSIONS)
install(FILES examples/course-template.docx examples/course-template.doc
        DESTINATION ${RD_PROGRAM_DIR}/examples)
# Relative, so that it holds under any prefix and in a DESTDIR.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/bin-link)
file(CREATE_LINK ../${RD_PROGRAM_DIR}/raredozud ${CMAKE_BINARY_DIR}/bin-link/raredozud SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/bin-link/raredozud DESTINATION bin)

install(FILES packaging/raredozud.desktop DESTINATION share/applications)
install(FILES packaging/raredozud.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES packaging/raredozud.png DESTINATION share/icons/hicolor/256x256/apps)
install(FILES ${CMAKE_BINARY_DIR}/share/raredozud.1.gz DESTINATION share/man/man1)
install(FILES ${CMAKE_BINARY_DIR}/share/bash-completion/raredozud
        DESTINATION share/bash-completion/completions)
# The author's guide, which the manual page points to.
install(FILES README.md DESTINATION share/doc/raredozud)
install(FILES docs/window.png DESTINATION share/doc/raredozud/docs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME raredozud)
set(CPACK_PACKAGE_CONTACT "Raredozud developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "turns marked-up Word documents into e-learning course packages")
# Lines as the package's description shows them, each under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Raredozud reads a course author's .doc, .docx or plain text document, its"
  "structure marked with short marker lines, and writes a course package that"
  "a learning management system imports: a web page per page of the course,"
  "a quiz per test, the IMS Content Packaging 1.1 manifest, the course player"
  "and a zip. It has a window and a command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
# The libraries the program and the window link (the toolkit, libgsf,
# pugixml, libxml2, ICU, zlib, and any a later reader or converter links)
# are found by dpkg-shlibdeps, with the versions they need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What it cannot see, because nothing links it: packages used at run time.
set(RD_DEB_DEPENDS "")
if(RAREDOZUD_GUI)
  # The toolkit's display plugins: its GUI library only recommends them,
  # and the window does not open without one.
  list(APPEND RD_DEB_DEPENDS qt6-qpa-plugins)
endif()
# Picture conversion: a library it loads or a program it runs goes here.
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS ${RD_DEB_DEPENDS})
include(CPack)
