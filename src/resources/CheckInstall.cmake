# cmake -DBUILD_DIR=... -DPREFIX=... -DEXPECTED="a;b" -P CheckInstall.cmake
# Installs the build into an empty PREFIX and fails unless every EXPECTED path (relative to it)
# is there.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path IN LISTS EXPECTED)
    if(NOT EXISTS ${PREFIX}/${path})
        list(APPEND missing ${path})
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "not installed: ${missing}")
endif()
message(STATUS "installed: ${EXPECTED}")
