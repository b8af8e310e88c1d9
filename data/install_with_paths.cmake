# Runs at install time, when the prefix is known for certain (cmake --install --prefix may
# differ from the configured one): the launcher, the desktop entry and the manual pages name
# the installed programs and the game's data directory by their absolute paths.
#
# Expects KESTAL_WORK_DIR (where the filled-in files are made), KESTAL_BINDIR,
# KESTAL_DATADIR, KESTAL_MANDIR, KESTAL_GAMEDATADIR and KESTAL_PROGRAMDIR (each either
# absolute or relative to the prefix), KESTAL_LAUNCHER_TEMPLATE and KESTAL_DESKTOP_TEMPLATE
# (empty: no launcher, no desktop entry), KESTAL_MAN_TEMPLATES (NAME.6.in files),
# KESTAL_MAN_LINKS (LINK=PAGE pairs, pages named by a second name), KESTAL_VERSION,
# KESTAL_RELEASE_DATE and GZIP.

# A relative prefix (cmake --install --prefix dir) is taken from where the install runs, as
# the files themselves are.
get_filename_component(kestal_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
function(under_prefix result path)
  if(IS_ABSOLUTE "${path}")
    set(${result} "${path}" PARENT_SCOPE)
  else()
    set(${result} "${kestal_prefix}/${path}" PARENT_SCOPE)
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

# One word for the shell, whatever the path holds: single quotes, each quote in it closed,
# escaped and reopened.
function(shell_word result path)
  string(REPLACE "'" "'\\''" path "${path}")
  set(${result} "'${path}'" PARENT_SCOPE)
endfunction()

under_prefix(bindir "${KESTAL_BINDIR}")
under_prefix(datadir "${KESTAL_DATADIR}")
under_prefix(mandir "${KESTAL_MANDIR}")
under_prefix(KESTAL_DATA_DIR "${KESTAL_GAMEDATADIR}")
under_prefix(KESTAL_PROGRAM_DIR "${KESTAL_PROGRAMDIR}")
set(KESTAL_PROGRAM "${KESTAL_PROGRAM_DIR}/kestal")
# Each install fills in its own copies, so that installs side by side into different places
# (the tests make several at once) never take each other's paths.
string(MD5 destination "$ENV{DESTDIR}${kestal_prefix}")
set(work_dir "${KESTAL_WORK_DIR}/${destination}")
file(MAKE_DIRECTORY "${work_dir}")

# The command a player types, and its earlier name for menu entries copied from an older
# installation.
if(KESTAL_LAUNCHER_TEMPLATE)
  shell_word(KESTAL_DATA_DIR_WORD "${KESTAL_DATA_DIR}")
  shell_word(KESTAL_PROGRAM_WORD "${KESTAL_PROGRAM}")
  configure_file("${KESTAL_LAUNCHER_TEMPLATE}" "${work_dir}/kestal" @ONLY)
  file(CREATE_LINK kestal "${work_dir}/kestal-launcher" SYMBOLIC)
  file(INSTALL "${work_dir}/kestal" "${work_dir}/kestal-launcher"
       DESTINATION "${bindir}"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                        WORLD_READ WORLD_EXECUTE)
endif()

if(KESTAL_DESKTOP_TEMPLATE)
  exec_value(KESTAL_LAUNCHER_EXEC "${bindir}/kestal")
  exec_value(KESTAL_SILENT_EXEC "${bindir}/kestal-silent")
  configure_file("${KESTAL_DESKTOP_TEMPLATE}" "${work_dir}/kestal.desktop" @ONLY)
  file(INSTALL "${work_dir}/kestal.desktop" DESTINATION "${datadir}/applications")
endif()

# Manual pages are installed compressed, without a time stamp in the compressed file, as
# Debian wants them (man reads them either way).
set(pages "")
foreach(template IN LISTS KESTAL_MAN_TEMPLATES)
  get_filename_component(page "${template}" NAME_WLE)
  configure_file("${template}" "${work_dir}/${page}" @ONLY)
  execute_process(COMMAND "${GZIP}" -9 -n -f "${work_dir}/${page}"
                  COMMAND_ERROR_IS_FATAL ANY)
  list(APPEND pages "${work_dir}/${page}.gz")
endforeach()
foreach(pair IN LISTS KESTAL_MAN_LINKS)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 link)
  list(GET pair 1 page)
  file(CREATE_LINK "${page}.gz" "${work_dir}/${link}.gz" SYMBOLIC)
  list(APPEND pages "${work_dir}/${link}.gz")
endforeach()
if(pages)
  file(INSTALL ${pages} DESTINATION "${mandir}/man6")
endif()
file(REMOVE_RECURSE "${work_dir}")
