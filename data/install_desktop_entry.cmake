# Runs at install time, when the prefix is known for certain (cmake --install --prefix may
# differ from the configured one): the desktop entry names the installed programs and the
# game's data directory by their absolute paths.
#
# Expects KESTAL_DESKTOP_TEMPLATE, KESTAL_DESKTOP_WORK_FILE, KESTAL_BINDIR, KESTAL_DATADIR
# and KESTAL_GAMEDATADIR (each either absolute or relative to the prefix).

function(under_prefix result path)
  if(IS_ABSOLUTE "${path}")
    set(${result} "${path}" PARENT_SCOPE)
  else()
    set(${result} "${CMAKE_INSTALL_PREFIX}/${path}" PARENT_SCOPE)
  endif()
endfunction()

# Exec values are quoted, so that a prefix with blanks still names one program.
function(exec_value result program)
  string(REPLACE "\\" "\\\\\\\\" program "${program}")
  string(REPLACE "\"" "\\\\\"" program "${program}")
  string(REPLACE "`" "\\\\`" program "${program}")
  string(REPLACE "$" "\\\\$" program "${program}")
  set(${result} "\"${program}\"" PARENT_SCOPE)
endfunction()

under_prefix(bindir "${KESTAL_BINDIR}")
under_prefix(datadir "${KESTAL_DATADIR}")
under_prefix(gamedatadir "${KESTAL_GAMEDATADIR}")
exec_value(KESTAL_LAUNCHER_EXEC "${bindir}/kestal-launcher")
exec_value(KESTAL_SILENT_EXEC "${bindir}/kestal-silent")
set(KESTAL_DATA_DIR "${gamedatadir}")
configure_file("${KESTAL_DESKTOP_TEMPLATE}" "${KESTAL_DESKTOP_WORK_FILE}" @ONLY)
file(INSTALL "${KESTAL_DESKTOP_WORK_FILE}" DESTINATION "${datadir}/applications")
