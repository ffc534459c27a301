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
# A test root and code-signing certificates it issued, NAME.pem holding the
# certificate and then the root (the chain a signature carries), made once per
# build folder: two of the publisher's name (a certificate and its renewal)
# and one of another name. The tests put the root into the machine's store.
function(tavaro_test_root)
  set(dir ${TAVARO_SIGNING_DIR})
  if(EXISTS ${dir}/test-root.pem)
    return()
  endif()
  file(MAKE_DIRECTORY ${dir})
  execute_process(
    COMMAND ${OPENSSL} req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 -subj "/O=Tavaro Test Root/CN=Tavaro Test Root"
            -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
            -keyout ${dir}/test-root.key -out ${dir}/test-root.pem
    RESULT_VARIABLE made OUTPUT_QUIET ERROR_QUIET)
  if(NOT made EQUAL 0)
    message(FATAL_ERROR "openssl could not make the test root")
  endif()
  file(WRITE ${dir}/code-signing.ext
    "basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
  foreach(leaf "publisher-2024;/O=Tavaro Test/CN=Tavaro Test Publisher;1"
               "publisher-2026;/O=Tavaro Test/CN=Tavaro Test Publisher;2"
               "rooted-other;/O=Tavaro Test/CN=Tavaro Test Other;3")
    list(GET leaf 0 name)
    list(GET leaf 1 subject)
    list(GET leaf 2 serial)
    execute_process(
      COMMAND ${OPENSSL} req -newkey rsa:2048 -nodes -sha256 -subj ${subject} -keyout ${dir}/${name}.key
              -out ${dir}/${name}.csr
      COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET ERROR_QUIET)
    execute_process(
      COMMAND ${OPENSSL} x509 -req -in ${dir}/${name}.csr -CA ${dir}/test-root.pem -CAkey ${dir}/test-root.key
              -set_serial ${serial} -days 3650 -sha256 -extfile ${dir}/code-signing.ext -out ${dir}/${name}.cert
      COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET ERROR_QUIET)
    file(READ ${dir}/${name}.cert leaf_pem)
    file(READ ${dir}/test-root.pem root_pem)
    file(WRITE ${dir}/${name}.pem "${leaf_pem}${root_pem}")
  endforeach()
endfunction()
tavaro_test_root()

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
