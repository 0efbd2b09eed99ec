# nimbrel_add_pane_bundle(<target>
#     SOURCES <file>...            the plug-in's sources (one of them uses
#                                  NIMBREL_PREFERENCE_PANE_FACTORY)
#     UI <file.ui>                 the interface description; copied to
#                                  Contents/Resources/<NIB_NAME>.ui
#     PRINCIPAL_CLASS <class>      NSPrincipalClass: the name the factory answers to
#     [BUNDLE_NAME <name>]         the folder <name>.prefPane and CFBundleName
#                                  (default: <target>)
#     [EXECUTABLE <file>]          CFBundleExecutable, the library's file name in
#                                  Contents/MacOS (default: BUNDLE_NAME)
#     [IDENTIFIER <id>]            CFBundleIdentifier (default: com.nimbrel.<BUNDLE_NAME>)
#     [NIB_NAME <name>]            NSMainNibFile (default: the UI file's name without .ui)
#     [INFO_PLIST_IN <file>]       Info.plist template for configure_file(@ONLY); it
#                                  may use @NIMBREL_BUNDLE_IDENTIFIER@,
#                                  @NIMBREL_BUNDLE_NAME@, @NIMBREL_BUNDLE_VERSION@
#                                  (PROJECT_VERSION), @NIMBREL_BUNDLE_EXECUTABLE@,
#                                  @NIMBREL_PRINCIPAL_CLASS@, @NIMBREL_MAIN_NIB_FILE@
#                                  (default: PaneInfo.plist.in next to this file,
#                                  holding exactly these six keys)
#     [LIBRARIES <lib>...]         linked privately into the plug-in
#     [OUTPUT_DIR <dir>]           where the bundle is laid out (default:
#                                  NIMBREL_PANES_DIR, the build tree's panes/)
#     [NO_INSTALL])                leave it out of cmake --install (test panes)
#
# Builds <target> as a MODULE library with hidden visibility, so that the one
# exported symbol is the factory NimbrelCreatePreferencePane, and lays out
#   <OUTPUT_DIR>/<BUNDLE_NAME>.prefPane/Contents/Info.plist
#   <OUTPUT_DIR>/<BUNDLE_NAME>.prefPane/Contents/MacOS/<EXECUTABLE>
#   <OUTPUT_DIR>/<BUNDLE_NAME>.prefPane/Contents/Resources/<NIB_NAME>.ui
# installed the same way under lib/PreferencePanes/, the host's default folder.
# The bundle's folder is the target property NIMBREL_BUNDLE_DIR.
#
# In the .ui, a widget's objectName is its outlet; the dynamic property
# "action" (a string such as "applyNow:") names the action it sends; a radio
# matrix is a QGroupBox, QFrame or QWidget with the dynamic property
# "controlKind" = "matrix" whose QRadioButtons are its rows; "outlet" = true
# marks a widget that must be one of the pane's outlets. See
# platform/qt/InterfaceBinder.h and platform/qt/QtControls.h.
include_guard(GLOBAL)

function(nimbrel_add_pane_bundle target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "NO_INSTALL"
    "UI;PRINCIPAL_CLASS;BUNDLE_NAME;EXECUTABLE;IDENTIFIER;NIB_NAME;INFO_PLIST_IN;OUTPUT_DIR"
    "SOURCES;LIBRARIES")
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "nimbrel_add_pane_bundle(${target}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  foreach(required SOURCES UI PRINCIPAL_CLASS)
    if(NOT ARG_${required})
      message(FATAL_ERROR "nimbrel_add_pane_bundle(${target}): ${required} is required")
    endif()
  endforeach()
  if(NOT ARG_BUNDLE_NAME)
    set(ARG_BUNDLE_NAME ${target})
  endif()
  if(NOT ARG_EXECUTABLE)
    set(ARG_EXECUTABLE ${ARG_BUNDLE_NAME})
  endif()
  if(NOT ARG_IDENTIFIER)
    set(ARG_IDENTIFIER "com.nimbrel.${ARG_BUNDLE_NAME}")
  endif()
  get_filename_component(ui_source "${ARG_UI}" ABSOLUTE)
  if(NOT ARG_NIB_NAME)
    get_filename_component(ARG_NIB_NAME "${ui_source}" NAME_WE)
  endif()
  if(NOT ARG_INFO_PLIST_IN)
    set(ARG_INFO_PLIST_IN "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/PaneInfo.plist.in")
  endif()
  if(NOT ARG_OUTPUT_DIR)
    set(ARG_OUTPUT_DIR ${NIMBREL_PANES_DIR})
  endif()

  set(bundle_folder "${ARG_BUNDLE_NAME}.prefPane")
  set(bundle_dir "${ARG_OUTPUT_DIR}/${bundle_folder}")

  add_library(${target} MODULE ${ARG_SOURCES})
  nimbrel_target_options(${target})
  target_link_libraries(${target} PRIVATE nimbrel_pane_base ${ARG_LIBRARIES})
  # The $<1:> keeps multi-config generators from adding a folder per config.
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME "${ARG_EXECUTABLE}"
    LIBRARY_OUTPUT_DIRECTORY "$<1:${bundle_dir}/Contents/MacOS>"
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    NIMBREL_BUNDLE_DIR "${bundle_dir}")
  # The static libraries linked in keep their symbols to themselves too, and
  # a missing symbol fails the build rather than the host's dlopen.
  target_link_options(${target} PRIVATE "LINKER:--exclude-libs,ALL")
  if(NOT NIMBREL_SANITIZE)
    target_link_options(${target} PRIVATE "LINKER:-z,defs")
  endif()

  set(NIMBREL_BUNDLE_IDENTIFIER "${ARG_IDENTIFIER}")
  set(NIMBREL_BUNDLE_NAME "${ARG_BUNDLE_NAME}")
  set(NIMBREL_BUNDLE_VERSION "${PROJECT_VERSION}")
  set(NIMBREL_BUNDLE_EXECUTABLE "${ARG_EXECUTABLE}")
  set(NIMBREL_PRINCIPAL_CLASS "${ARG_PRINCIPAL_CLASS}")
  set(NIMBREL_MAIN_NIB_FILE "${ARG_NIB_NAME}")
  configure_file("${ARG_INFO_PLIST_IN}" "${bundle_dir}/Contents/Info.plist" @ONLY)

  # Copied at build time, so that a rebuild restores it.
  set(ui_output "${bundle_dir}/Contents/Resources/${ARG_NIB_NAME}.ui")
  add_custom_command(OUTPUT "${ui_output}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${ui_source}" "${ui_output}"
    DEPENDS "${ui_source}"
    COMMENT "Copying ${ARG_NIB_NAME}.ui into ${bundle_folder}"
    VERBATIM)
  add_custom_target(${target}_interface DEPENDS "${ui_output}")
  add_dependencies(${target} ${target}_interface)

  if(NOT ARG_NO_INSTALL)
    # The host's default folder under the prefix.
    set(install_dir "lib/PreferencePanes/${bundle_folder}/Contents")
    install(TARGETS ${target} LIBRARY DESTINATION "${install_dir}/MacOS")
    install(FILES "${bundle_dir}/Contents/Info.plist" DESTINATION "${install_dir}")
    install(FILES "${ui_source}" DESTINATION "${install_dir}/Resources" RENAME "${ARG_NIB_NAME}.ui")
  endif()
endfunction()
