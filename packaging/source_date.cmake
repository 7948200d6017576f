# The time the package is made at, the same for every build of one commit:
# SOURCE_DATE_EPOCH when it is set, otherwise the time of the last commit of
# the source, otherwise (an unpacked release, not a checkout) the time of its
# top CMakeLists.txt. Writes it to OUT/source_date_epoch, for cpack, and the
# package's changelog, dated with it, to OUT/changelog.gz; both only when they
# change.
#   cmake -DSOURCE=DIR -DOUT=DIR -DVERSION=V -DCONTACT=NAME-AND-ADDRESS -P source_date.cmake
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${SOURCE}" log -1 --format=%ct -- .
    OUTPUT_VARIABLE epoch RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    file(TIMESTAMP "${SOURCE}/CMakeLists.txt" epoch "%s" UTC)
  endif()
endif()
file(CONFIGURE OUTPUT "${OUT}/source_date_epoch" CONTENT "${epoch}\n")

set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
string(TIMESTAMP DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file("${CMAKE_CURRENT_LIST_DIR}/changelog.in" "${OUT}/changelog" @ONLY)
if(NOT EXISTS "${OUT}/changelog.gz" OR "${OUT}/changelog" IS_NEWER_THAN "${OUT}/changelog.gz")
  execute_process(COMMAND sh -c "gzip -9nc changelog > changelog.gz" WORKING_DIRECTORY "${OUT}"
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "could not compress ${OUT}/changelog")
  endif()
endif()
