#pragma once
// The few calls of the installed database engine's library (idapi32.dll) that
// the alias backend makes, with their C prototypes, records and constants as
// the engine's API reference gives them. The library is loaded at run time,
// so these declarations only give the entry points their types.
//
// Facts taken from the API reference and the engine's own headers (BDE.HPP of
// C++Builder 6, generated from BDE.pas rev 6.00; Delphi's BDE.INT):
// - every entry point is __stdcall and returns a 16-bit result, 0 for success;
// - handles are pointer-sized; records are byte-packed; enums are int-sized;
// - text is single-byte in the OEM code page, NUL-terminated, in fixed
//   buffers: Borland's own session code (DBTables.pas) converts every string
//   it passes with CharToOem and every string it reads with OemToChar;
// - the library exports no DbiInit: that is a header macro (a Pascal wrapper
//   in BDE.INT) over DbiInitFn(iVer, pEnv), called with DBIINTFVER.
#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define IDAPI_CALL __stdcall
#else
#define IDAPI_CALL
#endif
// Empty for the program, which loads the library at run time; the suites'
// stand-in library is built with it set to export its entry points.
#ifndef IDAPI_EXPORT
#define IDAPI_EXPORT
#endif

extern "C" {

using DBIResult = std::uint16_t;
using hDBICur = void*;
using hDBICfg = void*;
using DBIBOOL = int;  // BOOL: 32 bits
using DBIBOOL16 = std::uint16_t;

constexpr std::size_t DBIMAXNAMELEN = 31;
constexpr std::size_t DBIMAXPATHLEN = 260;
constexpr std::size_t DBIMAXMSGLEN = 127;
constexpr std::size_t DBIMAXSCFLDLEN = 128;

// BDE.HPP (C++Builder 6): static const Word DBIINTFVER = 0x1f4.
constexpr std::uint16_t DBIINTFVER = 0x1F4;

// Results, from BDE.HPP.
constexpr DBIResult DBIERR_NONE = 0;
constexpr DBIResult DBIERR_EOF = 0x2202;
constexpr DBIResult DBIERR_OBJNOTFOUND = 0x2208;
constexpr DBIResult DBIERR_INVALIDPARAM = 0x2702;
constexpr DBIResult DBIERR_NAMENOTUNIQUE = 0x2719;
constexpr DBIResult DBIERR_UNKNOWNDRIVER = 0x271D;
constexpr DBIResult DBIERR_UNKNOWNDB = 0x271E;
constexpr DBIResult DBIERR_INTERFACEVER = 0x2F01;

// DBIOpenMode, DBILockType, CFGMode: C enums, passed as int.
constexpr int dbiREADWRITE = 0;
constexpr int dbiREADONLY = 1;
constexpr int dbiNOLOCK = 0;
constexpr int dbiWRITELOCK = 1;
constexpr int cfgPersistent = 0;

#pragma pack(push, 1)
struct DBIEnv {
    char szWorkDir[DBIMAXPATHLEN + 1];
    char szIniFile[DBIMAXPATHLEN + 1];
    DBIBOOL16 bForceLocalInit;
    char szLang[DBIMAXNAMELEN + 1];
    char szClientName[DBIMAXNAMELEN + 1];
};

struct DBDesc {
    char szName[DBIMAXNAMELEN + 1];
    char szText[DBIMAXNAMELEN + 1];
    char szPhyName[DBIMAXPATHLEN + 1];
    char szDbType[DBIMAXNAMELEN + 1];
};

struct CFGDesc {
    char szNodeName[DBIMAXNAMELEN + 1];
    char szDescription[DBIMAXSCFLDLEN];
    std::uint16_t iDataType;
    char szValue[DBIMAXSCFLDLEN];
    DBIBOOL16 bHasSubnodes;
};
#pragma pack(pop)

static_assert(sizeof(DBIEnv) == 588 && offsetof(DBIEnv, szIniFile) == 261);
static_assert(sizeof(DBDesc) == 357 && offsetof(DBDesc, szDbType) == 325);
static_assert(sizeof(CFGDesc) == 292 && offsetof(CFGDesc, szValue) == 162);

// BDE.INT: function DbiInitFn(iVer: Word; pEnv: pDBIEnv): DBIResult stdcall.
IDAPI_EXPORT DBIResult IDAPI_CALL DbiInitFn(std::uint16_t iVer, DBIEnv* pEnv);
IDAPI_EXPORT DBIResult IDAPI_CALL DbiExit();
// The message of a result; the buffer holds DBIMAXMSGLEN + 1 bytes.
IDAPI_EXPORT DBIResult IDAPI_CALL DbiGetErrorString(DBIResult rslt, char* pszError);
IDAPI_EXPORT DBIResult IDAPI_CALL DbiOpenDatabaseList(hDBICur* phCur);
IDAPI_EXPORT DBIResult IDAPI_CALL DbiGetDatabaseDesc(const char* pszName, DBDesc* pdbDesc);
IDAPI_EXPORT DBIResult IDAPI_CALL DbiOpenCfgInfoList(hDBICfg hCfg, int eOpenMode, int eConfigMode, const char* pszCfgPath,
                                        hDBICur* phCur);
IDAPI_EXPORT DBIResult IDAPI_CALL DbiGetNextRecord(hDBICur hCursor, int eLock, void* pRecBuf, void* pRecProps);
IDAPI_EXPORT DBIResult IDAPI_CALL DbiModifyRecord(hDBICur hCursor, void* pRecBuf, DBIBOOL bFreeLock);
IDAPI_EXPORT DBIResult IDAPI_CALL DbiCloseCursor(hDBICur* phCursor);
IDAPI_EXPORT DBIResult IDAPI_CALL DbiAddAlias(hDBICfg hCfg, const char* pszAliasName, const char* pszDriverType,
                                 const char* pszParams, DBIBOOL bPersist);
IDAPI_EXPORT DBIResult IDAPI_CALL DbiCfgSave(hDBICfg hCfg, const char* pszCfgFile, DBIBOOL bSaveAs16);

}  // extern "C"

class TLibrary;

// The entry points the backend calls; tests put their own functions in.
struct TIdapiApi {
    decltype(&DbiInitFn) Init = nullptr;
    decltype(&DbiExit) Exit = nullptr;
    decltype(&DbiGetErrorString) GetErrorString = nullptr;
    decltype(&DbiOpenDatabaseList) OpenDatabaseList = nullptr;
    decltype(&DbiGetDatabaseDesc) GetDatabaseDesc = nullptr;
    decltype(&DbiOpenCfgInfoList) OpenCfgInfoList = nullptr;
    decltype(&DbiGetNextRecord) GetNextRecord = nullptr;
    decltype(&DbiModifyRecord) ModifyRecord = nullptr;
    decltype(&DbiCloseCursor) CloseCursor = nullptr;
    decltype(&DbiAddAlias) AddAlias = nullptr;
    decltype(&DbiCfgSave) CfgSave = nullptr;
};

// Every entry point of the table from `library`, by the names the library
// exports; raises Exception naming the first one it lacks.
TIdapiApi ResolveIdapiApi(TLibrary& library);
