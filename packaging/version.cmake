# PELK's version is written once, in the header the programs print it from
# (src/session/version.h): the product version, then the build number, so
# "Build 7 for ... 3.2" is version 3.2.7 of the project and of its package.
# Read before project(), which takes the result.
set(pelk_version_header ${CMAKE_CURRENT_LIST_DIR}/../src/session/version.h)
file(READ ${pelk_version_header} pelk_version_text)
string(REGEX MATCH "kProductVersion\\[\\] = \"([0-9]+(\\.[0-9]+)*)\""
       pelk_match "${pelk_version_text}")
set(pelk_product_version ${CMAKE_MATCH_1})
string(REGEX MATCH "kBuildNumber\\[\\] = \"([0-9]+)\"" pelk_match
       "${pelk_version_text}")
set(pelk_build_number ${CMAKE_MATCH_1})
if(NOT pelk_product_version OR NOT pelk_build_number)
  message(FATAL_ERROR "${pelk_version_header} names no product version "
                      "and build number of digits")
endif()
set(PELK_VERSION ${pelk_product_version}.${pelk_build_number})
