# Packages the built tree as the .deb that scripts/package.sh writes, then checks the package: its
# contents, the unpacked programs on the unpacked example, the desktop entry, the AppStream
# description, lintian (errors fail; every warning must be explained in docs/packaging.md), the
# manual pages and the options they and the completion cover.
# Input: BUILD (the built tree), SOURCE, VERSION, WORK (a scratch folder).
include(${CMAKE_CURRENT_LIST_DIR}/CheckOptionsDocumented.cmake)

function(run)
    cmake_parse_arguments(RUN "" "OUTPUT;ERROR" "COMMAND" ${ARGN})
    execute_process(COMMAND ${RUN_COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE out
        ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${RUN_COMMAND} failed (${status}):\n${out}${err}")
    endif()
    if(RUN_OUTPUT)
        set(${RUN_OUTPUT} "${out}" PARENT_SCOPE)
    endif()
    if(RUN_ERROR)
        set(${RUN_ERROR} "${err}" PARENT_SCOPE)
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(deb ${WORK}/tavrel_${VERSION}_amd64.deb)
run(COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${BUILD}/CPackConfig.cmake -B ${WORK})
if(NOT EXISTS ${deb})
    message(FATAL_ERROR "cpack did not write ${deb}")
endif()

# The contents list: exactly these files (folders aside).
run(COMMAND dpkg-deb --contents ${deb} OUTPUT listing)
string(REGEX MATCHALL "\\./[^\n]*[^/\n]\n" files "${listing}")
list(TRANSFORM files STRIP)
list(SORT files)
set(expected
    ./usr/bin/tavrel
    ./usr/bin/tavrel-cli
    ./usr/lib/tavrel/tavrel-cli-render
    ./usr/share/applications/tavrel.desktop
    ./usr/share/bash-completion/completions/tavrel-cli
    ./usr/share/doc/tavrel/changelog.gz
    ./usr/share/doc/tavrel/copyright
    ./usr/share/icons/hicolor/scalable/apps/tavrel.svg
    ./usr/share/icons/hicolor/scalable/mimetypes/application-x-tavrel-document.svg
    ./usr/share/man/man1/tavrel-cli.1.gz
    ./usr/share/man/man1/tavrel.1.gz
    ./usr/share/metainfo/tavrel.metainfo.xml
    ./usr/share/mime/packages/tavrel.xml
    ./usr/share/tavrel/examples/emg-demo.csv
    ./usr/share/tavrel/examples/emg-demo.kcd)
if(NOT files STREQUAL expected)
    list(JOIN files "\n  " files)
    message(FATAL_ERROR "unexpected contents:\n  ${files}")
endif()
run(COMMAND dpkg-deb --field ${deb} Depends OUTPUT depends)
if(NOT depends MATCHES "fonts-ipafont-gothic" OR NOT depends MATCHES "libqt6gui6"
        OR NOT depends MATCHES "libbiosig" OR NOT depends MATCHES "libmatio")
    message(FATAL_ERROR "the dependencies miss the font, Qt, BioSig or matio: ${depends}")
endif()

# The AppStream description and the change log name the version that is packaged.
file(READ ${SOURCE}/data/tavrel.metainfo.xml metainfo)
file(READ ${SOURCE}/packaging/changelog changelog)
if(NOT metainfo MATCHES "<release version=\"${VERSION}\""
        OR NOT changelog MATCHES "^tavrel \\(${VERSION}\\)")
    message(FATAL_ERROR "the metainfo's or the change log's latest release is not ${VERSION}")
endif()

# The unpacked programs, on the unpacked example.
set(root ${WORK}/root)
run(COMMAND dpkg-deb -x ${deb} ${root})
run(COMMAND ${root}/usr/bin/tavrel-cli --version OUTPUT out)
if(NOT out STREQUAL "tavrel-cli ${VERSION}\n")
    message(FATAL_ERROR "unexpected version: ${out}")
endif()
# The program answers these without a display.
set(noDisplay ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
    --unset=QT_QPA_PLATFORM)
run(COMMAND ${noDisplay} ${root}/usr/bin/tavrel --version OUTPUT out)
if(NOT out STREQUAL "tavrel ${VERSION}\n")
    message(FATAL_ERROR "unexpected version of the program: ${out}")
endif()
run(COMMAND ${noDisplay} ${root}/usr/bin/tavrel --help OUTPUT out)
if(NOT out MATCHES "Usage: tavrel .*--print DOCUMENT.kcd")
    message(FATAL_ERROR "unexpected help of the program: ${out}")
endif()
run(COMMAND ${root}/usr/bin/tavrel-cli render ${root}/usr/share/tavrel/examples/emg-demo.kcd
    -o ${WORK}/example.png)
file(READ ${WORK}/example.png signature LIMIT 8 HEX)
file(SIZE ${WORK}/example.png size)
if(NOT signature STREQUAL "89504e470d0a1a0a" OR size LESS 10000)
    message(FATAL_ERROR "the example was not drawn (${signature}, ${size} bytes)")
endif()

# Debian's and the desktop's validators.
run(COMMAND desktop-file-validate ${root}/usr/share/applications/tavrel.desktop OUTPUT out)
if(out MATCHES "error")
    message(FATAL_ERROR "desktop-file-validate:\n${out}")
endif()
execute_process(
    COMMAND appstreamcli validate --no-net ${root}/usr/share/metainfo/tavrel.metainfo.xml
    OUTPUT_VARIABLE out ERROR_VARIABLE err)
if("${out}${err}" MATCHES "(^|\n)E:"
        OR NOT "${out}${err}" MATCHES "Validation (was successful|failed: warnings)")
    message(FATAL_ERROR "appstreamcli validate:\n${out}${err}")
endif()
file(READ ${SOURCE}/docs/packaging.md notes)
string(REGEX MATCHALL "(^|\n)W: [^ ]+ ([a-z0-9-]+)" warnings "${out}${err}")
execute_process(COMMAND lintian --no-cfg ${deb} OUTPUT_VARIABLE out ERROR_VARIABLE err)
if("${out}" MATCHES "(^|\n)E: ")
    message(FATAL_ERROR "lintian reports errors:\n${out}")
endif()
string(REGEX MATCHALL "(^|\n)W: [^ ]+ ([a-z0-9-]+)" lintianWarnings "${out}")
foreach(warning IN LISTS warnings lintianWarnings)
    string(REGEX REPLACE ".* " "" tag "${warning}")
    if(NOT notes MATCHES "`${tag}`")
        message(FATAL_ERROR
            "the warning ${tag} is not explained in docs/packaging.md:\n${out}${err}")
    endif()
endforeach()

# The manual pages render, and cover every option of every command, as the completion does.
foreach(page tavrel tavrel-cli)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env MANWIDTH=80 LC_ALL=C.UTF-8
        man --warnings -l ${root}/usr/share/man/man1/${page}.1.gz
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0 OR NOT err STREQUAL "" OR NOT out MATCHES "EXIT STATUS.*FILES.*EXAMPLES")
        message(FATAL_ERROR "man -l ${page}.1.gz (${status}):\n${err}\n${out}")
    endif()
endforeach()
set(completion ${root}/usr/share/bash-completion/completions/tavrel-cli)
tavrel_check_options_documented(${root}/usr/bin/tavrel-cli
    ${root}/usr/share/man/man1/tavrel-cli.1.gz ${completion})
run(COMMAND bash -n ${completion})
