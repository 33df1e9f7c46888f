# The release's date as SOURCE_DATE_EPOCH takes it, from the date of the changelog's first
# entry (" -- Name <address>  Wed, 09 Dec 2026 00:00:00 +0000"), for a build from sources
# without their history: a source tarball, a distribution's build.
function(hcci_changelog_epoch changelog out_var)
  file(STRINGS ${changelog} trailers REGEX "^ -- ")
  list(GET trailers 0 trailer)
  if(NOT trailer MATCHES
     "  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) \\+0000$")
    message(FATAL_ERROR "${changelog}: no date in UTC in its first entry's last line")
  endif()
  set(day ${CMAKE_MATCH_1})
  set(year ${CMAKE_MATCH_3})
  set(seconds_of_day "${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6}")
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months ${CMAKE_MATCH_2} month)
  if(month LESS 0)
    message(FATAL_ERROR "${changelog}: no month ${CMAKE_MATCH_2}")
  endif()
  math(EXPR month "${month} + 1")
  # Days since 1970-01-01 of a date in the Gregorian calendar, counted from March so that the
  # leap day comes last (the civil-from-days formula, read backwards).
  if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
    math(EXPR month "${month} + 9")
  else()
    math(EXPR month "${month} - 3")
  endif()
  math(EXPR era "${year} / 400")
  math(EXPR year_of_era "${year} - ${era} * 400")
  math(EXPR day_of_year "(153 * ${month} + 2) / 5 + ${day} - 1")
  math(EXPR day_of_era
       "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
  math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
  math(EXPR epoch "${days} * 86400 + ${seconds_of_day}")
  set(${out_var} ${epoch} PARENT_SCOPE)
endfunction()
