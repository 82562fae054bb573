# cmake -DCOMMANDS=compile_commands.json -DSOURCE_DIR=... -DLIBRARY_HEADERS=... -DOUT=build.ninja
#       [-DPROGRAM_ONLY=ON] -P WriteChecks.cmake
# Turns every compile command of a Windows configuration into a syntax-only compile, one ninja edge
# each, so that ninja runs them side by side and reports every failure.
file(READ "${COMMANDS}" json)
string(JSON count LENGTH "${json}")
math(EXPR last "${count} - 1")
set(ninja "rule syntax\n  command = (cd \"$dir\" && $cmd) && touch $out\n  description = Windows syntax $in\n\n")
set(checked 0)
foreach(i RANGE ${last})
    string(JSON file GET "${json}" ${i} file)
    string(JSON dir GET "${json}" ${i} directory)
    string(JSON cmd GET "${json}" ${i} command)
    cmake_path(IS_PREFIX SOURCE_DIR "${file}" NORMALIZE ours)
    cmake_path(IS_PREFIX dir "${file}" NORMALIZE generated)
    # Files CMake generates (moc, rcc) are Qt's own and cannot be made without its tools.
    if(NOT ours OR generated)
        continue()
    endif()
    if(PROGRAM_ONLY AND file MATCHES "^${SOURCE_DIR}/(tests|bench)/")
        continue()
    endif()
    # The compile without its output, its launcher or its dependency file.
    string(REGEX REPLACE "^[^ ]*ccache " "" cmd "${cmd}")
    string(REGEX REPLACE " -o [^ ]+" "" cmd "${cmd}")
    string(REGEX REPLACE " -M[DT] [^ ]+| -MF [^ ]+| -MD" "" cmd "${cmd}")
    string(REGEX REPLACE " -c [^ ]+$" "" cmd "${cmd}")
    # This system's own C headers (named for Qt's OpenGL and for GoogleTest) are not Windows':
    # only the libraries' own header folders are taken from there.
    string(REGEX REPLACE " -(isystem |I)/usr/include( |$)" " -isystem ${LIBRARY_HEADERS} "
           cmd "${cmd}")
    # Qt's Windows build gives every target UNICODE and its own platform definitions (mkspec).
    string(REPLACE "/mkspecs/linux-g++" "/mkspecs/win32-g++" cmd "${cmd}")
    string(APPEND cmd " -DUNICODE -D_UNICODE -fsyntax-only ${file}")
    string(REPLACE "$" "$$" cmd "${cmd}")
    string(REPLACE ":" "$:" escaped "${file}")
    string(REPLACE " " "$ " escaped "${escaped}")
    string(APPEND ninja "build checked/${i}.stamp: syntax ${escaped}\n  dir = ${dir}\n  cmd = ${cmd}\n")
    math(EXPR checked "${checked} + 1")
endforeach()
file(WRITE "${OUT}" "${ninja}")
message("${checked}")
