# The installed layout and the release archives.
#
#   bin/kestro-pack[.exe]          the packer
#   bin/kestro-spy.exe             the window spy (Windows archives)
#   bin/kestro-rec.exe             the recorder (Windows archives)
#   share/kestro/kestro.exe        the runner the packer copies
#   share/kestro/kestro-debug.exe  the debugging runner the VS Code extension packs onto
#   share/kestro/docs, examples    the documentation and sample scripts
#   share/kestro/editors/kestro.tmLanguage.json   the grammar, for editors other than VS Code
#   share/kestro/editors/kestro-VERSION.vsix   the VS Code extension, packed (KESTRO_VSIX,
#                                  on in the presets)
#
# `cpack` in a Windows build makes kestro-VERSION-win32.zip (win64 for the
# 64-bit build); in a native build, kestro-VERSION-linux.tar.gz, whose runner
# comes from a Windows build named by KESTRO_RUNNER_EXE.
include(GNUInstallDirs)
set(KESTRO_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/kestro)

install(TARGETS kestro-pack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WIN32)
  install(TARGETS kestro kestro-debug RUNTIME DESTINATION ${KESTRO_SHARE_DIR})
  install(TARGETS kestro-spy kestro-rec RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
else()
  set(KESTRO_RUNNER_EXE "" CACHE FILEPATH
    "kestro.exe of a Windows build, installed beside the native packer (default: build/windows/host/kestro.exe when it exists)")
  set(kestro_runner ${KESTRO_RUNNER_EXE})
  if(NOT kestro_runner AND EXISTS ${CMAKE_SOURCE_DIR}/build/windows/host/kestro.exe)
    set(kestro_runner ${CMAKE_SOURCE_DIR}/build/windows/host/kestro.exe)
  endif()
  if(kestro_runner)
    install(FILES ${kestro_runner} DESTINATION ${KESTRO_SHARE_DIR} RENAME kestro.exe)
    # The debugging runner of the same Windows build, beside its kestro.exe.
    get_filename_component(kestro_runner_dir ${kestro_runner} DIRECTORY)
    if(EXISTS ${kestro_runner_dir}/kestro-debug.exe)
      install(FILES ${kestro_runner_dir}/kestro-debug.exe DESTINATION ${KESTRO_SHARE_DIR})
    else()
      install(CODE "message(WARNING \"No debugging runner installed: ${kestro_runner_dir} has no kestro-debug.exe\")")
    endif()
  else()
    install(CODE "message(WARNING \"No runner installed: build the windows preset, or set KESTRO_RUNNER_EXE to its kestro.exe\")")
  endif()
endif()

install(FILES README.md CHANGELOG.md DESTINATION ${KESTRO_SHARE_DIR})
install(DIRECTORY docs/ DESTINATION ${KESTRO_SHARE_DIR}/docs FILES_MATCHING PATTERN "*.md")
install(DIRECTORY examples/ DESTINATION ${KESTRO_SHARE_DIR}/examples)
# What users install of the editor support: the grammar and the packed extension, never
# the sources of the grammar generator or the extension's tests.
install(FILES editors/vscode/syntaxes/kestro.tmLanguage.json DESTINATION ${KESTRO_SHARE_DIR}/editors)

# The VS Code extension as one installable file, at the project's version. Packing it needs
# Node.js and npm (vsce comes from npm on first use), so it is an option; the release
# archives are made with it on.
option(KESTRO_VSIX "Pack the VS Code extension as kestro-VERSION.vsix into the install and archives" OFF)
find_program(KESTRO_NPM npm)
if(KESTRO_VSIX AND NOT KESTRO_NPM)
  message(WARNING "KESTRO_VSIX is on but npm is not found: the archives will have no .vsix")
elseif(KESTRO_VSIX)
  set(kestro_vsix ${CMAKE_BINARY_DIR}/kestro-${PROJECT_VERSION}.vsix)
  file(GLOB kestro_vsix_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/editors/vscode/*.js
    ${CMAKE_SOURCE_DIR}/editors/vscode/*.json ${CMAKE_SOURCE_DIR}/editors/vscode/syntaxes/*.json)
  add_custom_command(OUTPUT ${kestro_vsix}
    COMMAND bash ${CMAKE_SOURCE_DIR}/tools/vsix.sh ${PROJECT_VERSION} ${kestro_vsix}
    DEPENDS ${kestro_vsix_sources} ${CMAKE_SOURCE_DIR}/tools/vsix.sh
    COMMENT "Packing the VS Code extension as kestro-${PROJECT_VERSION}.vsix" VERBATIM)
  add_custom_target(kestro-vsix ALL DEPENDS ${kestro_vsix})
  install(FILES ${kestro_vsix} DESTINATION ${KESTRO_SHARE_DIR}/editors)
endif()

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(kestro_system win64)
  else()
    set(kestro_system win32)
  endif()
  set(CPACK_GENERATOR ZIP)
else()
  string(TOLOWER ${CMAKE_SYSTEM_NAME} kestro_system)
  set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_PACKAGE_NAME kestro)
set(CPACK_PACKAGE_VENDOR "The Kestro developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME kestro-${PROJECT_VERSION}-${kestro_system})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
if(NOT WIN32)
  # The native packer carries debug information; the Windows programs are
  # linked stripped already, and stripping again would only restamp them.
  set(CPACK_STRIP_FILES ON)
endif()
include(CPack)
