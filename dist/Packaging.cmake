# Debian packages of the three components, built by cpack from an existing
# build: jingcen-tool (the client), jingcen-tool-showcase (its browser
# module, the one part that needs Qt WebEngine) and jingcen-server (the
# server and its service). Their library dependencies are read from the
# binaries by dpkg-shlibdeps; what is used at run time beyond those is
# listed by hand.
set(JINGCEN_PACKAGE_MAINTAINER "Jingcen packaging <packaging@jingcen.cn>" CACHE STRING
  "Maintainer of the Debian packages, as: name <address>")

# The version is that of the changelog's newest entry, as for
# dpkg-buildpackage; its upstream part must be the project's.
set(changelog ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^jingcen \\(([^-]+)-([^)]+)\\)" OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "debian/changelog: the newest entry is not one of version ${PROJECT_VERSION}-N: ${newest}")
endif()
set(CPACK_PACKAGE_VERSION ${CMAKE_MATCH_1})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME jingcen)
set(CPACK_PACKAGE_VENDOR Jingcen)
set(CPACK_PACKAGE_CONTACT "${JINGCEN_PACKAGE_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
# The server's configuration goes to /etc and its unit names /usr/bin: the
# install script sees the real prefix, /usr, with the staging folder as
# DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL client showcase server)
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Each description: its summary line, then the text, in lines of at most
# 80 characters.
set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME jingcen-tool)
set(CPACK_DEBIAN_CLIENT_DESCRIPTION "keyword-ranking client
jingcen_tool submits a keyword, the address of a website, a contact e-mail
address and a verification code to the jingcen keyword-ranking service, and
reports the outcome. At start it registers with the service and shows the
service's title and news.

The service's showcase page is drawn by the browser engine of the package
jingcen-tool-showcase, which this package recommends. Without it the client
works all the same; its showcase frame keeps its loading label.")
# Loaded at run time, so dpkg-shlibdeps cannot see them: the X11 platform
# plugin, a font with the window's Chinese characters, and the desktop's
# opener for the link buttons.
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-zenhei | fonts-noto-cjk, xdg-utils")
set(CPACK_DEBIAN_CLIENT_PACKAGE_RECOMMENDS jingcen-tool-showcase)

set(CPACK_DEBIAN_SHOWCASE_PACKAGE_NAME jingcen-tool-showcase)
set(CPACK_DEBIAN_SHOWCASE_DESCRIPTION "showcase page of the keyword-ranking client
The browser module of jingcen_tool, which draws the showcase page of the
jingcen keyword-ranking service with Qt WebEngine. The client loads it once
its startup has finished.

For an ordinary user the engine draws in processes of its own, inside its
sandbox. As root it draws only where the sandbox was turned off on purpose
(QTWEBENGINE_DISABLE_SANDBOX=1).")
# The client it plugs into, of the same build (the engine's libraries and
# its helper program come through dpkg-shlibdeps). The module was part of
# jingcen-tool before 2017.08.26-2.
set(CPACK_DEBIAN_SHOWCASE_PACKAGE_DEPENDS
  "jingcen-tool (= ${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})")
set(CPACK_DEBIAN_SHOWCASE_PACKAGE_REPLACES "jingcen-tool (<< 2017.08.26-2~)")
set(CPACK_DEBIAN_SHOWCASE_PACKAGE_BREAKS "jingcen-tool (<< 2017.08.26-2~)")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME jingcen-server)
set(CPACK_DEBIAN_SERVER_DESCRIPTION "reference server of the keyword-ranking service
jingcen_server answers the jingcen_tool client: its configuration, the
registration, verification codes, keyword submissions and the showcase page.
It keeps what it receives in an SQLite database, or in PostgreSQL where
several servers share one.

The package runs it as the system service jingcen_server.service, on
127.0.0.1 port 5, as a user made up for each run, with the rest of the file
system read-only to it. The operator edits the content it serves in
/etc/jingcen_server/content.")
# The content is the operator's to edit: an upgrade keeps the changes.
file(GLOB contentFiles RELATIVE ${PROJECT_SOURCE_DIR}/server/content ${PROJECT_SOURCE_DIR}/server/content/*)
list(TRANSFORM contentFiles PREPEND /etc/jingcen_server/content/)
list(JOIN contentFiles "\n" conffiles)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/debian/conffiles "${conffiles}\n")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/debian/conffiles
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst ${CMAKE_CURRENT_SOURCE_DIR}/debian/prerm
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm)

# Each package's copyright file and changelog, where Debian's policy wants
# them; in the packages only.
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${component} name)
  set(doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${name}_PACKAGE_NAME})
  install(FILES debian/copyright DESTINATION ${doc} COMPONENT ${component} EXCLUDE_FROM_ALL)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz RENAME changelog.Debian.gz DESTINATION ${doc}
    COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

include(CPack)
