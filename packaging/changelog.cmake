# Reads the release history from packaging/changelog (Debian's changelog format), the one
# place where releases are described. Sets, in the caller's scope:
#   KESTAL_RELEASE_DATE      date of the newest entry, YYYY-MM-DD
#   KESTAL_MAINTAINER        "Name <address>" of the newest entry
#   KESTAL_APPSTREAM_RELEASES  <release> elements for the AppStream metadata, newest first
# and stops the configuration when the newest entry is not the project's version: a release
# without its changelog entry would ship the previous one's notes.

function(_kestal_xml_text result text)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

# "Tue, 08 Dec 2026 12:00:00 +0000" -> "2026-12-08"
function(_kestal_iso_date result rfc_date)
  if(NOT rfc_date MATCHES "^[A-Z][a-z][a-z], ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "packaging/changelog: cannot read the date \"${rfc_date}\"")
  endif()
  set(day ${CMAKE_MATCH_1})
  set(year ${CMAKE_MATCH_3})
  list(FIND _KESTAL_MONTHS ${CMAKE_MATCH_2} month)
  if(month LESS 0)
    message(FATAL_ERROR "packaging/changelog: no month \"${CMAKE_MATCH_2}\"")
  endif()
  math(EXPR month "${month} + 1")
  foreach(part day month)
    string(LENGTH "${${part}}" digits)
    if(digits EQUAL 1)
      set(${part} "0${${part}}")
    endif()
  endforeach()
  set(${result} "${year}-${month}-${day}" PARENT_SCOPE)
endfunction()
set(_KESTAL_MONTHS Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)

function(kestal_read_changelog file)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  # Items are gathered as XML as they are read: changelog text may hold semicolons, which
  # a CMake list would split.
  file(STRINGS ${file} lines)
  set(releases "")
  set(version "")
  set(items "")
  set(item "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[a-z0-9.+-]+ \\(([^)]+)\\) ")
      set(version ${CMAKE_MATCH_1})
      set(items "")
      set(item "")
    elseif(line MATCHES "^  \\* (.*)$")
      _kestal_add_item(items "${item}")
      set(item "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^    +(.*)$")
      string(APPEND item " ${CMAKE_MATCH_1}")
    elseif(line MATCHES "^ -- (.+>)  (.+)$")
      _kestal_add_item(items "${item}")
      set(item "")
      set(maintainer "${CMAKE_MATCH_1}")
      _kestal_iso_date(date "${CMAKE_MATCH_2}")
      if(NOT newest_version)
        set(newest_version ${version})
        set(KESTAL_MAINTAINER "${maintainer}" PARENT_SCOPE)
        set(KESTAL_RELEASE_DATE ${date} PARENT_SCOPE)
      endif()
      string(APPEND releases "    <release version=\"${version}\" date=\"${date}\">\n"
             "      <description>\n        <ul>\n${items}        </ul>\n"
             "      </description>\n    </release>\n")
    endif()
  endforeach()
  if(NOT newest_version STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/changelog: the newest entry is version "
                        "\"${newest_version}\", the project's version is ${PROJECT_VERSION}: "
                        "add an entry for it")
  endif()
  set(KESTAL_APPSTREAM_RELEASES "${releases}" PARENT_SCOPE)
endfunction()

function(_kestal_add_item result text)
  if(NOT text STREQUAL "")
    _kestal_xml_text(text "${text}")
    set(${result} "${${result}}          <li>${text}</li>\n" PARENT_SCOPE)
  endif()
endfunction()
