# Runs at install time, when the prefix is known for certain (cmake --install --prefix may
# differ from the configured one): the desktop entry and the manual pages name the installed
# programs and the game's data directory by their absolute paths.
#
# Expects KESTAL_WORK_DIR (where the filled-in files are made), KESTAL_BINDIR,
# KESTAL_DATADIR, KESTAL_MANDIR and KESTAL_GAMEDATADIR (each either absolute or relative to
# the prefix), KESTAL_DESKTOP_TEMPLATE (empty: no desktop entry), KESTAL_MAN_TEMPLATES
# (NAME.6.in files), KESTAL_MAN_LINKS (LINK=PAGE pairs, pages named by a second name),
# KESTAL_VERSION, KESTAL_RELEASE_DATE and GZIP.

function(under_prefix result path)
  if(IS_ABSOLUTE "${path}")
    set(${result} "${path}" PARENT_SCOPE)
  else()
    set(${result} "${CMAKE_INSTALL_PREFIX}/${path}" PARENT_SCOPE)
  endif()
endfunction()

# Exec values are quoted only when they must be, so that a prefix with blanks still names
# one program and the usual one reads as desktops and lintian expect.
function(exec_value result program)
  if(NOT program MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`=%[]")
    set(${result} "${program}" PARENT_SCOPE)
    return()
  endif()
  string(REPLACE "\\" "\\\\\\\\" program "${program}")
  string(REPLACE "\"" "\\\\\"" program "${program}")
  string(REPLACE "`" "\\\\`" program "${program}")
  string(REPLACE "$" "\\\\$" program "${program}")
  set(${result} "\"${program}\"" PARENT_SCOPE)
endfunction()

under_prefix(bindir "${KESTAL_BINDIR}")
under_prefix(datadir "${KESTAL_DATADIR}")
under_prefix(mandir "${KESTAL_MANDIR}")
under_prefix(KESTAL_DATA_DIR "${KESTAL_GAMEDATADIR}")
file(MAKE_DIRECTORY "${KESTAL_WORK_DIR}")

if(KESTAL_DESKTOP_TEMPLATE)
  exec_value(KESTAL_LAUNCHER_EXEC "${bindir}/kestal-launcher")
  exec_value(KESTAL_SILENT_EXEC "${bindir}/kestal-silent")
  configure_file("${KESTAL_DESKTOP_TEMPLATE}" "${KESTAL_WORK_DIR}/kestal.desktop" @ONLY)
  file(INSTALL "${KESTAL_WORK_DIR}/kestal.desktop" DESTINATION "${datadir}/applications")
endif()

# Manual pages are installed compressed, without a time stamp in the compressed file, as
# Debian wants them (man reads them either way).
set(pages "")
foreach(template IN LISTS KESTAL_MAN_TEMPLATES)
  get_filename_component(page "${template}" NAME_WLE)
  configure_file("${template}" "${KESTAL_WORK_DIR}/${page}" @ONLY)
  execute_process(COMMAND "${GZIP}" -9 -n -f "${KESTAL_WORK_DIR}/${page}"
                  COMMAND_ERROR_IS_FATAL ANY)
  list(APPEND pages "${KESTAL_WORK_DIR}/${page}.gz")
endforeach()
foreach(pair IN LISTS KESTAL_MAN_LINKS)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 link)
  list(GET pair 1 page)
  file(CREATE_LINK "${page}.gz" "${KESTAL_WORK_DIR}/${link}.gz" SYMBOLIC)
  list(APPEND pages "${KESTAL_WORK_DIR}/${link}.gz")
endforeach()
if(pages)
  file(INSTALL ${pages} DESTINATION "${mandir}/man6")
endif()
