// The data the module carries for readers outside it: its type library and
// its version data (see com/ModuleResources.h).

#include "logoconv/frame/PellumoIdentity.h"

#include "com/ModuleResources.h"

namespace {

QUILLMERE_MODULE_RESOURCE(
    kTypeLibrary, "TYPELIB", 1,
    "library PELLUMOLib {78165FE8-B27C-486C-B90F-D12678536855} 1.0 409 \"Pellumo 1.0 Type "
    "Library\"\n"
    "importlib stdole2.tlb\n"
    "interface ILogoConverter {5BA4DE79-080E-421B-8AF1-260A249D605F} IDispatch "
    "dual,oleautomation \"ILogoConverter Interface\"\n"
    "method Convert 1 \"method Convert\" BSTR sRTXfilePATH BSTR sEMSFilePath BSTR sAppfilePath\n"
    "coclass LogoConverter {72D7EBB1-14E9-42BB-A0A5-33E4CE02164C} creatable \"LogoConverter "
    "Class\" ILogoConverter\n");

QUILLMERE_MODULE_RESOURCE(kVersionData, "VERSION", 1,
                          "FileVersionNumber=1.0.0.1\n"
                          "ProductVersionNumber=1.0.0.1\n"
                          "Translation=0409 04B0\n"
                          "CompanyName=\n"
                          "FileDescription=" PELLUMO_MODULE_DESCRIPTION "\n"
                          "FileVersion=" PELLUMO_VERSION_TEXT "\n"
                          "InternalName=Pellumo\n"
                          "OriginalFilename=Pellumo.DLL\n"
                          "ProductName=" PELLUMO_MODULE_DESCRIPTION "\n"
                          "ProductVersion=" PELLUMO_VERSION_TEXT "\n"
                          "OLESelfRegister=\n");

} // namespace
