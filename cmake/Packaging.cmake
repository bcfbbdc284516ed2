# SPDX-License-Identifier: MIT
# The Debian packages, one per install component:
#   horodex                  the programs with their desktop entries, icons,
#                            metainfo, MIME type and man pages
#   libhorodex-timecode-dev  the timecode library: headers, libtimecode.a, a
#                            CMake package (Horodex::timecode) and pkg-config
#   python3-horodex          the Python module (with HORODEX_PYTHON)
# Install rules without a COMPONENT fall to horodex. `cpack -G DEB` in the
# build directory makes them all; configure with -DCMAKE_INSTALL_PREFIX=/usr so
# that the library lands in the multiarch directory.
set(HORODEX_DEV_COMPONENT libhorodex-timecode-dev)

# --- The library for other projects -------------------------------------------
set(HORODEX_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/horodex)
set(HORODEX_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/HorodexTimecode)

# Every header the library lists is public; taking them from the target keeps
# the installed set in step with timecode/CMakeLists.txt.
get_target_property(timecode_sources timecode SOURCES)
get_target_property(timecode_dir timecode SOURCE_DIR)
set(timecode_headers ${timecode_sources})
list(FILTER timecode_headers INCLUDE REGEX "\\.h$")
list(TRANSFORM timecode_headers PREPEND ${timecode_dir}/)

# Position-independent, so that it also links into others' shared libraries.
set_target_properties(timecode PROPERTIES POSITION_INDEPENDENT_CODE ON)
install(TARGETS timecode EXPORT HorodexTimecodeTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${HORODEX_DEV_COMPONENT}
  INCLUDES DESTINATION ${HORODEX_INCLUDEDIR})
install(FILES ${timecode_headers} DESTINATION ${HORODEX_INCLUDEDIR} COMPONENT ${HORODEX_DEV_COMPONENT})
install(EXPORT HorodexTimecodeTargets NAMESPACE Horodex:: DESTINATION ${HORODEX_CMAKEDIR}
  COMPONENT ${HORODEX_DEV_COMPONENT})

include(CMakePackageConfigHelpers)
configure_package_config_file(packaging/HorodexTimecodeConfig.cmake.in
  HorodexTimecodeConfig.cmake INSTALL_DESTINATION ${HORODEX_CMAKEDIR})
write_basic_package_version_file(HorodexTimecodeConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/HorodexTimecodeConfig.cmake
              ${PROJECT_BINARY_DIR}/HorodexTimecodeConfigVersion.cmake
  DESTINATION ${HORODEX_CMAKEDIR} COMPONENT ${HORODEX_DEV_COMPONENT})

# The .pc file finds its prefix from where it lies, so that an install under
# any --prefix works without reconfiguring.
file(RELATIVE_PATH HORODEX_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" HORODEX_PC_TO_PREFIX "${HORODEX_PC_TO_PREFIX}")
configure_file(packaging/horodex-timecode.pc.in horodex-timecode.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/horodex-timecode.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT ${HORODEX_DEV_COMPONENT})

# --- Copyright and changelog, in each package's doc directory -----------------
# The changelog's newest entry must name the version being built.
file(STRINGS packaging/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^horodex \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the first entry is not version ${PROJECT_VERSION}")
endif()
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/changelog
  COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/changelog
  DEPENDS packaging/changelog
  VERBATIM)
add_custom_target(horodex_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
set(horodex_components horodex ${HORODEX_DEV_COMPONENT})
if(HORODEX_PYTHON)
  list(APPEND horodex_components python3-horodex)
endif()
foreach(component ${horodex_components})
  install(FILES packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${component} COMPONENT ${component})
endforeach()

# --- CPack --------------------------------------------------------------------
set(CPACK_PACKAGE_NAME horodex)
set(CPACK_PACKAGE_VENDOR "The Horodex developers")
set(CPACK_PACKAGE_CONTACT "The Horodex developers <developers@horodex.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY horodex)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# CPackDeb puts the project-wide summary above every component's description
# unless it is left at CPack's default; each description below starts with its
# own summary line instead.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_COMPONENTS_ALL ${horodex_components})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE horodex)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})

set(CPACK_DEBIAN_HORODEX_PACKAGE_NAME horodex)
set(CPACK_DEBIAN_HORODEX_PACKAGE_SECTION video)
# dpkg-shlibdeps turns the linked libraries (Qt, pugixml for the timeline
# readers) into dependencies; the Qt platform plugins are loaded at run time,
# so they are named by hand.
set(CPACK_DEBIAN_HORODEX_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_HORODEX_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_HORODEX_DESCRIPTION "Calculators for video timecode
Horodex adds and subtracts video timecode at 23.976, 24, 25, 29.97 non-drop,
29.97 drop-frame and 30 frames per second, exact to the frame.
.
Horodex Tape totals lists of times, CMX3600 EDLs and timelines (FCPXML,
Final Cut Pro 7 XML, OpenTimelineIO and Avid Log Exchange) at any timebase,
and horodex-tc calculates, converts and totals timecode on the command line.")

set(CPACK_DEBIAN_LIBHORODEX-TIMECODE-DEV_PACKAGE_NAME ${HORODEX_DEV_COMPONENT})
set(CPACK_DEBIAN_LIBHORODEX-TIMECODE-DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_LIBHORODEX-TIMECODE-DEV_DESCRIPTION "Exact video timecode library (development files)
The Horodex timecode library counts, converts and reads video timecode,
29.97 and 59.94 drop frame included, with plain C-style C++ functions over
plain records. It needs nothing beyond the C++ standard library.
.
This package holds the headers and the static library, a CMake package
(find_package(HorodexTimecode), target Horodex::timecode) and a pkg-config
file (horodex-timecode).")

# The module for the system's Python 3, as dh_python3 would ship it: in
# dist-packages, no byte code, tied to the one version it was built for.
set(CPACK_DEBIAN_PYTHON3-HORODEX_PACKAGE_NAME python3-horodex)
set(CPACK_DEBIAN_PYTHON3-HORODEX_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON3-HORODEX_PACKAGE_SHLIBDEPS ON)
math(EXPR python_next_minor "${Python_VERSION_MINOR} + 1")
set(CPACK_DEBIAN_PYTHON3-HORODEX_PACKAGE_DEPENDS
  "python3 (>= ${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}), python3 (<< ${Python_VERSION_MAJOR}.${python_next_minor})")
set(CPACK_DEBIAN_PYTHON3-HORODEX_DESCRIPTION "Exact video timecode for Python
The module horodex counts, converts and totals video timecode exactly, at
film, PAL, NTSC and HD rates, 29.97, 59.94 and 119.88 drop frame included.
Durations are signed frame counts at exact rational timebases, read from
every form editors type and written as labels or running time.
.
It reads lists of times, CMX3600 EDLs, FCPXML, Final Cut Pro 7 XML,
OpenTimelineIO and Avid Log Exchange files into their entries, errors and
totals, as horodex-tc sum does.")

include(CPack)
