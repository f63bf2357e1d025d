// The data the module carries for readers outside it: its type library and
// its version data (see com/ModuleResources.h), from the identity's texts.

#include "logoconv/frame/PellumoIdentity.h"

#include "com/ModuleResources.h"

namespace {

QUILLMERE_MODULE_RESOURCE(
    kTypeLibrary, "TYPELIB", 1,
    "library PELLUMOLib " PELLUMO_LIBID " " PELLUMO_TYPELIB_VERSION " " PELLUMO_LOCALE
    " \"" PELLUMO_PROJECT_NAME " " PELLUMO_TYPELIB_VERSION " Type Library\"\n"
    "importlib stdole2.tlb\n"
    "interface ILogoConverter " PELLUMO_IID " IDispatch dual,oleautomation \"ILogoConverter "
    "Interface\"\n"
    "method Convert 1 \"method Convert\" BSTR sRTXfilePATH BSTR sEMSFilePath BSTR sAppfilePath\n"
    "coclass LogoConverter " PELLUMO_CLSID " creatable \"" PELLUMO_CLASS_DESCRIPTION
    "\" ILogoConverter\n");

QUILLMERE_MODULE_RESOURCE(
    kVersionData, "VERSION", 1,
    "FileVersionNumber=" PELLUMO_VERSION(
        ".") "\n"
             "ProductVersionNumber=" PELLUMO_VERSION(
                 ".") "\n"
                      "Translation=0" PELLUMO_LOCALE " 04B0\n"
                      "CompanyName=\n"
                      "FileDescription=" PELLUMO_MODULE_DESCRIPTION "\n"
                      "FileVersion=" PELLUMO_VERSION(
                          ", ") "\n"
                                "InternalName=" PELLUMO_PROJECT_NAME "\n"
                                "OriginalFilename=" PELLUMO_ORIGINAL_FILENAME "\n"
                                "ProductName=" PELLUMO_MODULE_DESCRIPTION "\n"
                                "ProductVersion=" PELLUMO_VERSION(", ") "\n"
                                                                        "OLESelfRegister=\n");

} // namespace
