# Installs the build into a scratch prefix and checks where the files land
# and that the launcher entry names the installed program and icon.
#   cmake -DBUILD=<build dir> -DPREFIX=<scratch dir> -DVERSION=<x.y.z> -P install_layout.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
set(desktop "${PREFIX}/share/applications/tallybrook.desktop")
foreach(file "${PREFIX}/bin/tallybrook" "${desktop}"
             "${PREFIX}/share/icons/hicolor/scalable/apps/tallybrook.svg")
    if(NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
# The program takes no file, so the launcher must pass none.
file(STRINGS "${desktop}" entries REGEX "^(Exec|Icon)=")
if(NOT entries STREQUAL "Exec=tallybrook;Icon=tallybrook")
    message(FATAL_ERROR "launcher entries: ${entries}")
endif()
execute_process(COMMAND "${PREFIX}/bin/tallybrook" --version
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "Tallybrook ${VERSION}\n")
    message(FATAL_ERROR "installed program: ${rc} ${out}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
