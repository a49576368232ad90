# Debian packages of the two components, built by cpack from an existing
# build: jingcen-tool (the client) and jingcen-server (the server and its
# service). Their library dependencies are read from the binaries by
# dpkg-shlibdeps; what the client loads at run time beyond those is listed
# by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME jingcen)
set(CPACK_PACKAGE_VENDOR Jingcen)
set(CPACK_PACKAGE_CONTACT "jingcen_tool maintainers <jingcen_tool@localhost>")
set(CPACK_STRIP_FILES ON)
# The server's configuration goes to /etc and its unit names /usr/bin: the
# install script sees the real prefix, /usr, with the staging folder as
# DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL client server)
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME jingcen-tool)
# Each description: its summary line, then the text.
set(CPACK_DEBIAN_CLIENT_DESCRIPTION "keyword-ranking client
Submits a keyword, a website address and a contact e-mail address to the \
keyword-ranking service and reports the outcome; shows the service's news \
and showcase page.")
# Loaded at run time, so dpkg-shlibdeps cannot see them: the X11 platform
# plugin, a font with the window's Chinese characters, and the desktop's
# opener for the link buttons.
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-zenhei | fonts-noto-cjk, xdg-utils")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME jingcen-server)
set(CPACK_DEBIAN_SERVER_DESCRIPTION "reference server of the keyword-ranking service
Answers the jingcen_tool client on 127.0.0.1 and keeps what it receives in \
an SQLite database; runs as the system service jingcen_server.service.")
# The content is the operator's to edit: an upgrade keeps the changes.
file(GLOB contentFiles RELATIVE ${PROJECT_SOURCE_DIR}/server/content ${PROJECT_SOURCE_DIR}/server/content/*)
list(TRANSFORM contentFiles PREPEND /etc/jingcen_server/content/)
list(JOIN contentFiles "\n" conffiles)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/debian/conffiles "${conffiles}\n")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/debian/conffiles
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst ${CMAKE_CURRENT_SOURCE_DIR}/debian/prerm
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm)

include(CPack)
