#pragma once
// Who the component is, each value written once here: the identifiers of
// its class, its interface and its type library, its ProgIDs, names and
// version. The resources the module carries (PellumoResources.cpp: its
// registration script, strings, type library and version data) and the
// identifiers its clients use (ILogoConverter.h) are all put together from
// these texts when the module is compiled, which is why they are macros.

#define PELLUMO_CLSID "{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}" // class LogoConverter
#define PELLUMO_IID "{5BA4DE79-080E-421B-8AF1-260A249D605F}"   // interface ILogoConverter
#define PELLUMO_LIBID "{78165FE8-B27C-486C-B90F-D12678536855}" // type library PELLUMOLib
#define PELLUMO_PROGID "Pellumo.LogoConverter.1"
#define PELLUMO_VERSION_INDEPENDENT_PROGID "Pellumo.LogoConverter"
#define PELLUMO_CLASS_DESCRIPTION "LogoConverter Class"
#define PELLUMO_PROJECT_NAME "Pellumo"              // also the internal name
#define PELLUMO_MODULE_DESCRIPTION "Pellumo Module" // file description and product name
#define PELLUMO_ORIGINAL_FILENAME "Pellumo.DLL"

// The ids of the module's resources: its registration script (REGISTRY) and
// its two strings (STRING).
#define PELLUMO_REGISTRY_SCRIPT_ID 102
#define PELLUMO_PROJECT_NAME_ID 100
#define PELLUMO_CLASS_DESCRIPTION_ID 101

// The type library's version and locale (US English, in hexadecimal digits).
#define PELLUMO_TYPELIB_MAJOR 1
#define PELLUMO_TYPELIB_MINOR 0
#define PELLUMO_LOCALE "409"

// The file and product version 1.0.0.1, its parts joined by sep.
#define PELLUMO_VERSION(sep) "1" sep "0" sep "0" sep "1"

#define PELLUMO_TEXT_(x) #x
#define PELLUMO_TEXT(x) PELLUMO_TEXT_(x)
#define PELLUMO_TYPELIB_VERSION                                                                    \
    PELLUMO_TEXT(PELLUMO_TYPELIB_MAJOR) "." PELLUMO_TEXT(PELLUMO_TYPELIB_MINOR)

#include <string_view>

namespace pellumo {

// The version data's texts.
inline constexpr std::string_view kFileVersion = PELLUMO_VERSION(", ");
inline constexpr std::string_view kProductVersion = PELLUMO_VERSION(", ");
inline constexpr std::string_view kFileDescription = PELLUMO_MODULE_DESCRIPTION;
inline constexpr std::string_view kProductName = PELLUMO_MODULE_DESCRIPTION;
inline constexpr std::string_view kInternalName = PELLUMO_PROJECT_NAME;
inline constexpr std::string_view kOriginalFilename = PELLUMO_ORIGINAL_FILENAME;

} // namespace pellumo
