#pragma once
// Who the module is: names, descriptions and version data, and the
// registration script that records the class in the registry.

#include <string_view>

namespace pellumo {

inline constexpr std::string_view kProjectName = "Pellumo";                  // string 100
inline constexpr std::string_view kClassDescription = "LogoConverter Class"; // string 101
inline constexpr std::string_view kProgId = "Pellumo.LogoConverter.1";
inline constexpr std::string_view kVersionIndependentProgId = "Pellumo.LogoConverter";

// Version data; the same texts travel in the module as resource VERSION 1.
#define PELLUMO_VERSION_TEXT "1, 0, 0, 1"
#define PELLUMO_MODULE_DESCRIPTION "Pellumo Module"
inline constexpr unsigned kVersionNumber[4] = {1, 0, 0, 1}; // file and product version
inline constexpr std::string_view kFileVersion = PELLUMO_VERSION_TEXT;
inline constexpr std::string_view kProductVersion = PELLUMO_VERSION_TEXT;
inline constexpr std::string_view kFileDescription = PELLUMO_MODULE_DESCRIPTION;
inline constexpr std::string_view kProductName = PELLUMO_MODULE_DESCRIPTION;
inline constexpr std::string_view kInternalName = "Pellumo";
inline constexpr std::string_view kOriginalFilename = "Pellumo.DLL";
inline constexpr std::string_view kCompanyName = "";
inline constexpr unsigned kLanguage = 0x0409; // US English
inline constexpr unsigned kCodePage = 1200;   // Unicode

// Registering writes every key below; unregistering removes both ProgID keys
// and the class key, and never the CLSID key itself. An existing class key is
// deleted whole before it is written. %MODULE% is the module's full path.
inline constexpr std::string_view kRegistrationScript = R"(HKCR
{
    Pellumo.LogoConverter.1 = s 'LogoConverter Class'
    {
        CLSID = s '{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}'
    }
    Pellumo.LogoConverter = s 'LogoConverter Class'
    {
        CLSID = s '{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}'
    }
    NoRemove CLSID
    {
        ForceRemove {72D7EBB1-14E9-42BB-A0A5-33E4CE02164C} = s 'LogoConverter Class'
        {
            ProgID = s 'Pellumo.LogoConverter.1'
            VersionIndependentProgID = s 'Pellumo.LogoConverter'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'both'
            }
        }
    }
}
)";

} // namespace pellumo
