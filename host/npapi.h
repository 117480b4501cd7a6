#pragma once
// Our own declarations of the browser plug-in interface: the two function
// tables, the records that cross them and NPRuntime. Written from the binary
// layout a 32-bit Windows browser uses; the static_asserts at the end pin the
// sizes and offsets a browser reads, so a stray change of a field type (an
// `int` for an NPError, a 4-byte bool) fails the build instead of the browser.
//
// No Windows header is needed: window, device-context and region handles are
// plain pointers here, so the core (script class, browser table, URL helper)
// uses these types natively too. Every table slot uses the compiler's default
// calling convention (cdecl); only the three module exports are stdcall, and
// they are declared where they are defined.
#include <cstddef>
#include <cstdint>

using NPBool = unsigned char;
using NPError = int16_t;
using NPReason = int16_t;
using NPMIMEType = char*;
using NPUTF8 = char;
using NPIdentifier = void*;
using NPRegion = void*;

struct NPP_t {
    void* pdata;  // plug-in instance data (our Viewer)
    void* ndata;  // browser's own data
};
using NPP = NPP_t*;

enum NPErrorCode : int16_t {
    NPERR_NO_ERROR = 0,
    NPERR_GENERIC_ERROR = 1,
    NPERR_INVALID_INSTANCE_ERROR = 2,
    NPERR_INVALID_FUNCTABLE_ERROR = 3,
    NPERR_MODULE_LOAD_FAILED_ERROR = 4,
    NPERR_OUT_OF_MEMORY_ERROR = 5,
    NPERR_INVALID_PLUGIN_ERROR = 6,
    NPERR_INVALID_PLUGIN_DIR_ERROR = 7,
    NPERR_INCOMPATIBLE_VERSION_ERROR = 8,
    NPERR_INVALID_PARAM = 9,
    NPERR_INVALID_URL = 10,
    NPERR_FILE_NOT_FOUND = 11,
    NPERR_NO_DATA = 12,
    NPERR_STREAM_NOT_SEEKABLE = 13,
};

constexpr NPReason NPRES_DONE = 0;
constexpr NPReason NPRES_NETWORK_ERR = 1;
constexpr NPReason NPRES_USER_BREAK = 2;

constexpr uint16_t NP_EMBED = 1;
constexpr uint16_t NP_FULL = 2;

constexpr uint16_t NP_NORMAL = 1;
constexpr uint16_t NP_SEEK = 2;
constexpr uint16_t NP_ASFILE = 3;
constexpr uint16_t NP_ASFILEONLY = 4;

// Version numbers are (major << 8) | minor.
constexpr uint16_t kNpVersionMajor = 0;
constexpr uint16_t kNpVersionMinor = 17;  // the table layout this module fills

enum NPPVariable : int {
    NPPVpluginNameString = 1,
    NPPVpluginDescriptionString = 2,
    NPPVpluginWindowBool = 3,
    NPPVpluginTransparentBool = 4,
    NPPVjavaClass = 5,
    NPPVpluginScriptableNPObject = 15,
};

enum NPNVariable : int {
    NPNVnetscapeWindow = 3,
    NPNVjavascriptEnabledBool = 4,
    NPNVWindowNPObject = 15,
    NPNVPluginElementNPObject = 16,
    NPNVSupportsWindowless = 17,
};

enum NPWindowType : int { NPWindowTypeWindow = 1, NPWindowTypeDrawable = 2 };

struct NPByteRange {
    int32_t offset;
    uint32_t length;
    NPByteRange* next;
};

struct NPSavedData {
    int32_t len;
    void* buf;
};

struct NPRect {  // note the order: top, left, bottom, right
    uint16_t top;
    uint16_t left;
    uint16_t bottom;
    uint16_t right;
};

struct NPWindow {
    void* window;  // HWND for a windowed plug-in
    int32_t x;
    int32_t y;
    uint32_t width;
    uint32_t height;
    NPRect clipRect;
    NPWindowType type;
};

struct NPStream {
    void* pdata;
    void* ndata;
    const char* url;
    uint32_t end;  // announced length, 0 when unknown
    uint32_t lastmodified;
    void* notifyData;
    const char* headers;  // only from browsers of minor version 17 on
};

struct NPFullPrint {
    NPBool pluginPrinted;
    NPBool printOne;
    void* platformPrint;
};

struct NPEmbedPrint {
    NPWindow window;
    void* platformPrint;  // HDC
};

struct NPPrint {
    uint16_t mode;
    union {
        NPFullPrint fullPrint;
        NPEmbedPrint embedPrint;
    } print;
};

// NPRuntime.
struct NPClass;

struct NPObject {
    NPClass* _class;
    uint32_t referenceCount;
};

struct NPString {
    const NPUTF8* UTF8Characters;
    uint32_t UTF8Length;  // bytes, no terminator counted
};

enum NPVariantType : int {
    NPVariantType_Void = 0,
    NPVariantType_Null = 1,
    NPVariantType_Bool = 2,
    NPVariantType_Int32 = 3,
    NPVariantType_Double = 4,
    NPVariantType_String = 5,
    NPVariantType_Object = 6,
};

struct NPVariant {
    NPVariantType type;
    union {
        bool boolValue;
        int32_t intValue;
        double doubleValue;
        NPString stringValue;
        NPObject* objectValue;
    } value;
};

using NPAllocateFunctionPtr = NPObject* (*)(NPP, NPClass*);
using NPDeallocateFunctionPtr = void (*)(NPObject*);
using NPInvalidateFunctionPtr = void (*)(NPObject*);
using NPHasMethodFunctionPtr = bool (*)(NPObject*, NPIdentifier);
using NPInvokeFunctionPtr = bool (*)(NPObject*, NPIdentifier, const NPVariant*, uint32_t, NPVariant*);
using NPInvokeDefaultFunctionPtr = bool (*)(NPObject*, const NPVariant*, uint32_t, NPVariant*);
using NPHasPropertyFunctionPtr = bool (*)(NPObject*, NPIdentifier);
using NPGetPropertyFunctionPtr = bool (*)(NPObject*, NPIdentifier, NPVariant*);
using NPSetPropertyFunctionPtr = bool (*)(NPObject*, NPIdentifier, const NPVariant*);
using NPRemovePropertyFunctionPtr = bool (*)(NPObject*, NPIdentifier);

// A version-1 class: eleven fields. Browsers read the later enumerate and
// construct members only from classes that declare version 2 or 3.
struct NPClass {
    uint32_t structVersion;
    NPAllocateFunctionPtr allocate;
    NPDeallocateFunctionPtr deallocate;
    NPInvalidateFunctionPtr invalidate;
    NPHasMethodFunctionPtr hasMethod;
    NPInvokeFunctionPtr invoke;
    NPInvokeDefaultFunctionPtr invokeDefault;
    NPHasPropertyFunctionPtr hasProperty;
    NPGetPropertyFunctionPtr getProperty;
    NPSetPropertyFunctionPtr setProperty;
    NPRemovePropertyFunctionPtr removeProperty;
};

// The plug-in's table, filled by NP_GetEntryPoints.
using NPP_NewProcPtr = NPError (*)(NPMIMEType, NPP, uint16_t, int16_t, char**, char**, NPSavedData*);
using NPP_DestroyProcPtr = NPError (*)(NPP, NPSavedData**);
using NPP_SetWindowProcPtr = NPError (*)(NPP, NPWindow*);
using NPP_NewStreamProcPtr = NPError (*)(NPP, NPMIMEType, NPStream*, NPBool, uint16_t*);
using NPP_DestroyStreamProcPtr = NPError (*)(NPP, NPStream*, NPReason);
using NPP_StreamAsFileProcPtr = void (*)(NPP, NPStream*, const char*);
using NPP_WriteReadyProcPtr = int32_t (*)(NPP, NPStream*);
using NPP_WriteProcPtr = int32_t (*)(NPP, NPStream*, int32_t, int32_t, void*);
using NPP_PrintProcPtr = void (*)(NPP, NPPrint*);
using NPP_HandleEventProcPtr = int16_t (*)(NPP, void*);
using NPP_URLNotifyProcPtr = void (*)(NPP, const char*, NPReason, void*);
using NPP_GetValueProcPtr = NPError (*)(NPP, NPPVariable, void*);
using NPP_SetValueProcPtr = NPError (*)(NPP, NPNVariable, void*);

struct NPPluginFuncs {
    uint16_t size;
    uint16_t version;
    NPP_NewProcPtr newp;
    NPP_DestroyProcPtr destroy;
    NPP_SetWindowProcPtr setwindow;
    NPP_NewStreamProcPtr newstream;
    NPP_DestroyStreamProcPtr destroystream;
    NPP_StreamAsFileProcPtr asfile;
    NPP_WriteReadyProcPtr writeready;
    NPP_WriteProcPtr write;
    NPP_PrintProcPtr print;
    NPP_HandleEventProcPtr event;
    // The later slots: written only when the browser's `size` has room for them.
    NPP_URLNotifyProcPtr urlnotify;
    void* javaClass;
    NPP_GetValueProcPtr getvalue;
    NPP_SetValueProcPtr setvalue;
    // Newer browsers' slots, which this module leaves alone.
    void* gotfocus;
    void* lostfocus;
    void* urlredirectnotify;
    void* clearsitedata;
    void* getsiteswithdata;
    void* didComposite;
};

// Bytes up to and including `setvalue` (60 on 32-bit Windows): a browser
// table at least this big receives the four later slots.
constexpr uint16_t kPluginFuncsLaterSlotsEnd = offsetof(NPPluginFuncs, setvalue) + sizeof(void*);

// The browser's table, handed to NP_Initialize.
using NPN_GetURLProcPtr = NPError (*)(NPP, const char*, const char*);
using NPN_PostURLProcPtr = NPError (*)(NPP, const char*, const char*, uint32_t, const char*, NPBool);
using NPN_RequestReadProcPtr = NPError (*)(NPStream*, NPByteRange*);
using NPN_NewStreamProcPtr = NPError (*)(NPP, NPMIMEType, const char*, NPStream**);
using NPN_WriteProcPtr = int32_t (*)(NPP, NPStream*, int32_t, void*);
using NPN_DestroyStreamProcPtr = NPError (*)(NPP, NPStream*, NPReason);
using NPN_StatusProcPtr = void (*)(NPP, const char*);
using NPN_UserAgentProcPtr = const char* (*)(NPP);
using NPN_MemAllocProcPtr = void* (*)(uint32_t);
using NPN_MemFreeProcPtr = void (*)(void*);
using NPN_MemFlushProcPtr = uint32_t (*)(uint32_t);
using NPN_ReloadPluginsProcPtr = void (*)(NPBool);
using NPN_GetJavaEnvProcPtr = void* (*)();
using NPN_GetJavaPeerProcPtr = void* (*)(NPP);
using NPN_GetURLNotifyProcPtr = NPError (*)(NPP, const char*, const char*, void*);
using NPN_PostURLNotifyProcPtr = NPError (*)(NPP, const char*, const char*, uint32_t, const char*, NPBool, void*);
using NPN_GetValueProcPtr = NPError (*)(NPP, NPNVariable, void*);
using NPN_SetValueProcPtr = NPError (*)(NPP, NPPVariable, void*);
using NPN_InvalidateRectProcPtr = void (*)(NPP, NPRect*);
using NPN_InvalidateRegionProcPtr = void (*)(NPP, NPRegion);
using NPN_ForceRedrawProcPtr = void (*)(NPP);
using NPN_GetStringIdentifierProcPtr = NPIdentifier (*)(const NPUTF8*);
using NPN_GetStringIdentifiersProcPtr = void (*)(const NPUTF8**, int32_t, NPIdentifier*);
using NPN_GetIntIdentifierProcPtr = NPIdentifier (*)(int32_t);
using NPN_IdentifierIsStringProcPtr = bool (*)(NPIdentifier);
using NPN_UTF8FromIdentifierProcPtr = NPUTF8* (*)(NPIdentifier);
using NPN_IntFromIdentifierProcPtr = int32_t (*)(NPIdentifier);
using NPN_CreateObjectProcPtr = NPObject* (*)(NPP, NPClass*);
using NPN_RetainObjectProcPtr = NPObject* (*)(NPObject*);
using NPN_ReleaseObjectProcPtr = void (*)(NPObject*);
using NPN_InvokeProcPtr = bool (*)(NPP, NPObject*, NPIdentifier, const NPVariant*, uint32_t, NPVariant*);
using NPN_InvokeDefaultProcPtr = bool (*)(NPP, NPObject*, const NPVariant*, uint32_t, NPVariant*);
using NPN_EvaluateProcPtr = bool (*)(NPP, NPObject*, NPString*, NPVariant*);
using NPN_GetPropertyProcPtr = bool (*)(NPP, NPObject*, NPIdentifier, NPVariant*);
using NPN_SetPropertyProcPtr = bool (*)(NPP, NPObject*, NPIdentifier, const NPVariant*);
using NPN_RemovePropertyProcPtr = bool (*)(NPP, NPObject*, NPIdentifier);
using NPN_HasPropertyProcPtr = bool (*)(NPP, NPObject*, NPIdentifier);
using NPN_HasMethodProcPtr = bool (*)(NPP, NPObject*, NPIdentifier);
using NPN_ReleaseVariantValueProcPtr = void (*)(NPVariant*);
using NPN_SetExceptionProcPtr = void (*)(NPObject*, const NPUTF8*);
using NPN_PushPopupsEnabledStateProcPtr = void (*)(NPP, NPBool);
using NPN_PopPopupsEnabledStateProcPtr = void (*)(NPP);
using NPN_EnumerateProcPtr = bool (*)(NPP, NPObject*, NPIdentifier**, uint32_t*);

struct NPNetscapeFuncs {
    uint16_t size;
    uint16_t version;
    NPN_GetURLProcPtr geturl;
    NPN_PostURLProcPtr posturl;
    NPN_RequestReadProcPtr requestread;
    NPN_NewStreamProcPtr newstream;
    NPN_WriteProcPtr write;
    NPN_DestroyStreamProcPtr destroystream;
    NPN_StatusProcPtr status;
    NPN_UserAgentProcPtr uagent;
    NPN_MemAllocProcPtr memalloc;
    NPN_MemFreeProcPtr memfree;
    NPN_MemFlushProcPtr memflush;
    NPN_ReloadPluginsProcPtr reloadplugins;
    NPN_GetJavaEnvProcPtr getJavaEnv;
    NPN_GetJavaPeerProcPtr getJavaPeer;
    NPN_GetURLNotifyProcPtr geturlnotify;
    NPN_PostURLNotifyProcPtr posturlnotify;
    NPN_GetValueProcPtr getvalue;
    NPN_SetValueProcPtr setvalue;
    NPN_InvalidateRectProcPtr invalidaterect;
    NPN_InvalidateRegionProcPtr invalidateregion;
    NPN_ForceRedrawProcPtr forceredraw;
    NPN_GetStringIdentifierProcPtr getstringidentifier;
    NPN_GetStringIdentifiersProcPtr getstringidentifiers;
    NPN_GetIntIdentifierProcPtr getintidentifier;
    NPN_IdentifierIsStringProcPtr identifierisstring;
    NPN_UTF8FromIdentifierProcPtr utf8fromidentifier;
    NPN_IntFromIdentifierProcPtr intfromidentifier;
    NPN_CreateObjectProcPtr createobject;
    NPN_RetainObjectProcPtr retainobject;
    NPN_ReleaseObjectProcPtr releaseobject;
    NPN_InvokeProcPtr invoke;
    NPN_InvokeDefaultProcPtr invokeDefault;
    NPN_EvaluateProcPtr evaluate;
    NPN_GetPropertyProcPtr getproperty;
    NPN_SetPropertyProcPtr setproperty;
    NPN_RemovePropertyProcPtr removeproperty;
    NPN_HasPropertyProcPtr hasproperty;
    NPN_HasMethodProcPtr hasmethod;
    NPN_ReleaseVariantValueProcPtr releasevariantvalue;
    NPN_SetExceptionProcPtr setexception;
    NPN_PushPopupsEnabledStateProcPtr pushpopupsenabledstate;
    NPN_PopPopupsEnabledStateProcPtr poppopupsenabledstate;
    NPN_EnumerateProcPtr enumerate;  // ends at byte 176
    // Newer slots. The module keeps no more than the first 176 bytes of a
    // browser's table, so these stay null in its copy; they are declared so
    // the host can hand out a table of a current browser's size.
    void* pluginthreadasynccall;
    void* construct;
    void* getvalueforurl;
    void* setvalueforurl;
    void* getauthenticationinfo;
    void* scheduletimer;
    void* unscheduletimer;
    void* popupcontextmenu;
    void* convertpoint;
    void* handleevent;
    void* unfocusinstance;
    void* urlredirectresponse;
    void* initasyncsurface;
    void* finalizeasyncsurface;
    void* setcurrentasyncsurface;
};

// How much of a browser's table the module keeps: up to and including
// `enumerate`, 176 bytes on 32-bit Windows.
constexpr uint16_t kBrowserFuncsKept = offsetof(NPNetscapeFuncs, enumerate) + sizeof(void*);

#if defined(_WIN32) && defined(__i386__)
static_assert(sizeof(NPBool) == 1 && sizeof(NPError) == 2 && sizeof(bool) == 1);
static_assert(sizeof(NPWindowType) == 4 && sizeof(NPVariantType) == 4, "enums must stay 4 bytes");
static_assert(sizeof(NPP_t) == 8);
static_assert(sizeof(NPRect) == 8 && offsetof(NPRect, right) == 6);
static_assert(sizeof(NPWindow) == 32 && offsetof(NPWindow, clipRect) == 20 && offsetof(NPWindow, type) == 28);
static_assert(sizeof(NPStream) == 28 && offsetof(NPStream, end) == 12 && offsetof(NPStream, headers) == 24);
static_assert(sizeof(NPFullPrint) == 8 && offsetof(NPFullPrint, platformPrint) == 4);
static_assert(sizeof(NPEmbedPrint) == 36 && offsetof(NPEmbedPrint, platformPrint) == 32);
static_assert(sizeof(NPPrint) == 40 && offsetof(NPPrint, print) == 4);
static_assert(sizeof(NPObject) == 8 && sizeof(NPString) == 8);
static_assert(sizeof(NPVariant) == 16 && offsetof(NPVariant, value) == 8, "double-aligned union");
static_assert(sizeof(NPClass) == 44 && offsetof(NPClass, removeProperty) == 40);
static_assert(offsetof(NPPluginFuncs, newp) == 4 && offsetof(NPPluginFuncs, event) == 40);
static_assert(offsetof(NPPluginFuncs, urlnotify) == 44 && offsetof(NPPluginFuncs, setvalue) == 56);
static_assert(kPluginFuncsLaterSlotsEnd == 60);
static_assert(sizeof(NPPluginFuncs) == 84);
static_assert(offsetof(NPNetscapeFuncs, geturl) == 4 && offsetof(NPNetscapeFuncs, uagent) == 32);
static_assert(offsetof(NPNetscapeFuncs, getvalue) == 68 && offsetof(NPNetscapeFuncs, getstringidentifier) == 88);
static_assert(offsetof(NPNetscapeFuncs, createobject) == 112 && offsetof(NPNetscapeFuncs, releasevariantvalue) == 156);
static_assert(offsetof(NPNetscapeFuncs, pushpopupsenabledstate) == 164);
static_assert(kBrowserFuncsKept == 176);
static_assert(sizeof(NPNetscapeFuncs) == 236);
#elif defined(_WIN32) && defined(__x86_64__)
// LLP64: pointers 8, `long` 4, one calling convention.
static_assert(sizeof(NPBool) == 1 && sizeof(NPError) == 2 && sizeof(bool) == 1);
static_assert(sizeof(NPWindowType) == 4 && sizeof(NPVariantType) == 4, "enums must stay 4 bytes");
static_assert(sizeof(NPP_t) == 16 && offsetof(NPP_t, ndata) == 8);
static_assert(sizeof(NPRect) == 8 && offsetof(NPRect, right) == 6);
static_assert(sizeof(NPWindow) == 40 && offsetof(NPWindow, x) == 8 && offsetof(NPWindow, width) == 16);
static_assert(offsetof(NPWindow, clipRect) == 24 && offsetof(NPWindow, type) == 32);
static_assert(sizeof(NPStream) == 48 && offsetof(NPStream, url) == 16 && offsetof(NPStream, end) == 24);
static_assert(offsetof(NPStream, lastmodified) == 28 && offsetof(NPStream, notifyData) == 32);
static_assert(offsetof(NPStream, headers) == 40);
static_assert(sizeof(NPFullPrint) == 16 && offsetof(NPFullPrint, platformPrint) == 8);
static_assert(sizeof(NPEmbedPrint) == 48 && offsetof(NPEmbedPrint, platformPrint) == 40);
static_assert(sizeof(NPPrint) == 56 && offsetof(NPPrint, print) == 8);
static_assert(sizeof(NPObject) == 16 && offsetof(NPObject, referenceCount) == 8);
static_assert(sizeof(NPString) == 16 && offsetof(NPString, UTF8Length) == 8);
static_assert(sizeof(NPVariant) == 24 && offsetof(NPVariant, value) == 8);
static_assert(sizeof(NPClass) == 88 && offsetof(NPClass, removeProperty) == 80);
static_assert(offsetof(NPPluginFuncs, newp) == 8 && sizeof(NPPluginFuncs) == 168);
static_assert(kPluginFuncsLaterSlotsEnd == 120);
static_assert(offsetof(NPNetscapeFuncs, geturl) == 8 && sizeof(NPNetscapeFuncs) == 472);
static_assert(kBrowserFuncsKept == 8 + 8 * 43);
#endif
