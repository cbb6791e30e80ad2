# The Debian package: `cpack -G DEB` in the build folder writes zorvex_<version>_<arch>.deb.
#
# The wizard finds its backend at <bin>/../lib/zorvex and its user guide at
# <bin>/../zorvex_core/doc, so the files `cmake --install` puts under a prefix keep that layout in
# the package, in the wizard's private folder /usr/lib/zorvex. /usr/bin holds relative links to the
# two programs; both find their own folder through /proc/self/exe, which names the link's target.
# The man pages go to /usr/share/man/man1, the data shared with other programs (the JSON Schema of
# tarnwick's report) to /usr/share/zorvex, the package's documents (the user guide among them) to
# /usr/share/doc/zorvex, and the desktop entry and the icons to /usr/share/applications and
# /usr/share/icons/hicolor.

set(ZORVEX_PACKAGE_CONTACT "ZORVEX maintainers <zorvex@example.org>")
set(ZORVEX_PACKAGE_TREE lib/zorvex) # below /usr
set(ZORVEX_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/packaging)

# The links in /usr/bin, made here as links and installed as they are.
file(MAKE_DIRECTORY ${ZORVEX_PACKAGE_STAGE}/bin)
foreach(program zorvex tarnwick)
  file(CREATE_LINK ../${ZORVEX_PACKAGE_TREE}/bin/${program} ${ZORVEX_PACKAGE_STAGE}/bin/${program} SYMBOLIC)
endforeach()
# The user guide is one of the package's documents, beside the guide as HTML; where the wizard opens
# it, in its own tree, a link leads there.
file(MAKE_DIRECTORY ${ZORVEX_PACKAGE_STAGE}/doc)
file(CREATE_LINK ../../../../share/doc/zorvex/zorvex_guide.pdf
     ${ZORVEX_PACKAGE_STAGE}/doc/zorvex_guide_link.pdf SYMBOLIC)
# A native package's changelog, compressed without name or time stamp.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${ZORVEX_PACKAGE_STAGE}/changelog @ONLY)
execute_process(COMMAND gzip -9 -n --force --keep ${ZORVEX_PACKAGE_STAGE}/changelog RESULT_VARIABLE gzipFailed)
if(gzipFailed)
  message(FATAL_ERROR "gzip could not compress ${ZORVEX_PACKAGE_STAGE}/changelog")
endif()

# Only the package takes these; `cmake --install` leaves them out.
install(FILES ${ZORVEX_PACKAGE_STAGE}/bin/zorvex ${ZORVEX_PACKAGE_STAGE}/bin/tarnwick
        DESTINATION bin COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${ZORVEX_PACKAGE_STAGE}/changelog.gz
        ${CMAKE_BINARY_DIR}/zorvex_core/doc/zorvex_guide.pdf
        DESTINATION share/doc/zorvex COMPONENT debian EXCLUDE_FROM_ALL)
# The wizard's tree, installed before this component, holds the guide itself; the package puts the
# link in its place.
install(CODE [[
  set(guide "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/zorvex/zorvex_core/doc/zorvex_guide.pdf")
  file(REMOVE "${guide}")
]] COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${ZORVEX_PACKAGE_STAGE}/doc/zorvex_guide_link.pdf RENAME zorvex_guide.pdf
        DESTINATION ${ZORVEX_PACKAGE_TREE}/zorvex_core/doc COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides RENAME zorvex
        DESTINATION share/lintian/overrides COMPONENT debian EXCLUDE_FROM_ALL)
# The desktop entry names the wizard's window class and icon, so that a desktop shows the icon for
# the window; hosts start the wizard, so no menu lists it. The icon at the theme's sizes, rendered
# by resources/, and as SVG.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/zorvex.desktop
        DESTINATION share/applications COMPONENT debian EXCLUDE_FROM_ALL)
foreach(size IN LISTS ZORVEX_ICON_SIZES)
  install(FILES ${ZORVEX_ICON_DIR}/${size}x${size}/zorvex.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps COMPONENT debian EXCLUDE_FROM_ALL)
endforeach()
install(FILES ${ZORVEX_ICON_SVG} DESTINATION share/icons/hicolor/scalable/apps COMPONENT debian EXCLUDE_FROM_ALL)

# Declared after every folder's install rules, so that it finds their programs and libraries.
install(CODE "set(ZORVEX_OBJCOPY [[${CMAKE_OBJCOPY}]])")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/remove_comment_sections.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ZORVEX_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wizard that parameterises a symbol interleaver core")
set(CPACK_PACKAGE_DESCRIPTION
  "The ZORVEX wizard parameterises a symbol interleaver or deinterleaver core
for hardware designers. A host design environment starts it on a design file;
three pages set the algorithm, the characteristics and the memory, each with a
live preview of the block's symbol, and the wizard writes the retrieval
information and simulation vectors the host creates the design from. It also
runs silently, for scripts.

tarnwick stands in for the host: it starts the wizard as the host does,
regenerates variations with settings changed, and reports each run, also as
JSON.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps reads every ELF file of the package, the backend library the wizard loads with
# dlopen included, so the toolkit's libraries are dependencies like the linked ones. The face the
# symbol is measured in is looked up by fontconfig, not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)
# F1 opens the user guide with xdg-open. tarnwick --simulate needs a simulator: ghdl for a .vhd
# design, iverilog for a .v one; verilator is the faster choice for long Verilog runs and long pairs,
# ghdl-llvm for long VHDL runs, gtkwave shows the waveform it writes, and --synthesize runs yosys
# and nextpnr-ice40.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, ghdl | iverilog")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gtkwave, iverilog, verilator, ghdl-llvm, yosys, nextpnr-ice40")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Each entry: build folder, project, install component, the folder it is installed into. Every
# file without a component of its own belongs to the wizard's tree.
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_INSTALL_CMAKE_PROJECTS
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/usr/${ZORVEX_PACKAGE_TREE}"
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};man;/usr"
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};shared;/usr"
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/usr")
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/out/")
include(CPack)
