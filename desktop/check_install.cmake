# Installs the build into a temporary prefix and checks that the program, its tools, the desktop
# entry and the icon land where a desktop looks for them.
# cmake -DBUILD_DIR=... -DPREFIX=... -DEXPECTED="bin/lumograph;share/...;..."
#       -DPROGRAMS="bin/lumograph;..." -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path IN LISTS EXPECTED)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND test -x "${PREFIX}/${program}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "not executable: ${program}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
