# Two Debian packages from one build, `cpack -G DEB` in the build folder:
#   quarnel-cli_<version>_amd64.deb   the command line; no Qt among its dependencies
#   quarnel_<version>_amd64.deb       the window; depends on quarnel-cli of the same version
# Dependencies on shared libraries come from dpkg-shlibdeps.

set(CPACK_PACKAGE_NAME quarnel)
set(CPACK_PACKAGE_VENDOR "The Quarnel developers")
set(CPACK_PACKAGE_CONTACT "Quarnel Developer <dev@quarnel.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://quarnel.example/)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(QUARNEL_GUI)
  list(APPEND CPACK_COMPONENTS_ALL gui)
endif()
set(CPACK_COMPONENT_GUI_DEPENDS cli)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# No maintainer scripts: refused unless configured for /usr (see the file).
set(CPACK_QUARNEL_CONFIGURED_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/deb-needs-usr-prefix.cmake)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME quarnel-cli)
# The watch pass shows its changes through notify-send; without it they stay in the journal.
set(CPACK_DEBIAN_CLI_PACKAGE_RECOMMENDS libnotify-bin)
set(CPACK_DEBIAN_CLI_DESCRIPTION [[
see from the command line how web sites stand in the Baidu search
For each domain, quarnel-cli asks the Baidu web search how many pages of the
site it lists for the last day, week and month and in all, reads the snapshot
text of the first result and whether it is the site's home page, and looks up
the site's PageRank with a verdict on whether it may be hijacked. It prints
the results as text or as JSON lines for scripts.

Every run is kept in a local history that `quarnel-cli history` prints as
text, JSON or CSV and `quarnel-cli trend` sums up. A systemd user timer
(quarnel-watch.timer) queries a list of watched sites once a day and tells
of every value that changed.

It needs no graphical desktop; the window is in the package quarnel.]])

set(CPACK_DEBIAN_GUI_PACKAGE_NAME quarnel)
set(CPACK_DEBIAN_GUI_PACKAGE_RECOMMENDS fonts-noto-cjk)
set(CPACK_DEBIAN_GUI_DESCRIPTION [[
see how a Chinese-language web site stands in the Baidu search
Quarnel is a desktop window for owners of Chinese-language web sites. Type a
domain and press the query button: the window shows how many pages of the site
the Baidu web search lists for the last day, week and month and in all, the
snapshot text of the first result and whether it is the site's home page, and
the site's PageRank with a verdict on whether it may be hijacked. The maker's
check page for the domain is shown in the window, and the counts open the same
searches in the web browser.

Every query is kept in a local history, charted over time and exported as CSV
from the window's context menu. The command line program is in the package
quarnel-cli, which this package depends on; this package also holds the browser
engine that quarnel-cli starts for the search pages it loads as a browser does.]])

include(CPack)
