# The product's version has one source: the four numbers of
# project(Dravon VERSION a.b.c.d). From them come the version record of every
# shipped binary (res/version/VersionInfo.rc.in), the program's manifest and
# the release's file names and uninstall entry (packaging/).
set(DRAVON_PUBLISHER "Brantle Software")
set(DRAVON_COPYRIGHT "© ${DRAVON_PUBLISHER}")
set(DRAVON_VERSION ${PROJECT_VERSION})
set(DRAVON_VERSION_COMMAS
    "${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${PROJECT_VERSION_PATCH}, ${PROJECT_VERSION_TWEAK}")
# The record's texts have always read "1, 0, 0, 3", like its numbers.
set(DRAVON_VERSION_TEXT ${DRAVON_VERSION_COMMAS})
set(DRAVON_VERSION_DIR ${PROJECT_BINARY_DIR}/version)

# dravon_version_resource(TARGET NAME DESCRIPTION): gives TARGET the version
# record of the file NAME.EXE or NAME.DLL, by its target type.
function(dravon_version_resource target name description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(DRAVON_FILE_TYPE VFT_APP)
    set(DRAVON_ORIGINAL_FILENAME ${name}.EXE)
  else()
    set(DRAVON_FILE_TYPE VFT_DLL)
    set(DRAVON_ORIGINAL_FILENAME ${name}.DLL)
  endif()
  set(DRAVON_FILE_NAME ${name})
  set(DRAVON_FILE_DESCRIPTION ${description})
  set(rc ${DRAVON_VERSION_DIR}/${target}.version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/res/version/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

if(WIN32)
  # Dravon.rc takes the manifest by name from this folder.
  configure_file(${PROJECT_SOURCE_DIR}/res/app/Dravon.manifest.in ${DRAVON_VERSION_DIR}/Dravon.manifest @ONLY)
endif()
