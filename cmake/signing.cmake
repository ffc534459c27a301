# Authenticode signing of what the Windows builds ship: the programs, the
# plug-in and the installer. By default a test publisher certificate is made
# in the build folder with openssl (never committed); TAVARO_SIGNING_CERT and
# TAVARO_SIGNING_KEY name the real certificate (PEM, with its chain) and key.
find_program(OSSLSIGNCODE osslsigncode REQUIRED)
find_program(OPENSSL openssl REQUIRED)
set(TAVARO_SIGNING_CERT "" CACHE FILEPATH "PEM certificate (and chain) that signs the programs and installers")
set(TAVARO_SIGNING_KEY "" CACHE FILEPATH "The PEM private key of that certificate")
set(TAVARO_SIGNING_DIR ${CMAKE_BINARY_DIR}/signing)

# A self-signed certificate NAME.pem with its key NAME.key, made once per build folder.
function(tavaro_test_certificate name subject)
  if(EXISTS ${TAVARO_SIGNING_DIR}/${name}.pem)
    return()
  endif()
  file(MAKE_DIRECTORY ${TAVARO_SIGNING_DIR})
  execute_process(
    COMMAND ${OPENSSL} req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 -subj ${subject}
            -keyout ${TAVARO_SIGNING_DIR}/${name}.key -out ${TAVARO_SIGNING_DIR}/${name}.pem
    RESULT_VARIABLE made OUTPUT_QUIET ERROR_QUIET)
  if(NOT made EQUAL 0)
    message(FATAL_ERROR "openssl could not make the test certificate ${name}")
  endif()
endfunction()

# The test publisher, and another one for the tests that a download of
# somebody else is refused.
tavaro_test_certificate(test-publisher "/O=Tavaro Test/CN=Tavaro Test Publisher")
tavaro_test_certificate(other-publisher "/O=Somebody Else/CN=Somebody Else")
if(TAVARO_SIGNING_CERT AND TAVARO_SIGNING_KEY)
  set(TAVARO_CERT ${TAVARO_SIGNING_CERT})
  set(TAVARO_KEY ${TAVARO_SIGNING_KEY})
else()
  set(TAVARO_CERT ${TAVARO_SIGNING_DIR}/test-publisher.pem)
  set(TAVARO_KEY ${TAVARO_SIGNING_DIR}/test-publisher.key)
endif()
set(TAVARO_SIGN_FILE ${CMAKE_SOURCE_DIR}/tools/sign-file)

# Signs the target's file in place once it is linked.
function(tavaro_sign target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${TAVARO_SIGN_FILE} ${TAVARO_CERT} ${TAVARO_KEY} $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
