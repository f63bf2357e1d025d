/* A plain C client of the logo converter: it knows only the binary contract
 * (GUID and BSTR layout, the vtables in slot order, the type-information
 * structures, the four exports, the host's message-presenter slot) and uses
 * nothing but dlopen. It reads the type information through the standard
 * layouts, calls Convert again from inside its message presenter, as a host
 * running a message loop there would, and checks that the module stays
 * needed while type information it served is held.
 * Usage: CClient MODULE SAMPLE_PICTURE */

#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
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
static const GUID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
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

/* The type-information structures as the standard definitions lay them out. */
typedef struct TypeDesc {
    union {
        struct TypeDesc* lptdesc;
        void* lpadesc;
        uint32_t hreftype;
    } u;
    uint16_t vt;
} TypeDesc;
typedef struct {
    uintptr_t dwReserved;
    uint16_t wIDLFlags;
} IdlDesc;
typedef struct {
    void* pparamdescex;
    uint16_t wParamFlags;
} ParamDesc;
typedef struct {
    TypeDesc tdesc;
    union {
        IdlDesc idldesc;
        ParamDesc paramdesc;
    } u;
} ElemDesc;
typedef struct {
    GUID guid;
    uint32_t lcid, dwReserved;
    int32_t memidConstructor, memidDestructor;
    OLECHAR* lpstrSchema;
    uint32_t cbSizeInstance;
    int32_t typekind;
    uint16_t cFuncs, cVars, cImplTypes, cbSizeVft, cbAlignment, wTypeFlags, wMajorVerNum,
        wMinorVerNum;
    TypeDesc tdescAlias;
    IdlDesc idldescType;
} TypeAttr;
typedef struct {
    int32_t memid;
    int32_t* lprgscode;
    ElemDesc* lprgelemdescParam;
    int32_t funckind, invkind, callconv;
    int16_t cParams, cParamsOpt, oVft, cScodes;
    ElemDesc elemdescFunc;
    uint16_t wFuncFlags;
} FuncDesc;
_Static_assert(sizeof(void*) != 8 || (sizeof(TypeAttr) == 96 && sizeof(FuncDesc) == 88),
               "standard 64-bit layout");

typedef struct TypeInfo TypeInfo;
typedef struct TypeLib TypeLib;
typedef struct {
    HRESULT (*QueryInterface)(TypeInfo*, const GUID*, void**);
    uint32_t (*AddRef)(TypeInfo*);
    uint32_t (*Release)(TypeInfo*);
    HRESULT (*GetTypeAttr)(TypeInfo*, TypeAttr**);
    HRESULT (*GetTypeComp)(TypeInfo*, void**);
    HRESULT (*GetFuncDesc)(TypeInfo*, uint32_t, FuncDesc**);
    HRESULT (*GetVarDesc)(TypeInfo*, uint32_t, void**);
    HRESULT (*GetNames)(TypeInfo*, int32_t, BSTR*, uint32_t, uint32_t*);
    HRESULT (*GetRefTypeOfImplType)(TypeInfo*, uint32_t, uint32_t*);
    HRESULT (*GetImplTypeFlags)(TypeInfo*, uint32_t, int32_t*);
    HRESULT (*GetIDsOfNames)(TypeInfo*, OLECHAR**, uint32_t, int32_t*);
    void* Invoke;
    void* GetDocumentation;
    void* GetDllEntry;
    HRESULT (*GetRefTypeInfo)(TypeInfo*, uint32_t, TypeInfo**);
    void* AddressOfMember;
    void* CreateInstance;
    void* GetMops;
    HRESULT (*GetContainingTypeLib)(TypeInfo*, TypeLib**, uint32_t*);
    void (*ReleaseTypeAttr)(TypeInfo*, TypeAttr*);
    void (*ReleaseFuncDesc)(TypeInfo*, FuncDesc*);
    void (*ReleaseVarDesc)(TypeInfo*, void*);
} TypeInfoVtbl;
struct TypeInfo {
    const TypeInfoVtbl* lpVtbl;
};
typedef struct {
    HRESULT (*QueryInterface)(TypeLib*, const GUID*, void**);
    uint32_t (*AddRef)(TypeLib*);
    uint32_t (*Release)(TypeLib*);
    uint32_t (*GetTypeInfoCount)(TypeLib*);
} TypeLibVtbl;
struct TypeLib {
    const TypeLibVtbl* lpVtbl;
};

enum { VT_BSTR = 8, VT_HRESULT = 25, TKIND_DISPATCH = 4, TKIND_INTERFACE = 3 };

typedef struct LogoConverter LogoConverter;
typedef HRESULT InvokeFn(LogoConverter*, int32_t, const GUID*, uint32_t, uint16_t, void*, void*,
                         void*, uint32_t*);
typedef struct {
    HRESULT (*QueryInterface)(LogoConverter*, const GUID*, void**);
    uint32_t (*AddRef)(LogoConverter*);
    uint32_t (*Release)(LogoConverter*);
    HRESULT (*GetTypeInfoCount)(LogoConverter*, uint32_t*);
    HRESULT (*GetTypeInfo)(LogoConverter*, uint32_t, uint32_t, TypeInfo**);
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

/* Reads ILogoConverter's type information through the standard layouts,
 * and its base, IDispatch. */
static void CheckTypeInformation(TypeInfo* info) {
    TypeAttr* attr = NULL;
    CHECK(info->lpVtbl->GetTypeAttr(info, &attr) == 0);
    if (attr != NULL) {
        CHECK(memcmp(&attr->guid, &IID_ILogoConverter, sizeof(GUID)) == 0);
        CHECK(attr->typekind == TKIND_DISPATCH && attr->cFuncs == 1 && attr->cImplTypes == 1);
        CHECK(attr->memidConstructor == -1 && attr->memidDestructor == -1);
        CHECK(attr->cbSizeVft == 8 * sizeof(void*) && attr->cbSizeInstance == sizeof(void*));
        CHECK(attr->wMajorVerNum == 1 && attr->wMinorVerNum == 0);
        CHECK(attr->tdescAlias.vt == 0 && attr->idldescType.wIDLFlags == 0);
        info->lpVtbl->ReleaseTypeAttr(info, attr);
    }
    FuncDesc* func = NULL;
    CHECK(info->lpVtbl->GetFuncDesc(info, 0, &func) == 0);
    if (func != NULL) {
        CHECK(func->memid == 1 && func->cParams == 3 && func->cParamsOpt == 0);
        CHECK(func->oVft == 7 * sizeof(void*) && func->cScodes == 0 && func->lprgscode == NULL);
        for (int i = 0; i < 3; ++i)
            CHECK(func->lprgelemdescParam[i].tdesc.vt == VT_BSTR &&
                  func->lprgelemdescParam[i].u.paramdesc.wParamFlags == 1); /* in */
        CHECK(func->elemdescFunc.tdesc.vt == VT_HRESULT && func->wFuncFlags == 0);
        info->lpVtbl->ReleaseFuncDesc(info, func);
    }
    uint32_t ref = 0;
    TypeInfo* base = NULL;
    CHECK(info->lpVtbl->GetRefTypeOfImplType(info, 0, &ref) == 0);
    CHECK(info->lpVtbl->GetRefTypeInfo(info, ref, &base) == 0);
    if (base != NULL) {
        CHECK(base->lpVtbl->GetTypeAttr(base, &attr) == 0);
        if (attr != NULL) {
            CHECK(memcmp(&attr->guid, &IID_IDispatch, sizeof(GUID)) == 0);
            CHECK(attr->typekind == TKIND_INTERFACE && attr->cFuncs == 4);
            CHECK(attr->cbSizeVft == 7 * sizeof(void*));
            base->lpVtbl->ReleaseTypeAttr(base, attr);
        }
        base->lpVtbl->Release(base);
    }
}

/* The host's message presenter, which the module looks up by name. Its first
 * message (inside the outer Convert) starts a second conversion on the same
 * thread and object. */
typedef void (*PresenterFn)(void* context, const char* caption, const char* text);
__attribute__((visibility("default"))) struct {
    PresenterFn show;
    void* context;
} QuillmereMessagePresenterSlot;

static LogoConverter* nestOn = NULL;
static BSTR nestedArgs[3];
static HRESULT nestedResult = -1;
static int messages = 0;

static void Present(void* context, const char* caption, const char* text) {
    (void)context, (void)caption, (void)text;
    ++messages;
    LogoConverter* converter = nestOn;
    nestOn = NULL;
    if (converter != NULL)
        nestedResult =
            converter->lpVtbl->Convert(converter, nestedArgs[0], nestedArgs[1], nestedArgs[2]);
}

static void Deadlocked(int signal) {
    (void)signal;
    static const char text[] = "CClient: the nested Convert never returned (deadlock)\n";
    (void)!write(2, text, sizeof text - 1);
    _exit(1);
}

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
    char nestedInput[256], nestedResultFile[256];
    snprintf(registry, sizeof registry, "%s/registry.reg", dir);
    snprintf(input, sizeof input, "%s/operator_logo.txt", dir);
    snprintf(output, sizeof output, "%s/", dir);
    snprintf(result, sizeof result, "%s/operator_logo.lgo", dir);
    snprintf(logFile, sizeof logFile, "%s/PictureConverter.log", dir);
    snprintf(nestedInput, sizeof nestedInput, "%s/nested_logo.txt", dir);
    snprintf(nestedResultFile, sizeof nestedResultFile, "%s/nested_logo.lgo", dir);
    setenv("QUILLMERE_REGISTRY", registry, 1);
    Copy(argv[2], input);
    Copy(argv[2], nestedInput);
    QuillmereMessagePresenterSlot.show = Present;

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

        TypeInfo* info = NULL;
        CHECK(converter->lpVtbl->GetTypeInfo(converter, 0, 0, &info) == 0);
        if (info != NULL)
            CheckTypeInformation(info);

        BSTR in = MakeBstr(input), out = MakeBstr(output), app = MakeBstr(output);
        nestedArgs[0] = MakeBstr(nestedInput), nestedArgs[1] = out, nestedArgs[2] = app;
        nestOn = converter;
        CHECK(canUnloadNow() == 1); /* S_FALSE while the object lives */
        signal(SIGALRM, Deadlocked);
        alarm(30);
        CHECK(converter->lpVtbl->Convert(converter, in, out, app) == 0);
        alarm(0);
        CHECK(nestedResult == 0 && messages == 4); /* a notice and "completed" each */
        FreeBstr(in);
        FreeBstr(out);
        FreeBstr(app);
        FreeBstr(nestedArgs[0]);
        CHECK(converter->lpVtbl->Release(converter) == 0);

        /* What the module served keeps it needed, down to the last reference. */
        TypeLib* lib = NULL;
        if (info != NULL) {
            CHECK(canUnloadNow() == 1);
            CHECK(info->lpVtbl->GetContainingTypeLib(info, &lib, NULL) == 0);
            info->lpVtbl->Release(info);
        }
        if (lib != NULL) {
            CHECK(canUnloadNow() == 1);
            CHECK(lib->lpVtbl->GetTypeInfoCount(lib) == 2);
            lib->lpVtbl->Release(lib);
        }
    }
    struct stat info;
    CHECK(stat(result, &info) == 0 && info.st_size == 252);
    CHECK(stat(nestedResultFile, &info) == 0 && info.st_size == 252);
    CHECK(stat(logFile, &info) == 0 && info.st_size > 0);
    CHECK(canUnloadNow() == 0);
    CHECK(unregisterServer() == 0);
    dlclose(module);

    unlink(input);
    unlink(result);
    unlink(nestedInput);
    unlink(nestedResultFile);
    unlink(logFile);
    unlink(registry);
    char lock[300];
    snprintf(lock, sizeof lock, "%s.lock", registry);
    unlink(lock);
    rmdir(dir);
    printf("CClient: %s\n", failures == 0 ? "all checks passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
