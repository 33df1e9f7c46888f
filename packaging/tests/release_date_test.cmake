# cmake -DSOURCE_ROOT=... -P release_date_test.cmake: the changelog's dates become the epochs
# that date(1) gives them, leap days and month ends included.
include(${SOURCE_ROOT}/packaging/release_date.cmake)
set(work ${CMAKE_CURRENT_BINARY_DIR}/release-date-test)
file(MAKE_DIRECTORY ${work})
foreach(date IN ITEMS "Thu, 01 Jan 1970 00:00:00" "Tue, 29 Feb 2000 23:59:59"
                      "Wed, 09 Dec 2026 00:00:00" "Fri, 31 Dec 2027 12:34:56"
                      "Mon, 01 Mar 2100 06:00:00")
  file(WRITE ${work}/changelog "hcci-cycle (1) unstable; urgency=medium\n\n  * A change.\n\n"
       " -- Someone <someone@example.org>  ${date} +0000\n")
  hcci_changelog_epoch(${work}/changelog epoch)
  execute_process(COMMAND date -u -d "${date} +0000" +%s OUTPUT_VARIABLE expected
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  if(NOT epoch EQUAL expected)
    message(FATAL_ERROR "${date}: ${epoch}, not ${expected}")
  endif()
endforeach()
# And the project's own changelog has a date to give.
hcci_changelog_epoch(${SOURCE_ROOT}/packaging/changelog.in epoch)
message(STATUS "the changelog's release date is ${epoch}")
