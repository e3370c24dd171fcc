# Installs the build into a fresh directory and checks that every shipped file is where the desktop and
# the program look for it. Run with -DBUILD_DIR=... -DPREFIX=...
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX} RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f IN ITEMS bin/k470 bin/k470-cli share/k470/zeng.qm share/k470/zrus.qm
                   share/applications/k470.desktop share/mime/packages/k470.xml
                   share/icons/hicolor/scalable/apps/k470.svg lib/udev/rules.d/70-k470-ftdi.rules)
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(READ ${PREFIX}/share/applications/k470.desktop desktop)
if(NOT desktop MATCHES "Exec=k470 %f" OR NOT desktop MATCHES "MimeType=application/x-k470-records;application/x-k470-signal;")
  message(FATAL_ERROR "the desktop entry does not open device data files")
endif()
file(REMOVE_RECURSE ${PREFIX})
