# Where the HTML manual lies relative to the programs once installed (VTL_MANUAL_FROM_PROGRAM); a
# build tree gets a link at the same place (build/default/share/...) to the manual in the source
# tree, so that programs run from the build tree find it too.
include(GNUInstallDirs)
set(VTL_MANUAL_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/doc/vtl/manual)
file(RELATIVE_PATH VTL_MANUAL_FROM_PROGRAM ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${VTL_MANUAL_INSTALL_DIR})
# Every program of the build tree lies one folder below its top.
get_filename_component(build_manual ${CMAKE_BINARY_DIR}/bin/${VTL_MANUAL_FROM_PROGRAM} ABSOLUTE)
get_filename_component(build_manual_parent ${build_manual} DIRECTORY)
file(MAKE_DIRECTORY ${build_manual_parent})
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/docs/manual ${build_manual} SYMBOLIC)
