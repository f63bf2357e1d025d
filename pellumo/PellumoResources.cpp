// The data the module carries for readers outside it (see
// com/ModuleResources.h), from the identity's texts: its registration script,
// its strings, its type library and its version data.

#include "pellumo/PellumoIdentity.h"

#include "com/ModuleResources.h"

namespace {

// Registering writes every key below; unregistering removes both ProgID keys
// and the class key, and never the CLSID key itself. An existing class key is
// deleted whole before it is written. %MODULE% is the module's full path.
QUILLMERE_MODULE_RESOURCE(
    kRegistrationScript, "REGISTRY", PELLUMO_REGISTRY_SCRIPT_ID,
    "HKCR\n"
    "{\n"
    "    " PELLUMO_PROGID " = s '" PELLUMO_CLASS_DESCRIPTION "'\n"
    "    {\n"
    "        CLSID = s '" PELLUMO_CLSID "'\n"
    "    }\n"
    "    " PELLUMO_VERSION_INDEPENDENT_PROGID " = s '" PELLUMO_CLASS_DESCRIPTION "'\n"
    "    {\n"
    "        CLSID = s '" PELLUMO_CLSID "'\n"
    "    }\n"
    "    NoRemove CLSID\n"
    "    {\n"
    "        ForceRemove " PELLUMO_CLSID " = s '" PELLUMO_CLASS_DESCRIPTION "'\n"
    "        {\n"
    "            ProgID = s '" PELLUMO_PROGID "'\n"
    "            VersionIndependentProgID = s '" PELLUMO_VERSION_INDEPENDENT_PROGID "'\n"
    "            InprocServer32 = s '%MODULE%'\n"
    "            {\n"
    "                val ThreadingModel = s 'both'\n"
    "            }\n"
    "        }\n"
    "    }\n"
    "}\n");

QUILLMERE_MODULE_RESOURCE(kProjectName, "STRING", PELLUMO_PROJECT_NAME_ID, PELLUMO_PROJECT_NAME);
QUILLMERE_MODULE_RESOURCE(kClassDescription, "STRING", PELLUMO_CLASS_DESCRIPTION_ID,
                          PELLUMO_CLASS_DESCRIPTION);

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
