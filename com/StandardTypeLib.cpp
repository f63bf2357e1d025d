// The standard automation library, as far as other libraries build on it.

#include "com/TypeLibData.h"

#include "com/Dispatch.h"

namespace com {
namespace {

TypeLibMethod Restricted(std::string name, DISPID id, std::vector<TypeLibParam> params,
                         VARTYPE result = VT_HRESULT) {
    return {std::move(name), id, {}, std::move(params), result, FUNCFLAG_FRESTRICTED};
}

TypeLibData Make() {
    TypeLibData lib{};
    lib.name = "stdole";
    lib.guid = MakeGuid("{00020430-0000-0000-C000-000000000046}");
    lib.majorVersion = 2;
    lib.minorVersion = 0;
    lib.lcid = LOCALE_NEUTRAL;
    lib.help = "OLE Automation";

    TypeLibType unknown{TypeLibType::Kind::Interface, "IUnknown", IID_IUnknown, {}, 0, {}, {}, {}};
    unknown.methods = {
        Restricted("QueryInterface", 0x60000000, {{"riid", VT_PTR}, {"ppvObj", VT_PTR}}),
        Restricted("AddRef", 0x60000001, {}, VT_UI4),
        Restricted("Release", 0x60000002, {}, VT_UI4),
    };
    TypeLibType dispatch{
        TypeLibType::Kind::Interface, "IDispatch", IID_IDispatch, {}, 0, "IUnknown", {}, {}};
    dispatch.methods = {
        Restricted("GetTypeInfoCount", 0x60010000, {{"pctinfo", VT_PTR}}),
        Restricted("GetTypeInfo", 0x60010001,
                   {{"itinfo", VT_UINT}, {"lcid", VT_UI4}, {"pptinfo", VT_PTR}}),
        Restricted("GetIDsOfNames", 0x60010002,
                   {{"riid", VT_PTR},
                    {"rgszNames", VT_PTR},
                    {"cNames", VT_UINT},
                    {"lcid", VT_UI4},
                    {"rgdispid", VT_PTR}}),
        Restricted("Invoke", 0x60010003,
                   {{"dispidMember", VT_I4},
                    {"riid", VT_PTR},
                    {"lcid", VT_UI4},
                    {"wFlags", VT_UI2},
                    {"pdispparams", VT_PTR},
                    {"pvarResult", VT_PTR},
                    {"pexcepinfo", VT_PTR},
                    {"puArgErr", VT_PTR}}),
    };
    lib.types = {std::move(unknown), std::move(dispatch)};
    return lib;
}

} // namespace

// Freed when the module holding this copy of the runtime is unloaded (type
// information handed out keeps the module, and so this, alive until then).
const std::shared_ptr<const TypeLibData>& StandardTypeLib() {
    static const std::shared_ptr<const TypeLibData> lib =
        std::make_shared<const TypeLibData>(Make());
    return lib;
}

} // namespace com
