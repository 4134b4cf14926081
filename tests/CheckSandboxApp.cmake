# The sandbox program's start-up with its profile file, run as a user runs
# it: a fresh start writes the sample profile, the ICQ server's lists with
# it, the next start reads it back and saves them again at exit, and a
# damaged file is reported and left exactly as it was.
set(work ${WORK})
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})

function(run_sandbox profile outVar)
    execute_process(COMMAND ${WINE_RUN} QuillmereSandbox.exe --profile "Z:${profile}" ${ARGN} --close-when-started
                    WORKING_DIRECTORY ${BIN} OUTPUT_VARIABLE output ERROR_VARIABLE errors
                    RESULT_VARIABLE rc TIMEOUT 120)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "QuillmereSandbox.exe ended with ${rc}:\n${output}\n${errors}")
    endif()
    set(${outVar} "${output}" PARENT_SCOPE)
endfunction()

# The profile is kept in UTF-16LE; texts are looked for in its bytes, as hex.
function(read_profile profile outVar)
    file(READ ${profile} hex HEX)
    set(${outVar} "${hex}" PARENT_SCOPE)
endfunction()
# An ASCII text in UTF-16LE, as hex.
function(utf16 text outVar)
    string(HEX "${text}" hex)
    string(REGEX REPLACE "(..)" "\\100" hex "${hex}")
    set(${outVar} "${hex}" PARENT_SCOPE)
endfunction()
function(expect_in_profile hex text what)
    utf16("${text}" wanted)
    string(FIND "${hex}" "${wanted}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${what} lacks ${text}")
    endif()
endfunction()
utf16("Name=" namePrefix)
# "Иван 李": U+0418 U+0432 U+0430 U+043D, a space, U+674E.
set(ivanName "${namePrefix}1804320430043d0420004e67")

# A fresh start: the sample profile, written out at once.
set(profile ${work}/profile.ini)
run_sandbox(${profile} output)
if(NOT output MATCHES "new, from the sample profile")
    message(FATAL_ERROR "A fresh start did not say it used the sample profile:\n${output}")
endif()
read_profile(${profile} written)
if(NOT written MATCHES "^fffe")
    message(FATAL_ERROR "The new profile does not start as UTF-16LE")
endif()
foreach(expected "Format=1" "Contacts=16" "Accounts=ICQ:ICQ,ICQ_1:ICQ," "Name=Carol" "Protocol=ICQ_1"
                 "Quillmere:VisibilityLevel=dword:2" "[IcqServer]" "ICQ:invisible:100104=0A04"
                 "ICQ:root=000600C800020001")
    expect_in_profile("${written}" "${expected}" "The new profile")
endforeach()
string(FIND "${written}" "${ivanName}" at)
if(at EQUAL -1)
    message(FATAL_ERROR "The new profile lacks the name in Cyrillic and Chinese letters")
endif()

# A Unicode host reads it, and keeps every name when it saves.
run_sandbox(${profile} output --unicode)
if(NOT output MATCHES "Host: a Unicode build" OR output MATCHES "new, from the sample|cannot be read")
    message(FATAL_ERROR "A start as a Unicode host did not read the profile:\n${output}")
endif()
read_profile(${profile} unicodeWritten)
string(FIND "${unicodeWritten}" "${ivanName}" at)
if(at EQUAL -1)
    message(FATAL_ERROR "The Unicode host's session lost the name in Cyrillic and Chinese letters")
endif()
expect_in_profile("${unicodeWritten}" "ICQ:invisible:100104=0A04" "The profile saved at exit")

# The next start reads a file in 8 bits, as earlier sandboxes wrote it, and
# reports no problem.
file(WRITE ${profile} "[Profile]\nFormat=1\nContacts=1\nLoadedProtocols=ICQ\n[Own]\n[Contact1]\nName=Zed\nProtocol=ICQ\nQuillmere:VisibilityLevel=dword:5\n")
run_sandbox(${profile} output)
if(output MATCHES "new, from the sample|cannot be read" OR NOT output MATCHES "Profile: ")
    message(FATAL_ERROR "A second start did not read the profile:\n${output}")
endif()
read_profile(${profile} rewritten)
utf16("Name=Zed" zed)
utf16("Name=Carol" carol)
if(NOT rewritten MATCHES "${zed}" OR rewritten MATCHES "${carol}")
    message(FATAL_ERROR "The profile read was not the one kept")
endif()

# A damaged file: a clear message, the sample profile, the file untouched.
set(damaged ${work}/damaged.ini)
file(WRITE ${damaged} "[Profile]\nFormat=1\nContacts=lots\n")
file(SHA256 ${damaged} before)
run_sandbox(${damaged} output)
if(NOT output MATCHES "cannot be read: \\[Profile\\] Contacts=lots")
    message(FATAL_ERROR "The damaged profile was not reported:\n${output}")
endif()
file(SHA256 ${damaged} after)
if(NOT before STREQUAL after)
    message(FATAL_ERROR "The damaged profile was overwritten")
endif()
message(STATUS "fresh start, second start and damaged profile behave")
