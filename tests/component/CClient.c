/* A plain C client of the logo converter: it knows only the binary contract
 * (GUID and BSTR layout, the vtables in slot order, the four exports) and
 * uses nothing but dlopen. Usage: CClient MODULE SAMPLE_PICTURE */

#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

typedef int32_t HRESULT;
typedef uint16_t OLECHAR;
typedef OLECHAR* BSTR;
typedef struct {
    uint32_t Data1;
    uint16_t Data2, Data3;
    uint8_t Data4[8];
} GUID;

static const GUID CLSID_LogoConverter = {
    0x72D7EBB1, 0x14E9, 0x42BB, {0xA0, 0xA5, 0x33, 0xE4, 0xCE, 0x02, 0x16, 0x4C}};
static const GUID IID_ILogoConverter = {
    0x5BA4DE79, 0x080E, 0x421B, {0x8A, 0xF1, 0x26, 0x0A, 0x24, 0x9D, 0x60, 0x5F}};
static const GUID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const GUID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

typedef struct ClassFactory ClassFactory;
typedef struct {
    HRESULT (*QueryInterface)(ClassFactory*, const GUID*, void**);
    uint32_t (*AddRef)(ClassFactory*);
    uint32_t (*Release)(ClassFactory*);
    HRESULT (*CreateInstance)(ClassFactory*, void*, const GUID*, void**);
    HRESULT (*LockServer)(ClassFactory*, int32_t);
} ClassFactoryVtbl;
struct ClassFactory {
    const ClassFactoryVtbl* lpVtbl;
};

typedef struct LogoConverter LogoConverter;
typedef HRESULT InvokeFn(LogoConverter*, int32_t, const GUID*, uint32_t, uint16_t, void*, void*,
                         void*, uint32_t*);
typedef struct {
    HRESULT (*QueryInterface)(LogoConverter*, const GUID*, void**);
    uint32_t (*AddRef)(LogoConverter*);
    uint32_t (*Release)(LogoConverter*);
    HRESULT (*GetTypeInfoCount)(LogoConverter*, uint32_t*);
    HRESULT (*GetTypeInfo)(LogoConverter*, uint32_t, uint32_t, void**);
    HRESULT (*GetIDsOfNames)(LogoConverter*, const GUID*, OLECHAR**, uint32_t, uint32_t, int32_t*);
    InvokeFn* Invoke;
    HRESULT (*Convert)(LogoConverter*, BSTR, BSTR, BSTR);
} LogoConverterVtbl;
struct LogoConverter {
    const LogoConverterVtbl* lpVtbl;
};

typedef HRESULT GetClassObjectFn(const GUID*, const GUID*, void**);

/* A length-prefixed string made by hand from ASCII text. */
static BSTR MakeBstr(const char* text) {
    size_t n = strlen(text);
    char* block = malloc(4 + 2 * n + 2);
    uint32_t bytes = (uint32_t)(2 * n);
    memcpy(block, &bytes, 4);
    BSTR s = (BSTR)(block + 4);
    for (size_t i = 0; i <= n; ++i)
        s[i] = (OLECHAR)(unsigned char)text[i];
    return s;
}

static void FreeBstr(BSTR s) {
    free((char*)s - 4);
}

static int failures = 0;
#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            fprintf(stderr, "CClient: check failed at line %d: %s\n", __LINE__, #cond);            \
            ++failures;                                                                            \
        }                                                                                          \
    } while (0)

static void Copy(const char* from, const char* to) {
    FILE* in = fopen(from, "rb");
    FILE* out = fopen(to, "wb");
    char buffer[4096];
    size_t n;
    CHECK(in != NULL && out != NULL);
    while (in != NULL && out != NULL && (n = fread(buffer, 1, sizeof buffer, in)) > 0)
        fwrite(buffer, 1, n, out);
    if (in != NULL)
        fclose(in);
    if (out != NULL)
        fclose(out);
}

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    char dir[] = "/tmp/quillmere-cclient-XXXXXX";
    if (mkdtemp(dir) == NULL)
        return 2;
    char registry[256], input[256], output[256], result[256], logFile[256];
    snprintf(registry, sizeof registry, "%s/registry.reg", dir);
    snprintf(input, sizeof input, "%s/operator_logo.txt", dir);
    snprintf(output, sizeof output, "%s/", dir);
    snprintf(result, sizeof result, "%s/operator_logo.lgo", dir);
    snprintf(logFile, sizeof logFile, "%s/PictureConverter.log", dir);
    setenv("QUILLMERE_REGISTRY", registry, 1);
    Copy(argv[2], input);

    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (module == NULL) {
        fprintf(stderr, "CClient: %s\n", dlerror());
        return 1;
    }
    HRESULT (*canUnloadNow)(void) = (HRESULT(*)(void))dlsym(module, "DllCanUnloadNow");
    GetClassObjectFn* getClassObject = (GetClassObjectFn*)dlsym(module, "DllGetClassObject");
    HRESULT (*registerServer)(void) = (HRESULT(*)(void))dlsym(module, "DllRegisterServer");
    HRESULT (*unregisterServer)(void) = (HRESULT(*)(void))dlsym(module, "DllUnregisterServer");
    CHECK(canUnloadNow && getClassObject && registerServer && unregisterServer);
    if (failures > 0)
        return 1;
    CHECK(registerServer() == 0);

    ClassFactory* factory = NULL;
    CHECK(getClassObject(&CLSID_LogoConverter, &IID_IClassFactory, (void**)&factory) == 0);
    LogoConverter* converter = NULL;
    if (factory != NULL) {
        CHECK(factory->lpVtbl->CreateInstance(factory, NULL, &IID_ILogoConverter,
                                              (void**)&converter) == 0);
        factory->lpVtbl->Release(factory);
    }
    if (converter != NULL) {
        uint32_t count = 0;
        CHECK(converter->lpVtbl->GetTypeInfoCount(converter, &count) == 0 && count == 1);
        BSTR name = MakeBstr("Convert");
        int32_t id = 0;
        CHECK(converter->lpVtbl->GetIDsOfNames(converter, &IID_NULL, &name, 1, 0, &id) == 0);
        CHECK(id == 1);
        FreeBstr(name);

        BSTR in = MakeBstr(input), out = MakeBstr(output), app = MakeBstr(output);
        CHECK(canUnloadNow() == 1); /* S_FALSE while the object lives */
        CHECK(converter->lpVtbl->Convert(converter, in, out, app) == 0);
        FreeBstr(in);
        FreeBstr(out);
        FreeBstr(app);
        CHECK(converter->lpVtbl->Release(converter) == 0);
    }
    struct stat info;
    CHECK(stat(result, &info) == 0 && info.st_size == 252);
    CHECK(stat(logFile, &info) == 0 && info.st_size > 0);
    CHECK(canUnloadNow() == 0);
    CHECK(unregisterServer() == 0);
    dlclose(module);

    unlink(input);
    unlink(result);
    unlink(logFile);
    unlink(registry);
    char lock[300];
    snprintf(lock, sizeof lock, "%s.lock", registry);
    unlink(lock);
    rmdir(dir);
    printf("CClient: %s\n", failures == 0 ? "all checks passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
