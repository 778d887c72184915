# Read by cpack before each package. Debian packages come only from a build configured
# for /usr: one configured for /usr/local has the library folder "lib", so the private
# libraries would land in /usr/lib/quarnel, and CPack gives a package with a library
# there or one folder below maintainer scripts that call ldconfig. Configured for /usr,
# they go to /usr/lib/<triplet>/quarnel, and the packages have no maintainer script.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_QUARNEL_CONFIGURED_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian packages are made from a build configured with "
                      "-DCMAKE_INSTALL_PREFIX=/usr; this one has ${CPACK_QUARNEL_CONFIGURED_PREFIX}.")
endif()
