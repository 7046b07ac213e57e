# Install layout (cmake --install BUILD [--prefix P]):
#
#   P/lib/echobatch/        the executables (and the helpers echobatch-tagcopy and
#                           echobatch-tagcopy-formats, which they start from their own
#                           folder) with everything that lies beside them (Samples/,
#                           HAND-M.CUR, drag.ico, help.html, skins/, echobatch.png), so that
#                           the program finds them in its own folder; translations/ with
#                           the compiled translations
#   P/bin/echobatch         relative symbolic links into lib/echobatch; the program's folder is
#   P/bin/echobatch-cli     the folder of the resolved executable, so the links find the data
#   P/share/applications/echobatch.desktop
#   P/share/icons/hicolor/NxN/apps/echobatch.png, .../scalable/apps/echobatch.svg
#   P/share/metainfo/org.echobatch.echobatch.metainfo.xml   the software-centre entry
#   P/share/man/man1/echobatch.1.gz, echobatch-cli.1.gz
#   P/share/bash-completion/completions/echobatch-cli
#   P/share/doc/echobatch/copyright, changelog.gz   the licence and the changes
#
# Expects ECHOBATCH_DATA_DIR, ECHOBATCH_BESIDE_FILES, ECHOBATCH_METAINFO, ECHOBATCH_MAN_PAGES,
# ECHOBATCH_TRANSLATIONS and ECHOBATCH_PACKAGE_DOCS from data/CMakeLists.txt.

set(ECHOBATCH_INSTALL_APPDIR lib/echobatch)

# Every program that lies in lib/echobatch (a helper the programs start goes here too); those
# also named in ECHOBATCH_LAUNCHED_PROGRAMS get a link in bin/. Targets this build does not
# have are passed over.
set(ECHOBATCH_APP_PROGRAMS echobatch echobatch-cli echobatch-tagcopy echobatch-tagcopy-formats)
set(ECHOBATCH_LAUNCHED_PROGRAMS echobatch echobatch-cli)

set(echobatch_installed_programs)
foreach(program IN LISTS ECHOBATCH_APP_PROGRAMS)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${ECHOBATCH_INSTALL_APPDIR})
    if(program IN_LIST ECHOBATCH_LAUNCHED_PROGRAMS)
      list(APPEND echobatch_installed_programs ${program})
    endif()
  endif()
endforeach()

foreach(rel IN LISTS ECHOBATCH_BESIDE_FILES)
  get_filename_component(rel_dir ${rel} DIRECTORY)
  install(FILES ${ECHOBATCH_DATA_DIR}/${rel}
    DESTINATION ${ECHOBATCH_INSTALL_APPDIR}/${rel_dir})
endforeach()

install(FILES ${ECHOBATCH_TRANSLATIONS} DESTINATION ${ECHOBATCH_INSTALL_APPDIR}/translations)

# The launchers: relative links, so the tree can be moved or staged with DESTDIR.
foreach(program IN LISTS echobatch_installed_programs)
  install(CODE "
    set(bin_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(MAKE_DIRECTORY \"\${bin_dir}\")
    file(REMOVE \"\${bin_dir}/${program}\")
    message(STATUS \"Installing: \${bin_dir}/${program} -> ../${ECHOBATCH_INSTALL_APPDIR}/${program}\")
    file(CREATE_LINK \"../${ECHOBATCH_INSTALL_APPDIR}/${program}\" \"\${bin_dir}/${program}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${bin_dir}/${program}\")
  ")
endforeach()

install(FILES ${ECHOBATCH_DATA_DIR}/echobatch.desktop DESTINATION share/applications)
install(DIRECTORY ${ECHOBATCH_DATA_DIR}/icons/hicolor DESTINATION share/icons
  FILES_MATCHING PATTERN "*.png")
install(FILES ${ECHOBATCH_DATA_DIR}/echobatch.svg
  DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${ECHOBATCH_METAINFO} DESTINATION share/metainfo)
install(FILES ${ECHOBATCH_MAN_PAGES} DESTINATION share/man/man1)
install(FILES ${ECHOBATCH_DATA_DIR}/completion/echobatch-cli
  DESTINATION share/bash-completion/completions)
install(FILES ${ECHOBATCH_PACKAGE_DOCS} DESTINATION share/doc/echobatch)
