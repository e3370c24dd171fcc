# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh directory and checks that every shipped file is where the desktop and
# the program look for it. Run with -DBUILD_DIR=... -DPREFIX=...
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX} RESULT_VARIABLE rc
                OUTPUT_VARIABLE install_output)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f IN ITEMS bin/k470 bin/k470-cli bin/k470-sim share/k470/zeng.qm share/k470/zrus.qm
                   share/applications/k470.desktop share/mime/packages/k470.xml
                   share/icons/hicolor/scalable/apps/k470.svg share/metainfo/org.example.k470.metainfo.xml
                   share/man/man1/k470.1.gz share/man/man1/k470-cli.1.gz share/man/man1/k470-sim.1.gz
                   share/bash-completion/completions/k470-cli share/zsh/vendor-completions/_k470-cli
                   share/doc/k470/copyright share/doc/k470/changelog.gz lib/udev/rules.d/70-k470-ftdi.rules)
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
# The prefix here is one that udev does not read: the install says what to do with the rule instead.
if(NOT install_output MATCHES "udev does not read .*/etc/udev/rules.d")
  message(FATAL_ERROR "the install does not tell where the udev rule must go")
endif()
file(READ ${PREFIX}/share/applications/k470.desktop desktop)
if(NOT desktop MATCHES "Exec=k470 %f" OR NOT desktop MATCHES "MimeType=application/x-k470-records;application/x-k470-signal;")
  message(FATAL_ERROR "the desktop entry does not open device data files")
endif()
file(REMOVE_RECURSE ${PREFIX})
