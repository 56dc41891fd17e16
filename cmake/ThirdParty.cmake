# The outside libraries that have no CMake package of their own on Debian,
# found once here as imported targets:
#   PlistLib::plist        libplist (property lists of phone backups)
#   PhoneNumber::phonenumber  libphonenumber (matching phone numbers as numbers)
# OpenSSL comes from CMake's own module (OpenSSL::Crypto).
find_package(PkgConfig REQUIRED)
pkg_check_modules(PLIST REQUIRED IMPORTED_TARGET libplist-2.0)
add_library(PlistLib::plist ALIAS PkgConfig::PLIST)

find_path(PHONENUMBER_INCLUDE_DIR phonenumbers/phonenumberutil.h)
find_library(PHONENUMBER_LIBRARY phonenumber)
if(NOT PHONENUMBER_INCLUDE_DIR OR NOT PHONENUMBER_LIBRARY)
    message(FATAL_ERROR "libphonenumber not found: install libphonenumber-dev (tools/setup does)")
endif()
add_library(PhoneNumber::phonenumber UNKNOWN IMPORTED)
set_target_properties(PhoneNumber::phonenumber PROPERTIES
    IMPORTED_LOCATION ${PHONENUMBER_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${PHONENUMBER_INCLUDE_DIR}
    # Its number type is a protobuf message: the sanitizers need protobuf's type information.
    INTERFACE_LINK_LIBRARIES protobuf)

# libheif: HEIC/HEIF pictures (attachment thumbnails, the demo phone's photos).
pkg_check_modules(LIBHEIF REQUIRED IMPORTED_TARGET libheif)
add_library(Heif::heif ALIAS PkgConfig::LIBHEIF)
# libffmpegthumbnailer: the first frame of a video attachment; optional.
pkg_check_modules(FFMPEGTHUMBNAILER IMPORTED_TARGET libffmpegthumbnailer)
