# Runs Tessal once and compares its whole standard output, byte for byte, with an expected file.
# -DEXE=         the program
# -DEMULATOR=    what runs it when cross-built (wine), or empty
# -DARGS=        its arguments, as a list
# -DEXE_TEXT=    the program's full name as it spells it (default: its real path)
# -DSEPARATOR=   the separator that ends its folder
# -DWORKDIR=     where it is started
# -DEXPECTED=    file of the expected standard output; @EXE@ and @EXEDIR@ stand for the
#                program's full name and folder as the program itself spells them, @VERSION@
#                for the version the build was given
# -DVERSION=     that version
# -DRC=          expected exit status
# -DSTDERR=      regular expression the standard error must match (default: empty)
# -DNAME=        the test's own name, which its scratch files carry: no two cases share one
# -DOUTDIR=      where the actual output is kept for a look after a failure
cmake_minimum_required(VERSION 3.25)

if(NOT EXE_TEXT)
  get_filename_component(EXE_TEXT "${EXE}" REALPATH)
endif()
set(exe_text "${EXE_TEXT}")
string(FIND "${exe_text}" "${SEPARATOR}" last REVERSE)
math(EXPR cut "${last} + 1")
string(SUBSTRING "${exe_text}" 0 ${cut} exedir_text)

if(NOT VERSION)
  message(FATAL_ERROR "-DVERSION= is missing: the expected outputs name the version")
endif()
if(NOT NAME)
  message(FATAL_ERROR "-DNAME= is missing: without it cases would share scratch files")
endif()
set(case_name "${NAME}")
set(actual "${OUTDIR}/${case_name}.actual")
file(MAKE_DIRECTORY "${OUTDIR}")

# What the run must leave as it was: the logs beside the program and the names in its folder.
get_filename_component(exe_dir "${EXE}" DIRECTORY)
function(snapshot out)
  file(GLOB names RELATIVE "${exe_dir}" "${exe_dir}/*")
  file(GLOB logs "${exe_dir}/fixtures/*")
  set(state "${names}")
  foreach(log IN LISTS logs)
    file(SHA256 "${log}" sum)
    file(TIMESTAMP "${log}" stamp "%s")
    string(APPEND state ";${log}=${sum}@${stamp}")
  endforeach()
  set(${out} "${state}" PARENT_SCOPE)
endfunction()
snapshot(before)

execute_process(COMMAND ${EMULATOR} "${EXE}" ${ARGS}
                WORKING_DIRECTORY "${WORKDIR}"
                OUTPUT_FILE "${actual}"
                ERROR_VARIABLE err
                RESULT_VARIABLE rc)

# Compared as hexadecimal: reading as text would lose the CRs.
function(hex_of text out)
  file(WRITE "${OUTDIR}/${case_name}.hex" "${text}")
  file(READ "${OUTDIR}/${case_name}.hex" hex HEX)
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()
hex_of("@EXEDIR@" exedir_mark)
hex_of("@EXE@" exe_mark)
hex_of("@VERSION@" version_mark)
hex_of("${VERSION}" version_hex)
hex_of("${exedir_text}" exedir_hex)
hex_of("${exe_text}" exe_hex)
file(READ "${EXPECTED}" wanted_hex HEX)
string(REPLACE "${exedir_mark}" "${exedir_hex}" wanted_hex "${wanted_hex}")
string(REPLACE "${exe_mark}" "${exe_hex}" wanted_hex "${wanted_hex}")
string(REPLACE "${version_mark}" "${version_hex}" wanted_hex "${wanted_hex}")
file(READ "${actual}" actual_hex HEX)
set(failed "")
snapshot(after)
if(NOT before STREQUAL after)
  string(APPEND failed "the run changed a log or left files beside the program:\n${before}\n${after}\n")
endif()
if(NOT actual_hex STREQUAL wanted_hex)
  file(READ "${actual}" actual_text)
  file(READ "${EXPECTED}" expected_text)
  string(LENGTH "${actual_hex}" n)
  foreach(i RANGE 0 ${n} 2)
    string(SUBSTRING "${actual_hex}" ${i} 2 a)
    string(SUBSTRING "${wanted_hex}" ${i} 2 w)
    if(NOT a STREQUAL w)
      math(EXPR at "${i} / 2")
      break()
    endif()
  endforeach()
  string(APPEND failed "standard output differs from ${EXPECTED} from byte ${at} on\n"
         "--- got (line ends shown as LF):\n${actual_text}\n--- wanted:\n${expected_text}\n")
endif()
if(NOT "${rc}" STREQUAL "${RC}")
  string(APPEND failed "exit status ${rc}, wanted ${RC}\n")
endif()
if(NOT DEFINED STDERR)
  set(STDERR "^$")
endif()
if(NOT err MATCHES "${STDERR}")
  string(APPEND failed "standard error does not match ${STDERR}:\n${err}\n")
endif()
if(failed)
  message(FATAL_ERROR "${failed}")
endif()
