# The sandbox program's start-up with its profile file, run as a user runs
# it: a fresh start writes the sample profile, the next start reads it back,
# and a damaged file is reported and left exactly as it was.
set(work ${WORK})
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})

function(run_sandbox profile outVar)
    execute_process(COMMAND ${WINE_RUN} QuillmereSandbox.exe --profile "Z:${profile}" --close-when-started
                    WORKING_DIRECTORY ${BIN} OUTPUT_VARIABLE output ERROR_VARIABLE errors
                    RESULT_VARIABLE rc TIMEOUT 120)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "QuillmereSandbox.exe ended with ${rc}:\n${output}\n${errors}")
    endif()
    set(${outVar} "${output}" PARENT_SCOPE)
endfunction()

# A fresh start: the sample profile, written out at once.
set(profile ${work}/profile.ini)
run_sandbox(${profile} output)
if(NOT output MATCHES "new, from the sample profile")
    message(FATAL_ERROR "A fresh start did not say it used the sample profile:\n${output}")
endif()
file(READ ${profile} written)
foreach(expected "Format=1" "Contacts=15" "Accounts=ICQ:ICQ,ICQ_1:ICQ," "Name=Carol" "Protocol=ICQ_1"
                 "Quillmere:VisibilityLevel=dword:2")
    string(FIND "${written}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "The new profile lacks ${expected}:\n${written}")
    endif()
endforeach()

# The next start reads it, and reports no problem.
file(WRITE ${profile} "[Profile]\nFormat=1\nContacts=1\nLoadedProtocols=ICQ\n[Own]\n[Contact1]\nName=Zed\nProtocol=ICQ\nQuillmere:VisibilityLevel=dword:5\n")
run_sandbox(${profile} output)
if(output MATCHES "new, from the sample|cannot be read" OR NOT output MATCHES "Profile: ")
    message(FATAL_ERROR "A second start did not read the profile:\n${output}")
endif()
file(READ ${profile} rewritten)
if(NOT rewritten MATCHES "Name=Zed" OR rewritten MATCHES "Name=Carol")
    message(FATAL_ERROR "The profile read was not the one kept:\n${rewritten}")
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
