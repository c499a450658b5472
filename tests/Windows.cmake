# The tests of the Windows build, each run by Wine on an X server of its own, in the prefix
# wine/ of the build directory (make it first: tests/e2e/wine_run.py --init).
find_program(PYTHON3 python3)
set(VOLK_WINE_RUN ${PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/e2e/wine_run.py
  --prefix ${CMAKE_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VOLK_WINE_RUN})

# The tests' few POSIX calls, without touching their sources.
target_compile_options(volk_test_support PUBLIC
  -include ${CMAKE_CURRENT_SOURCE_DIR}/support/PosixOnWindows.h)

# NOTE: tests are listed when ctest runs, not at build time: listing runs the programs, under
# Wine, which needs its prefix and an X display (scripts/test-windows.sh provides both).
# Tests that cannot run under Wine, and why; each is named on a line at configure time.
set(VOLK_NOT_ON_WINDOWS
  # FIFOs, character devices and symbolic links: Windows has no FIFOs or /dev/zero, and Wine
  # makes no symbolic links. (tests/windows checks the sizes and bytes instead.)
  "AssetFile.RefusesWhatIsNotARegularFileOrIsOverItsBudget"
  "AssetFile.ReadersNameTheFileAndKeepRunning"
  "ShaderProgram.UnreadableSourcesNameTheFileAndTheReason"
  # No display at all: Wine always has a display of its own to put the box on.
  "ErrorMessage.WithoutDisplayTheLineIsTheWholeReport"
  # Regenerating data/ runs python3 through the shell, which a Windows program under Wine
  # cannot start.
  "DataGenerator.RegenerationIsByteIdentical"
)
# Each stands in ctest's list as a skipped test under its own name, so the summary counts it.
foreach(test ${VOLK_NOT_ON_WINDOWS})
  message(STATUS "Not run under Wine: ${test}")
  add_test(NAME ${test} COMMAND ${PYTHON3} -c
    "import sys; print('skipped: not run under Wine (tests/Windows.cmake)'); sys.exit(${VOLK_SKIP_EXIT})")
  set_tests_properties(${test} PROPERTIES SKIP_RETURN_CODE ${VOLK_SKIP_EXIT} LABELS windows)
endforeach()
list(JOIN VOLK_NOT_ON_WINDOWS ":" excluded)
set(VOLK_DISCOVERY_OPTIONS DISCOVERY_MODE PRE_TEST TEST_FILTER "-${excluded}")

# The real game under Wine: window, keys, frame-time lines, and the close a window manager
# sends. The Linux build's end-to-end tests stop the game with signals Wine does not pass on.
add_test(NAME e2e_windows_game
  COMMAND ${PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/e2e/windows_game.py $<TARGET_FILE:volk5pellor>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e_windows_game PROPERTIES TIMEOUT 300 LABELS e2e RUN_SERIAL TRUE
  SKIP_RETURN_CODE ${VOLK_SKIP_EXIT})
