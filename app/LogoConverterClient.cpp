#include "app/LogoConverterClient.h"

#include "com/Com.h"
#include "pellumo/ILogoConverter.h"

namespace app {

bool RunLogoConverter(const std::string& logoFiles, const std::string& outputDir,
                      const std::string& programFolder) {
    CoInitialize(nullptr);
    ILogoConverter* converter = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_LogoConverter, nullptr, CLSCTX_ALL,
                                        IID_ILogoConverter, reinterpret_cast<void**>(&converter));
    if (FAILED(hr) || converter == nullptr) {
        if (converter != nullptr)
            converter->Release();
        return false;
    }
    BSTR files = com::Utf8ToBstr(logoFiles);
    BSTR output = com::Utf8ToBstr(outputDir);
    BSTR folder = com::Utf8ToBstr(programFolder);
    converter->Convert(files, output, folder);
    SysFreeString(files);
    SysFreeString(output);
    SysFreeString(folder);
    converter->Release();
    return true;
}

} // namespace app
