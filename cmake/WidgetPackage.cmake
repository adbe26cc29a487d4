# The signed widget package TalvaneTV.wgt, made from resources/widget/ by our
# own packager (tools/wgt) and checked the way a television checks it before
# the build goes on. The native build made for the Windows build's tools needs none of it.
if(HOST_TOOLS_ONLY)
    return()
endif()

set(WIDGET_APP_ID "Hx4TnW9cPa.talvanetv")
set(WIDGET_APP_NAME "TalvaneTV")
set(WIDGET_SOURCE_DIR ${CMAKE_SOURCE_DIR}/resources/widget)
set(WIDGET_TEST_CERTS ${CMAKE_SOURCE_DIR}/resources/test-certs)

set(PORTAL_URL "https://portal.talvane.example/PLACEHOLDER-set-PORTAL_URL/" CACHE STRING
    "Base address of the service's portal that the widget starts from; ends with /")
set(AUTHOR_P12 "" CACHE FILEPATH
    "Author certificate and key (PKCS#12), password in WGT_AUTHOR_PASSWORD at build time; empty: test authority")
set(DISTRIBUTOR_P12 "" CACHE FILEPATH
    "Distributor certificate and key (PKCS#12), password in WGT_DISTRIBUTOR_PASSWORD at build time; empty: test authority")
set(WIDGET_TRUSTED_ROOT ${WIDGET_TEST_CERTS}/test-root.pem CACHE FILEPATH
    "Root certificate (PEM) that both signatures of the widget package lead to")

# The start page appends file names to the address and carries it raw in its query.
string(REGEX REPLACE "%[0-9A-Fa-f][0-9A-Fa-f]" "" _portal_unescaped "${PORTAL_URL}")
if(NOT PORTAL_URL MATCHES "^https?://[-A-Za-z0-9._~:/@!$'()*+,;%]+/$" OR _portal_unescaped MATCHES "%")
    message(FATAL_ERROR "PORTAL_URL \"${PORTAL_URL}\" is not usable: it must be an http:// or https:// address "
                        "that ends with \"/\" and holds no \"?\", \"&\", \"=\", \"#\", spaces, quotes or broken % escapes.")
endif()

if(CMAKE_CROSSCOMPILING)
    set(_wgt_tool ${HOST_BIN}/wgt)
    set(_wgt_tool_deps host_tools ${HOST_BIN}/wgt)
else()
    set(_wgt_tool $<TARGET_FILE:wgt>)
    set(_wgt_tool_deps wgt)
endif()

file(READ ${WIDGET_TEST_CERTS}/PASSWORD _test_password)
string(STRIP "${_test_password}" _test_password)
set(_sign_env)
set(_sign_deps)
foreach(role AUTHOR DISTRIBUTOR)
    string(TOLOWER ${role} _who)
    if(${role}_P12)
        # The password comes from the environment of the build, never from the cache.
        list(APPEND _sign_env WGT_${role}_P12=${${role}_P12})
        list(APPEND _sign_deps ${${role}_P12})
    else()
        list(APPEND _sign_env WGT_${role}_P12=${WIDGET_TEST_CERTS}/test-${_who}.p12
             WGT_${role}_PASSWORD=${_test_password})
        list(APPEND _sign_deps ${WIDGET_TEST_CERTS}/test-${_who}.p12)
    endif()
endforeach()

set(_wgt ${CMAKE_BINARY_DIR}/${WIDGET_APP_NAME}.wgt)
file(GLOB_RECURSE _widget_files CONFIGURE_DEPENDS ${WIDGET_SOURCE_DIR}/*)
add_custom_command(OUTPUT ${_wgt}
    COMMAND ${CMAKE_COMMAND} -E env ${_sign_env} ${_wgt_tool} pack ${WIDGET_SOURCE_DIR} ${_wgt}.part
            --portal-url ${PORTAL_URL}
    COMMAND ${_wgt_tool} verify ${_wgt}.part --root ${WIDGET_TRUSTED_ROOT}
            --app-id ${WIDGET_APP_ID} --app-name ${WIDGET_APP_NAME}
    COMMAND ${CMAKE_COMMAND} -E rename ${_wgt}.part ${_wgt}
    DEPENDS ${_wgt_tool_deps} ${_widget_files} ${_sign_deps} ${WIDGET_TRUSTED_ROOT}
    COMMENT "Packing, signing and checking ${WIDGET_APP_NAME}.wgt"
    VERBATIM)
add_custom_target(widget_package ALL DEPENDS ${_wgt})

set(WIDGET_PACKAGE ${_wgt} CACHE FILEPATH "The widget package that the installer carries")

# Outside checks of the built package, native build only: the xmlsec1 tool, and
# the start page in headless Chromium driven by playwright-core from npm.
if(BUILD_TESTING AND NOT CMAKE_CROSSCOMPILING)
    add_test(NAME wgt_xmlsec1
             COMMAND bash ${CMAKE_SOURCE_DIR}/tools/wgt/tests/xmlsec1_check.sh ${_wgt} ${WIDGET_TRUSTED_ROOT}
                     ${CMAKE_COMMAND})

    find_program(NODE_EXECUTABLE node)
    find_program(NPM_EXECUTABLE npm)
    if(NOT NODE_EXECUTABLE OR NOT NPM_EXECUTABLE)
        message(FATAL_ERROR "The start page test needs node and npm (Debian packages nodejs and npm).")
    endif()
    # The node modules go into the build tree, installed from the committed lock file.
    set(_startpage_src ${CMAKE_SOURCE_DIR}/tests/startpage)
    set(_startpage_modules ${CMAKE_BINARY_DIR}/startpage-modules)
    configure_file(${_startpage_src}/package.json ${_startpage_modules}/package.json COPYONLY)
    configure_file(${_startpage_src}/package-lock.json ${_startpage_modules}/package-lock.json COPYONLY)
    add_test(NAME startpage_npm_ci
             COMMAND ${NPM_EXECUTABLE} ci --no-audit --no-fund --loglevel=error
             WORKING_DIRECTORY ${_startpage_modules})
    set_tests_properties(startpage_npm_ci PROPERTIES FIXTURES_SETUP startpage_modules)
    add_test(NAME startpage_chromium
             COMMAND ${NODE_EXECUTABLE} ${_startpage_src}/startpage.test.js $<TARGET_FILE:wgt> ${WIDGET_SOURCE_DIR}
                     ${WIDGET_TEST_CERTS} ${CMAKE_COMMAND})
    set_tests_properties(startpage_chromium PROPERTIES FIXTURES_REQUIRED startpage_modules
                         ENVIRONMENT NODE_PATH=${_startpage_modules}/node_modules)
endif()
