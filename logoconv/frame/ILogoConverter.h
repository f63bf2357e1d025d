#pragma once
// The logo converter component as its clients see it: the class
// LogoConverter, created by its class identifier, and its one dual interface
// ILogoConverter. The interface's table holds, in this order, the three
// IUnknown slots, the four IDispatch slots and Convert.

#include "com/Dispatch.h"
#include "com/Guid.h"

inline constexpr CLSID CLSID_LogoConverter = MakeGuid("{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}");
inline constexpr IID IID_ILogoConverter = MakeGuid("{5BA4DE79-080E-421B-8AF1-260A249D605F}");
inline constexpr GUID LIBID_PELLUMOLib = MakeGuid("{78165FE8-B27C-486C-B90F-D12678536855}");

class ILogoConverter : public IDispatch {
public:
    // Converts every picture file of the list. sRTXfilePATH: full input paths
    // joined by ","; sEMSFilePath: the output folder ending in "/";
    // sAppfilePath: the calling program's folder ending in "/", where the
    // picture log is kept (in the user's state folder instead when the
    // program folder is not writable). The strings stay the caller's.
    // Returns only when every file has been handled and reported.
    virtual HRESULT Convert(BSTR sRTXfilePATH, BSTR sEMSFilePath, BSTR sAppfilePath) = 0;

protected:
    ~ILogoConverter() = default;
};
