#pragma once
// The few calls of the Oracle client library (OCI) the engine makes, with
// their C prototypes, types and constants. The library is loaded at run time,
// so these declarations only give the entry points their types.
#include <cstddef>
#include <cstdint>

extern "C" {

using sword = int;
using sb1 = std::int8_t;
using ub1 = std::uint8_t;
using sb2 = std::int16_t;
using ub2 = std::uint16_t;
using sb4 = std::int32_t;
using ub4 = std::uint32_t;
using OraText = unsigned char;

struct OCIEnv;
struct OCIError;
struct OCISvcCtx;
struct OCIStmt;
struct OCIDefine;
struct OCIParam;
struct OCISnapshot;

sword OCIEnvCreate(OCIEnv** envhpp, ub4 mode, void* ctxp, void* (*malocfp)(void* ctxp, std::size_t size),
                   void* (*ralocfp)(void* ctxp, void* memptr, std::size_t newsize),
                   void (*mfreefp)(void* ctxp, void* memptr), std::size_t xtramem_sz, void** usrmempp);
sword OCIHandleAlloc(const void* parenth, void** hndlpp, ub4 type, std::size_t xtramem_sz, void** usrmempp);
sword OCIHandleFree(void* hndlp, ub4 type);
sword OCIDescriptorFree(void* descp, ub4 type);
sword OCILogon(OCIEnv* envhp, OCIError* errhp, OCISvcCtx** svchp, const OraText* username, ub4 uname_len,
               const OraText* password, ub4 passwd_len, const OraText* dbname, ub4 dbname_len);
sword OCILogoff(OCISvcCtx* svchp, OCIError* errhp);
sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len, ub4 language, ub4 mode);
sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff,
                     const OCISnapshot* snap_in, OCISnapshot* snap_out, ub4 mode);
sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos);
sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype, OCIError* errhp);
sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp, ub4 position, void* valuep, sb4 value_sz,
                     ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4 mode);
sword OCIStmtFetch2(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4 scrollOffset, ub4 mode);
sword OCIErrorGet(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep, OraText* bufp, ub4 bufsiz, ub4 type);

}  // extern "C"

namespace oci {
// Return codes.
constexpr sword Success = 0;
constexpr sword SuccessWithInfo = 1;
constexpr sword NoData = 100;
constexpr sword Error = -1;
constexpr sword InvalidHandle = -2;

// Modes.
constexpr ub4 Default = 0;
constexpr ub4 NtvSyntax = 1;
constexpr ub2 FetchNext = 2;

// Handle and descriptor types.
constexpr ub4 HTypeEnv = 1;
constexpr ub4 HTypeError = 2;
constexpr ub4 HTypeSvcCtx = 3;
constexpr ub4 HTypeStmt = 4;
constexpr ub4 DTypeParam = 53;

// Attributes.
constexpr ub4 AttrDataSize = 1;
constexpr ub4 AttrName = 4;
constexpr ub4 AttrParamCount = 18;
constexpr ub4 AttrStmtType = 24;

constexpr ub2 StmtSelect = 1;

// External data type: a NUL-terminated string.
constexpr ub2 SqltStr = 5;
}  // namespace oci
