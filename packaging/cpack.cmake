# The Debian package: deskpost_VERSION_amd64.deb, its dependencies worked
# out by dpkg-shlibdeps from the libraries the programs link.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME deskpost)
set(CPACK_PACKAGE_VENDOR "DESKpost")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Phone messages, memos, e-mail, schedules and phone lists for a small office")
set(CPACK_PACKAGE_DESCRIPTION
    "Every workstation of the office runs the same program over one shared\n"
    "network directory: the receptionist takes phone messages and sends them,\n"
    "colleagues send memos and e-mails, and each person keeps a scheduler, a\n"
    "to-do list and a phone list. Includes the administrator's tool dpadmin,\n"
    "the setup program and the e-mail gateway.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "DESKpost developers <deskpost@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION office)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
