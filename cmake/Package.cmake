# The Debian package, built by CPack from the install rules (scripts/package runs it).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamsel)
set(CPACK_PACKAGE_VENDOR Brannock)
set(CPACK_PACKAGE_CONTACT "${TAMSEL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "finds the items a Taobao shop search demotes")
set(CPACK_PACKAGE_DESCRIPTION
"Given one seller id, Tamsel fetches the shop's whole listing twice from the
marketplace's public item search, once by 30-day sales and once in the default
order, and finds the items the search ranks lower than their sales justify
(invisible demotion). Its window shows every item, the items missing from the
sales order, and a ranking of the rest with a verdict for the ten best sellers.

The package also holds tamsel-cli, which runs the same detection headless, and
tamsel-market-sim, a loopback simulator of the marketplace to try both on.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://${TAMSEL_SITE_HOST}/softweb.html")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

# dpkg-shlibdeps derives Depends from the libraries the programs link. It cannot see the plugin
# Qt loads at run time to open a window, which libqt6gui6 only recommends.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# The skin's font, and Qt's own texts (message box buttons, menus, dialogs) in Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n")

include(CPack)
