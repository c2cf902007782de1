# Run by cmake --install once the files are in place, so that an install into ~/.local works at
# once: the .tch type is unknown until update-mime-database has read the new package.

# Staging for a package (DESTDIR): the target system's own triggers do this.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  return()
endif()

if(IS_ABSOLUTE "${tidemark_datadir}")
  set(share "${tidemark_datadir}")
else()
  set(share "${CMAKE_INSTALL_PREFIX}/${tidemark_datadir}")
endif()

find_program(TIDEMARK_UPDATE_MIME update-mime-database)
if(TIDEMARK_UPDATE_MIME)
  message(STATUS "Updating the MIME database in ${share}/mime")
  execute_process(COMMAND "${TIDEMARK_UPDATE_MIME}" "${share}/mime" RESULT_VARIABLE failed)
  if(failed)
    message(WARNING "update-mime-database ${share}/mime failed: .tch files stay unknown")
  endif()
endif()

# The mimeinfo.cache that xdg-mime reads for the file type's handler.
find_program(TIDEMARK_UPDATE_DESKTOP update-desktop-database)
if(TIDEMARK_UPDATE_DESKTOP)
  message(STATUS "Updating the desktop file cache in ${share}/applications")
  execute_process(COMMAND "${TIDEMARK_UPDATE_DESKTOP}" -q "${share}/applications")
endif()

# Only a cache that is already there: GTK trusts one that is newer than the theme folder, so a
# cache made here would hide the icons that other programs add later without updating it.
find_program(TIDEMARK_UPDATE_ICONS gtk-update-icon-cache)
if(TIDEMARK_UPDATE_ICONS AND EXISTS "${share}/icons/hicolor/icon-theme.cache")
  message(STATUS "Updating the icon cache in ${share}/icons/hicolor")
  execute_process(COMMAND "${TIDEMARK_UPDATE_ICONS}" -q -t -f "${share}/icons/hicolor")
endif()
