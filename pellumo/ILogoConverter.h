#pragma once
// The logo converter component as its clients see it: the class
// LogoConverter, created by its class identifier, and its one dual interface
// ILogoConverter. The interface's table holds, in this order, the three
// IUnknown slots, the four IDispatch slots and Convert.

#include "pellumo/PellumoIdentity.h"

#include "com/Dispatch.h"
#include "com/Guid.h"

inline constexpr CLSID CLSID_LogoConverter = MakeGuid(PELLUMO_CLSID);
inline constexpr IID IID_ILogoConverter = MakeGuid(PELLUMO_IID);
inline constexpr GUID LIBID_PELLUMOLib = MakeGuid(PELLUMO_LIBID);

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
