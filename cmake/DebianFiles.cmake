# SPDX-License-Identifier: Apache-2.0
# The two files Debian asks of every package in its documentation folder,
# made at configure time in build/debian: the machine-readable copyright
# file, and the changelog in Debian's format, made from CHANGELOG.md and
# gzipped. They go to the .deb only (left out of a plain install, which
# carries LICENSE and CHANGELOG.md).
# Needs SEGMENTOR_MAINTAINER and SEGMENTOR_GZIP.
set(debian_dir ${PROJECT_BINARY_DIR}/debian)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md)

file(WRITE ${debian_dir}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Segmentor
Upstream-Contact: ${SEGMENTOR_MAINTAINER}

Files: *
Copyright: 2026 The Segmentor authors
License: Apache-2.0

Files: tests/data/numbers/*
Copyright: The authors of parse-number-fxx-test-data
 (https://github.com/nigeltao/parse-number-fxx-test-data)
License: Apache-2.0

License: Apache-2.0
 Licensed under the Apache License, Version 2.0 (the \"License\");
 you may not use this file except in compliance with the License.
 You may obtain a copy of the License at
 .
 http://www.apache.org/licenses/LICENSE-2.0
 .
 Unless required by applicable law or agreed to in writing, software
 distributed under the License is distributed on an \"AS IS\" BASIS,
 WITHOUT WARRANTIES OR CONDITIONS OF ANY KIND, either express or implied.
 See the License for the specific language governing permissions and
 limitations under the License.
 .
 On Debian systems, the complete text of the Apache License, Version 2.0
 can be found in \"/usr/share/common-licenses/Apache-2.0\".
")

# "Tue, 08 Dec 2026 00:00:00 +0000" for 2026-12-08 (Zeller's congruence
# gives the day of the week).
function(debian_date iso out)
  string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" _ ${iso})
  set(y ${CMAKE_MATCH_1})
  set(m ${CMAKE_MATCH_2})
  set(d ${CMAKE_MATCH_3})
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  math(EXPR month_index "${m} - 1")
  list(GET months ${month_index} month)
  if(m LESS 3)
    math(EXPR m "${m} + 12")
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR day_index "(${d} + 13 * (${m} + 1) / 5 + ${y} + ${y} / 4 - ${y} / 100 + ${y} / 400) % 7")
  set(days Sat Sun Mon Tue Wed Thu Fri)
  list(GET days ${day_index} day)
  set(${out} "${day}, ${d} ${month} ${CMAKE_MATCH_1} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

# One entry per released version ("## 1.0.0 — 2026-12-08"), newest first.
# The "Unreleased" section becomes the entry of the version being built when
# CHANGELOG.md has no section of that version yet (distribution UNRELEASED,
# dated now, or SOURCE_DATE_EPOCH); otherwise it waits for its release.
file(READ ${PROJECT_SOURCE_DIR}/CHANGELOG.md markdown)
string(APPEND markdown "\n## end\n")
set(changelog "")
set(entry "")
set(trailer "")
string(FIND "${markdown}" "\n## ${PROJECT_VERSION} " version_released)
while(NOT markdown STREQUAL "")
  string(FIND "${markdown}" "\n" end)
  string(SUBSTRING "${markdown}" 0 ${end} line)
  math(EXPR end "${end} + 1")
  string(SUBSTRING "${markdown}" ${end} -1 markdown)
  if(line MATCHES "^## ")
    if(trailer)
      string(APPEND changelog "${entry}\n -- ${SEGMENTOR_MAINTAINER}  ${trailer}\n\n")
    endif()
    set(trailer "")
    if(line MATCHES "^## ([0-9][^ ]*) .* ([0-9]+-[0-9]+-[0-9]+)$")
      debian_date(${CMAKE_MATCH_2} trailer)
      set(entry "segmentor (${CMAKE_MATCH_1}) unstable; urgency=medium\n\n")
    elseif(line STREQUAL "## Unreleased" AND version_released EQUAL -1)
      string(TIMESTAMP trailer "%a, %d %b %Y %H:%M:%S +0000" UTC)
      set(entry "segmentor (${PROJECT_VERSION}) UNRELEASED; urgency=medium\n\n")
    endif()
  elseif(trailer AND line MATCHES "^- (.*)")
    string(APPEND entry "  * ${CMAKE_MATCH_1}\n")
  elseif(trailer AND NOT line STREQUAL "")
    string(APPEND entry "  ${line}\n")
  endif()
endwhile()
string(STRIP "${changelog}" changelog)
file(WRITE ${debian_dir}/changelog "${changelog}\n")
execute_process(COMMAND ${SEGMENTOR_GZIP} -9nf ${debian_dir}/changelog COMMAND_ERROR_IS_FATAL ANY)

install(FILES ${debian_dir}/copyright ${debian_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT segmentor EXCLUDE_FROM_ALL)
# The debug package's documentation folder is the program's, as Debian makes it.
install(CODE "set(doc \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/doc\")
              file(MAKE_DIRECTORY \${doc})
              file(CREATE_LINK segmentor \${doc}/segmentor-dbgsym SYMBOLIC)"
        COMPONENT dbgsym EXCLUDE_FROM_ALL)
