# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian changelog of the package, made from CHANGELOG.md at configure
# time (CHANGELOG.md explains its layout): one entry for each version up to
# PROJECT_VERSION, newest first, in the format dpkg-parsechangelog reads.
#
# Sets SNIPOLA_RELEASE_DATE (YYYY-MM-DD) to the date of PROJECT_VERSION's
# section and writes the changelog to ${SNIPOLA_DEBIAN_CHANGELOG}. Stops the
# configuration when PROJECT_VERSION has no dated section, so a release can
# not go out without its changes written down.
#   SNIPOLA_MAINTAINER   "Name <address>", the signature of every entry

set(snipola_changelog_source ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
set(SNIPOLA_DEBIAN_CHANGELOG ${CMAKE_BINARY_DIR}/package/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${snipola_changelog_source})

# "Mon, 07 Dec 2026 02:00:00 +0000" for the date "2026-12-07" and the time
# "02:00:00": the weekday from the day count since 1970-01-01 (a Thursday), by
# the civil-calendar arithmetic of proleptic Gregorian dates.
function(snipola_rfc2822_date iso time out)
  string(REGEX MATCH "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$" matched "${iso}")
  if(NOT matched)
    message(FATAL_ERROR "CHANGELOG.md: '${iso}' is not a date of the form YYYY-MM-DD")
  endif()
  set(year_text ${CMAKE_MATCH_1})
  set(month_text ${CMAKE_MATCH_2})
  set(day_text ${CMAKE_MATCH_3})
  string(REGEX REPLACE "^0" "" month "${month_text}")
  string(REGEX REPLACE "^0" "" day "${day_text}")
  set(year ${year_text})
  if(month LESS 1 OR month GREATER 12 OR day LESS 1 OR day GREATER 31)
    message(FATAL_ERROR "CHANGELOG.md: '${iso}' is not a date")
  endif()
  if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
    math(EXPR shifted_month "${month} + 9")
  else()
    math(EXPR shifted_month "${month} - 3")
  endif()
  math(EXPR era "${year} / 400")
  math(EXPR year_of_era "${year} - ${era} * 400")
  math(EXPR day_of_year "(153 * ${shifted_month} + 2) / 5 + ${day} - 1")
  math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
  math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
  math(EXPR weekday "(${days} + 4) % 7")
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET weekdays ${weekday} weekday_name)
  math(EXPR month_index "${month} - 1")
  list(GET months ${month_index} month_name)
  set(${out} "${weekday_name}, ${day_text} ${month_name} ${year_text} ${time} +0000" PARENT_SCOPE)
endfunction()

# Semicolons and square brackets would split or join CMake list items, so
# they travel as stand-ins until the text is written.
file(READ ${snipola_changelog_source} snipola_changelog_text)
string(REPLACE ";" "<semicolon>" snipola_changelog_text "${snipola_changelog_text}")
string(REPLACE "[" "<open>" snipola_changelog_text "${snipola_changelog_text}")
string(REPLACE "]" "<close>" snipola_changelog_text "${snipola_changelog_text}")
string(REPLACE "\n" ";" snipola_changelog_lines "${snipola_changelog_text}")

set(snipola_changelog "")
set(snipola_entry_version "")
set(SNIPOLA_RELEASE_DATE "")
# Closes the entry being written: its items, then the signature line.
macro(snipola_close_changelog_entry)
  if(NOT snipola_entry_version STREQUAL "")
    if(snipola_entry_items STREQUAL "")
      message(FATAL_ERROR "CHANGELOG.md: version ${snipola_entry_version} lists no changes")
    endif()
    # CHANGELOG.md dates releases by the day, but Debian wants every entry
    # later than the one before it, also for two releases on one day: the
    # time of day comes from the version (0.2.0 at 02:00, 0.2.1 at 02:01).
    string(REGEX MATCH "^[0-9]+\\.([0-9]+)\\.([0-9]+)$" matched "${snipola_entry_version}")
    math(EXPR snipola_entry_hour "${CMAKE_MATCH_1} % 24")
    math(EXPR snipola_entry_minute "${CMAKE_MATCH_2} % 60")
    foreach(part snipola_entry_hour snipola_entry_minute)
      if(${part} LESS 10)
        set(${part} "0${${part}}")
      endif()
    endforeach()
    snipola_rfc2822_date("${snipola_entry_date}" "${snipola_entry_hour}:${snipola_entry_minute}:00"
                         snipola_entry_stamp)
    string(APPEND snipola_changelog
           "snipola (${snipola_entry_version}) unstable; urgency=medium\n\n${snipola_entry_items}\n"
           " -- ${SNIPOLA_MAINTAINER}  ${snipola_entry_stamp}\n\n")
  endif()
  set(snipola_entry_version "")
endmacro()

foreach(line IN LISTS snipola_changelog_lines)
  if(line MATCHES "^## ([0-9]+\\.[0-9]+\\.[0-9]+) - (.*)$")
    # Taken before the entry before it is closed, whose own matching resets CMAKE_MATCH_n.
    set(snipola_section_version ${CMAKE_MATCH_1})
    set(snipola_section_date ${CMAKE_MATCH_2})
    snipola_close_changelog_entry()
    if(snipola_section_version VERSION_GREATER PROJECT_VERSION)
      continue()
    endif()
    if(snipola_section_date STREQUAL "unreleased")
      message(FATAL_ERROR "CHANGELOG.md: version ${snipola_section_version} is not later than project()'s "
                          "${PROJECT_VERSION} but has no release date: write the date in its heading")
    endif()
    if(snipola_section_version VERSION_EQUAL PROJECT_VERSION)
      set(SNIPOLA_RELEASE_DATE ${snipola_section_date})
    endif()
    set(snipola_entry_version ${snipola_section_version})
    set(snipola_entry_date ${snipola_section_date})
    set(snipola_entry_items "")
  elseif(snipola_entry_version STREQUAL "")
    continue()
  elseif(line MATCHES "^- (.*)$")
    string(APPEND snipola_entry_items "  * ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^  +([^ ].*)$" AND NOT snipola_entry_items STREQUAL "")
    string(APPEND snipola_entry_items "    ${CMAKE_MATCH_1}\n")
  elseif(NOT line STREQUAL "")
    message(FATAL_ERROR "CHANGELOG.md: version ${snipola_entry_version}: '${line}' is neither "
                        "a '- ' item nor a line of one")
  endif()
endforeach()
snipola_close_changelog_entry()

if(NOT SNIPOLA_RELEASE_DATE)
  message(FATAL_ERROR "CHANGELOG.md has no '## ${PROJECT_VERSION} - YYYY-MM-DD' section "
                      "for project()'s version ${PROJECT_VERSION}")
endif()
string(REPLACE "`" "" snipola_changelog "${snipola_changelog}")
string(REPLACE "<semicolon>" ";" snipola_changelog "${snipola_changelog}")
string(REPLACE "<open>" "[" snipola_changelog "${snipola_changelog}")
string(REPLACE "<close>" "]" snipola_changelog "${snipola_changelog}")
string(REGEX REPLACE "\n\n$" "\n" snipola_changelog "${snipola_changelog}")
# Written only when it changes, so an unchanged changelog is not packed again.
file(WRITE ${SNIPOLA_DEBIAN_CHANGELOG}.new "${snipola_changelog}")
configure_file(${SNIPOLA_DEBIAN_CHANGELOG}.new ${SNIPOLA_DEBIAN_CHANGELOG} COPYONLY)
